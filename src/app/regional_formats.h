#pragma once
// The program-wide regional formats: dates as dd.mm.yyyy with "." between
// the parts, "," before decimals and a blank between digit groups.

#include <QLocale>

namespace kvzt::app {

// The locale of those formats (Russian, Russia); its group separator is the
// no-break blank, which shows as a blank and keeps a number on one line.
QLocale RegionalLocale();

// Makes RegionalLocale() the default locale of every window and conversion.
void ApplyRegionalFormats();

}  // namespace kvzt::app
