#pragma once
// The DOS 2.* taxpayer fields turned into the current layout: the identity
// document given as one text ("kind name, number") split into a kind code
// and a number, the country given by name turned into its code, and the
// address whose item 1 is a country name and item 3 a region name followed
// by its type word turned into the structured address with a region code.

#include <QString>

#include <functional>

namespace kvzt::import {

class DosReferenceBooks;

struct DosDocument {
    QString kindCode;  // empty when the kind name is not in kldok
    QString number;
};

// DOK trimmed and split at its first comma: the kind name before it (looked
// up in kldok ignoring case), the number of at most 21 characters after it.
// Without a comma the kind name is empty and the whole text is the number.
DosDocument ConvertDosDocument(const QString& dok, const DosReferenceBooks& books);

// Empty for STATUS "1"; otherwise the k0str code of the country named by
// item 1 of the address, "000" when the name is unknown.
QString ConvertDosCountry(const QString& status, const QString& adres, const DosReferenceBooks& books);

// For the organisation's own country: ten items joined by ",  " — item 1
// empty, item 2 the postal index, item 3 the region code ("00" when the
// region is unknown), items 4–10 as given. For another country: the address
// from its first comma on (item 1 left empty), at most 120 characters.
QString ConvertDosAddress(const QString& adres, bool homeCountry, const DosReferenceBooks& books);

// The region name of an address item: the text before its last blank (the
// type word such as "обл" dropped), trimmed at the right.
QString DosRegionName(const QString& item);

}  // namespace kvzt::import
