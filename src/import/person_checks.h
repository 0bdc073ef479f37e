#pragma once
// Validity checks of a taxpayer's fields as the person views show them: name
// parts, dates, digit strings, and (address_check.h) the structured address.
// Each check gives a result code by the field's mode (field_check.h) and the
// colour its caption takes.
//
// "Letters" are the Cyrillic letters of the Windows code page 1251, codes
// 192..255 (А..я); Ё and ё lie outside that range and are not letters here.

#include <QChar>
#include <QDate>
#include <QString>

#include "import/address_check.h"
#include "import/field_check.h"

namespace kvzt::import {

// A surname, first name, patronymic or "Фамилия И.О." text: valid when it
// holds only letters, blanks, full stops and hyphens.
CheckResult CheckNamePart(const QString& text, int mode, Rgb validColour = kBlack, Rgb errorColour = kRed);

// A date typed as "dd.mm.yyyy": blank when it is empty, blanks only, or the
// empty date mask (blanks and exactly two full stops); valid when it reads as
// a date not after `latest`. Caption black when valid, red otherwise.
CheckResult CheckDateText(const QString& text, int mode, const QDate& latest);

// A code such as the INN (12 digits) or the tax office (4 digits): valid when
// it has `length` characters (0 = any length) all between `lowest` and
// `highest` by their 1251 codes.
CheckResult CheckCharsText(const QString& text, int length, QChar lowest, QChar highest, int mode,
                           Rgb validColour = kBlack, Rgb errorColour = kRed);

}  // namespace kvzt::import
