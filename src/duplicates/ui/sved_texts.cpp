#include "duplicates/ui/sved_texts.h"

#include "engine/table.h"

namespace kvzt::duplicates::ui {

QString DateText(const engine::Date& date) {
    if (date.isNull() || !date.isValid()) return {};
    return QStringLiteral("%1.%2.%3")
        .arg(date.day, 2, 10, QLatin1Char('0'))
        .arg(date.month, 2, 10, QLatin1Char('0'))
        .arg(date.year, 4, 10, QLatin1Char('0'));
}

QString NumberText(const engine::Table& record, const char* field) {
    if (record.isNull(field)) return {};
    QString text = QString::number(record.asFloat(field), 'g', 15);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

}  // namespace kvzt::duplicates::ui
