#pragma once
// The readable text of a structured address (ADRES, see address_check.h) and
// its wrapping into the lines of a view.
//
// Non-blank items are joined by ",  " (a comma and two blanks); the region is
// shown by name or by code, the house as "дом  7", the building as "корп. 2"
// and the flat as "кв. 15" followed by whatever the address holds after it.
// Blank items add nothing, so the text never starts or ends with a separator.

#include <QString>
#include <QStringList>

#include <functional>

namespace kvzt::data {
class TdmKVZT;
}

namespace kvzt::import {

// The display name of a region code ("Москва  г"); blank when unknown.
using RegionNameLookup = std::function<QString(const QString& regionCode)>;

// The address as one line of text. With `regionByName` item 3 is shown
// through `regionName` (falling back to the code itself when the region has
// no name), otherwise as the code.
QString AddressText(const QString& adres, bool regionByName, const RegionNameLookup& regionName);
// The same with the data module's region names (GetRegName).
QString AddressText(data::TdmKVZT& dm, const QString& adres, bool regionByName);

// Breaks an address text into lines of about `width` characters, each line
// but the last ending just after a comma and its blank. A part with no comma
// to break at is broken at its last blank within the width, or at the width.
QStringList WrapAddressText(const QString& text, int width);

// Fills `lines` with the address wrapped to `width` (regions by name when
// `homeCountry`) and returns CheckAddress(adres, inn, homeCountry).
int ShowAddress(QStringList& lines, const QString& adres, const QString& inn, bool homeCountry, int width,
                const RegionNameLookup& regionName);
int ShowAddress(data::TdmKVZT& dm, QStringList& lines, const QString& adres, const QString& inn, bool homeCountry,
                int width);

// The line width of the person views' address memo.
inline constexpr int kPersonViewAddressWidth = 50;

}  // namespace kvzt::import
