#include "app/regional_formats.h"

namespace kvzt::app {

QLocale RegionalLocale() { return QLocale(QLocale::Russian, QLocale::Russia); }

void ApplyRegionalFormats() { QLocale::setDefault(RegionalLocale()); }

}  // namespace kvzt::app
