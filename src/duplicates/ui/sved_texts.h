#pragma once
// How the income review and its views write a record's dates and sums:
// dates as "dd.mm.yyyy" (empty when there is none or it is no real date),
// sums with the decimal comma and without trailing zeros (empty for a blank
// field).

#include <QString>

#include "engine/date.h"

namespace kvzt::engine {
class Table;
}

namespace kvzt::duplicates::ui {

QString DateText(const engine::Date& date);
QString NumberText(const engine::Table& record, const char* field);

}  // namespace kvzt::duplicates::ui
