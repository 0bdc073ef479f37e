#pragma once
// Display texts of a taxpayer's fields: the short name, the identity
// document, the address (address_format.h), and whether a country code is the
// organisation's own country.

#include <QString>

#include "import/address_format.h"

namespace kvzt::engine {
class Table;
}

namespace kvzt::data {
class TableComponent;
class TdmKVZT;
}  // namespace kvzt::data

namespace kvzt::import {

// Surname, two blanks and the initials: "Иванов  П.С.". Without a patronymic
// the text ends after the first initial's full stop; without a first name the
// full stop is still written ("Иванов  .").
QString ShortFIO(const QString& surname, const QString& firstName, const QString& patronymic);

// The identity document as " Паспорт гражданина РФ № 4501 123456": a blank,
// the kind's full name (NAMEF of Kldoc30), then " № " when the kind's number
// template has no series part (only the characters "X09 ") or " сер. № "
// when it has, then the number as stored. A blank kind code gives empty text.
// `kldoc30` is the document-kind book with its tag CODEX; its selected tag
// is kept.
QString DocumentText(engine::Table& kldoc30, const QString& kindCode, const QString& number);
QString DocumentText(data::TdmKVZT& dm, const QString& kindCode, const QString& number);

// True when the code is blank or equals COUNTRYREZ of the settings record in
// `upi` (Upi32). The component is opened for the look-up when it is closed,
// and closed again afterwards.
bool IsHomeCountry(data::TableComponent& upi, const QString& countryCode);
bool IsHomeCountry(data::TdmKVZT& dm, const QString& countryCode);

}  // namespace kvzt::import
