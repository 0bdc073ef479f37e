#include "duplicates/ui/person_view_content.h"

#include "data/data_module.h"
#include "data/table_helpers.h"
#include "engine/table.h"
#include "import/address_format.h"
#include "import/person_checks.h"
#include "import/person_format.h"

namespace kvzt::duplicates::ui {

namespace {

QString text(const engine::Table& t, const char* field) { return QString::fromStdString(t.asString(field)); }

bool blank(const QString& s) { return s.trimmed().isEmpty(); }

}  // namespace

PersonSource ReadPersonSource(const engine::Table& t) {
    PersonSource p;
    p.fam = text(t, "FAM");
    p.name = text(t, "NAME");
    p.otc = text(t, "OTC");
    p.inn = text(t, "INNFL");
    p.gni = text(t, "GNI");
    p.tabNom = text(t, "TABNMB");
    // An unreadable date shows as no date.
    p.bornDate = QString::fromStdString(t.asDate("DATEROG").toDisplay());
    p.dkod = text(t, "DKOD");
    p.dnom = text(t, "DNOM");
    p.jobStatus = text(t, "JOBSTATUS");
    p.status = text(t, "STATUS");
    p.strCode = text(t, "STRCODE");
    p.adres = text(t, "ADRES");
    return p;
}

PersonViewContent BuildPersonView(data::TdmKVZT& dm, const PersonSource& p, const QDate& today) {
    using namespace import;
    PersonViewContent v;
    v.fam = p.fam;
    v.name = p.name;
    v.otc = p.otc;
    v.famCaption = CheckNamePart(p.fam, kModeRequired).colour;
    v.nameCaption = CheckNamePart(p.name, kModeRequired).colour;
    v.otcCaption = CheckNamePart(p.otc, kModeOptional).colour;

    v.inn = p.inn;
    v.innCaption = CheckCharsText(p.inn, 12, QChar('0'), QChar('9'), kModeOptional).colour;
    const bool noInn = blank(p.inn);

    v.bornDate = p.bornDate;
    v.bornCaption = CheckDateText(p.bornDate, noInn ? kModeRequiredLesser : kModeOptional, today).colour;

    v.gni = p.gni;
    v.tabNom = p.tabNom;
    v.gniCaption = CheckCharsText(p.gni, 4, QChar('0'), QChar('9'), kModeOptional).colour;

    if (p.jobStatus == QLatin1String("1")) v.jobStatus = QStringLiteral("Основное");
    else if (p.jobStatus == QLatin1String("2")) v.jobStatus = QStringLiteral("Неосновное");
    v.jobCaption = v.jobStatus.isEmpty() ? kRed : kBlack;

    if (p.status == QLatin1String("1")) v.status = QStringLiteral("Резидент");
    else if (p.status == QLatin1String("2")) v.status = QStringLiteral("Нерезидент");
    v.statusCaption = v.status.isEmpty() ? kRed : kBlack;

    if (p.status == QLatin1String("2")) {
        v.country = data::LookupField(dm.tbCountry.table(), QStringLiteral("KODX"),
                                      {{QStringLiteral("KOD"), p.strCode}}, 1);
        v.countryCaption = blank(v.country) ? kRed : kBlack;
    }

    v.document = DocumentText(dm, p.dkod, p.dnom);
    v.documentCaption = (v.document.isEmpty() && noInn) ? kRed : kBlack;

    const int address = ShowAddress(dm, v.addressLines, p.adres, p.inn, IsHomeCountry(dm, p.strCode),
                                    kPersonViewAddressWidth);
    v.addressCaption = address != 0 ? kRed : kBlack;
    return v;
}

}  // namespace kvzt::duplicates::ui
