#include "import/person_format.h"

#include "data/data_module.h"
#include "data/table_component.h"
#include "data/table_helpers.h"
#include "data/text_helpers.h"
#include "engine/table.h"

namespace kvzt::import {

namespace {

// Field numbers of Kldoc30 (CODE, NAMEF, NAMEM, SHABLON, USED).
constexpr int kDocFullName = 1;
constexpr int kDocTemplate = 3;

// A number template made only of these has no series part.
const QString kNumberOnlyTemplateChars = QStringLiteral("X09 ");

// COUNTRYREZ of the settings record: the current record, or the first one
// when the cursor stands on none; blank for an empty table.
QString residenceCountry(engine::Table& upi) {
    if (upi.isEmpty()) return {};
    if (upi.eof() || upi.bof()) upi.first();
    if (upi.eof()) return {};
    return QString::fromStdString(upi.asString("COUNTRYREZ"));
}

}  // namespace

QString ShortFIO(const QString& surname, const QString& firstName, const QString& patronymic) {
    QString result = surname + QStringLiteral("  ") + firstName.left(1) + QLatin1Char('.');
    if (!data::IsBlank(patronymic)) result += patronymic.left(1) + QLatin1Char('.');
    return result;
}

QString DocumentText(engine::Table& kldoc30, const QString& kindCode, const QString& number) {
    if (data::IsBlank(kindCode)) return {};
    const std::vector<data::FieldValue> key{{QStringLiteral("CODE"), kindCode}};
    const QString tag = QStringLiteral("CODEX");
    const QString name = data::LookupField(kldoc30, tag, key, kDocFullName);
    const QString numberTemplate = data::LookupField(kldoc30, tag, key, kDocTemplate);
    const bool withSeries = !data::OnlyCharsFrom(numberTemplate, kNumberOnlyTemplateChars);
    return QLatin1Char(' ') + name + (withSeries ? QStringLiteral(" сер. № ") : QStringLiteral(" № ")) + number;
}

QString DocumentText(data::TdmKVZT& dm, const QString& kindCode, const QString& number) {
    if (data::IsBlank(kindCode)) return {};
    return DocumentText(dm.tbDoc.table(), kindCode, number);
}

bool IsHomeCountry(data::TableComponent& upi, const QString& countryCode) {
    if (data::IsBlank(countryCode)) return true;
    const bool wasOpen = upi.active();
    QString home;
    try {
        home = residenceCountry(upi.table());
    } catch (...) {
        if (!wasOpen) upi.close();
        throw;
    }
    if (!wasOpen) upi.close();
    return countryCode == home;
}

bool IsHomeCountry(data::TdmKVZT& dm, const QString& countryCode) { return IsHomeCountry(dm.tbUPI, countryCode); }

}  // namespace kvzt::import
