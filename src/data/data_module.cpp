#include "data/data_module.h"

#include "data/engine_session.h"
#include "data/table_helpers.h"
#include "engine/errors.h"
#include "engine/session.h"

namespace kvzt::data {

namespace {

using Place = TableComponent::Place;

TdmKVZT*& registered() {
    static TdmKVZT* module = nullptr;
    return module;
}

const QString kVxB = QStringLiteral("VX_B");
const QString kVxS = QStringLiteral("VX_S");
const QString kDbKvZt = QStringLiteral("dbKvZt");

}  // namespace

std::unique_ptr<engine::Session> OpenProgramSession() {
    auto session = OpenSession({});
    const engine::AliasConfig& config = session->config();
    if (config.directory("VX_B") || config.directory("VX_S")) return session;
    engine::AliasConfig withDefaults = config;
    ApplyEmbeddedDefaults(withDefaults);
    return std::make_unique<engine::Session>(std::move(withDefaults));
}

TdmKVZT::TdmKVZT(std::unique_ptr<engine::Session> session, Connect connect)
    : TdmKVZT(session.get(), std::move(session), connect) {}

TdmKVZT::TdmKVZT(engine::Session& session, Connect connect) : TdmKVZT(&session, std::unique_ptr<engine::Session>(), connect) {}

TdmKVZT::TdmKVZT(engine::Session* session, std::unique_ptr<engine::Session>&& owned, Connect connect)
    : ownedSession_(std::move(owned)),
      session_(session),
      tbUPI(*session, QStringLiteral("tbUPI"), Place::Alias, kVxB, QStringLiteral("Upi32")),
      tbDoxod(*session, QStringLiteral("tbDoxod"), Place::DatabaseObject, kDbKvZt, QStringLiteral("DOXOD22"),
              QStringLiteral("IDKODX")),
      tbSpisok(*session, QStringLiteral("tbSpisok"), Place::Alias, kVxB, QStringLiteral("Spisok32"),
               QStringLiteral("FIOBORN")),
      tbTip(*session, QStringLiteral("tbTip"), Place::Alias, kVxS, QStringLiteral("K7SOCR.DBF"),
            QStringLiteral("CODEX")),
      tbCountry(*session, QStringLiteral("tbCountry"), Place::Alias, kVxS, QStringLiteral("Klstr22"),
                QStringLiteral("KODX"), true),
      tbDoc(*session, QStringLiteral("tbDoc"), Place::Alias, kVxS, QStringLiteral("Kldoc30"), QStringLiteral("CODEX"),
            true),
      tbSved(*session, QStringLiteral("tbSved"), Place::Alias, kVxB, QStringLiteral("Svbase32"),
             QStringLiteral("NOMX")),
      tbDosDoxod(*session, QStringLiteral("tbDosDoxod"), Place::Directory, {}, QStringLiteral("Doxod"), {}, true),
      tbDosVicet(*session, QStringLiteral("tbDosVicet"), Place::Directory, {}, QStringLiteral("Vicet"), {}, true),
      tbDosNewHome(*session, QStringLiteral("tbDosNewHome"), Place::Directory, {}, QStringLiteral("Object"), {},
                   true),
      tbVicet(*session, QStringLiteral("tbVicet"), Place::DatabaseObject, kDbKvZt, QStringLiteral("Vicet22"),
              QStringLiteral("IDKODX")),
      tbNewHome(*session, QStringLiteral("tbNewHome"), Place::DatabaseObject, kDbKvZt, QStringLiteral("NH22"),
                QStringLiteral("IDX")),
      tbReg(*session, QStringLiteral("tbReg"), Place::Alias, kVxS, QStringLiteral("K1REG"), QStringLiteral("KODREGX")),
      tbNPM(*session, QStringLiteral("tbNPM"), Place::Alias, kVxB, QStringLiteral("npm32"), QStringLiteral("IDX")),
      tbKV(*session, QStringLiteral("tbKV"), Place::Alias, kVxB, QStringLiteral("KV32"), QStringLiteral("IDCODEX")),
      tbPVS(*session, QStringLiteral("tbPVS"), Place::Alias, kVxB, QStringLiteral("pvs32"), QStringLiteral("IDX")),
      tbNHK(*session, QStringLiteral("tbNHK"), Place::Alias, kVxB, QStringLiteral("NhK32"), QStringLiteral("IDX")),
      tbAV(*session, QStringLiteral("tbAV"), Place::Alias, kVxB, QStringLiteral("av32"), QStringLiteral("IDX")),
      tbVM(*session, QStringLiteral("tbVM"), Place::Alias, kVxB, QStringLiteral("VM32"), QStringLiteral("IDX")),
      tbKD(*session, QStringLiteral("tbKD"), Place::Alias, kVxB, QStringLiteral("KD32"), QStringLiteral("IDCODEX")),
      tbK5(*session, QStringLiteral("tbK5"), Place::Alias, kVxB, QStringLiteral("K5_32"), QStringLiteral("IDFLAGX")),
      tbK51(*session, QStringLiteral("tbK51"), Place::Alias, kVxB, QStringLiteral("K51_32"),
            QStringLiteral("IDFLAGX")),
      tbK52(*session, QStringLiteral("tbK52"), Place::Alias, kVxB, QStringLiteral("K52_32"),
            QStringLiteral("IDFLAGX")),
      tbK5CU(*session, QStringLiteral("tbK5CU"), Place::Alias, kVxB, QStringLiteral("K5CU32"), QStringLiteral("IDX")),
      tbK51CU(*session, QStringLiteral("tbK51CU"), Place::Alias, kVxB, QStringLiteral("K51CU32"),
              QStringLiteral("IDX")),
      tbK52CU(*session, QStringLiteral("tbK52CU"), Place::Alias, kVxB, QStringLiteral("K52CU32"),
              QStringLiteral("IDX")),
      tbMVClc(*session, QStringLiteral("tbMVClc"), Place::Alias, kVxB, QStringLiteral("MVC32"), QStringLiteral("IDX")),
      tbFC(*session, QStringLiteral("tbFC"), Place::Alias, kVxB, QStringLiteral("FC32"), QStringLiteral("IDX")),
      tbKart(*session, QStringLiteral("tbKart"), Place::Alias, kVxB, QStringLiteral("kart32"), QStringLiteral("IDX")) {
    if (connect == Connect::Now) this->connect();
    if (!registered()) registered() = this;
}

TdmKVZT::~TdmKVZT() {
    if (registered() == this) registered() = nullptr;
    // Closing writes and syncs what was changed; a destructor cannot report
    // a failure (a full disk), so each table is closed whatever the others do.
    auto closeQuietly = [](TableComponent* component) {
        try {
            component->close();
        } catch (...) {
        }
    };
    auto four = alwaysOpen();
    for (auto it = four.rbegin(); it != four.rend(); ++it) closeQuietly(*it);
    for (TableComponent* component : components()) closeQuietly(component);
}

engine::Database& TdmKVZT::dbKvZt() { return session_->database(kDbKvZtAlias); }

void TdmKVZT::connect() {
    dbKvZt();
    openAlwaysOpenTables();
}

bool TdmKVZT::connected() const {
    return tbReg.active() && tbTip.active() && tbCountry.active() && tbDoc.active();
}

std::vector<TableComponent*> TdmKVZT::alwaysOpen() { return {&tbReg, &tbTip, &tbCountry, &tbDoc}; }

void TdmKVZT::openAlwaysOpenTables() {
    std::vector<TableComponent*> openedNow;
    try {
        for (TableComponent* component : alwaysOpen()) {
            if (component->active()) continue;
            component->open();
            openedNow.push_back(component);
        }
    } catch (...) {
        // Leave no half of the set holding files the start-up check may need
        // to recreate or reindex.
        for (auto it = openedNow.rbegin(); it != openedNow.rend(); ++it) (*it)->close();
        throw;
    }
}

void TdmKVZT::closeAlwaysOpenTables() {
    for (TableComponent* component : alwaysOpen()) component->close();
}

QString TdmKVZT::GetRegName(const QString& regionCode) {
    engine::Table& reg = tbReg.table();
    const QString name = LookupField(reg, QStringLiteral("KODREGX"), {{QStringLiteral("KODREG"), regionCode}}, 0);
    if (name.trimmed().isEmpty()) return {};
    const QString type = LookupField(reg, QStringLiteral("KODREGX"), {{QStringLiteral("KODREG"), regionCode}}, 1);
    const QString typeName = LookupField(tbTip.table(), QStringLiteral("CODEX"), {{QStringLiteral("Code"), type}}, 1);
    return name + QStringLiteral("  ") + typeName;
}

std::vector<TableComponent*> TdmKVZT::components() {
    return {&tbUPI,   &tbDoxod, &tbSpisok, &tbTip,   &tbCountry, &tbDoc,   &tbSved,   &tbDosDoxod,
            &tbDosVicet, &tbDosNewHome, &tbVicet, &tbNewHome, &tbReg, &tbNPM, &tbKV, &tbPVS, &tbNHK, &tbAV,
            &tbVM,    &tbKD,    &tbK5,     &tbK51,   &tbK52,     &tbK5CU,  &tbK51CU,  &tbK52CU, &tbMVClc,
            &tbFC,    &tbKart};
}

TableComponent* TdmKVZT::component(const QString& name) {
    for (TableComponent* c : components()) {
        if (c->name().compare(name, Qt::CaseInsensitive) == 0) return c;
    }
    return nullptr;
}

TdmKVZT* dmKVZT() { return registered(); }

namespace {

// The import's target components in the order they are emptied.
std::vector<TableComponent*> importTargets(TdmKVZT& dm) {
    return {&dm.tbDoxod, &dm.tbVicet, &dm.tbNewHome, &dm.tbSved, &dm.tbSpisok, &dm.tbNPM,   &dm.tbKV,
            &dm.tbPVS,   &dm.tbVM,    &dm.tbNHK,     &dm.tbAV,   &dm.tbKD,     &dm.tbK5,    &dm.tbK51,
            &dm.tbK52,   &dm.tbK5CU,  &dm.tbK51CU,   &dm.tbK52CU, &dm.tbMVClc, &dm.tbFC,    &dm.tbKart};
}

}  // namespace

QStringList ImportTargetTables() {
    return {QStringLiteral("DOXOD22"), QStringLiteral("Vicet22"), QStringLiteral("NH22"),
            QStringLiteral("Svbase32"), QStringLiteral("Spisok32"), QStringLiteral("npm32"),
            QStringLiteral("KV32"),     QStringLiteral("pvs32"),    QStringLiteral("VM32"),
            QStringLiteral("NhK32"),    QStringLiteral("av32"),     QStringLiteral("KD32"),
            QStringLiteral("K5_32"),    QStringLiteral("K51_32"),   QStringLiteral("K52_32"),
            QStringLiteral("K5CU32"),   QStringLiteral("K51CU32"),  QStringLiteral("K52CU32"),
            QStringLiteral("MVC32"),    QStringLiteral("FC32"),     QStringLiteral("kart32")};
}

void EmptyImportTargets(TdmKVZT& dm, const std::function<void(const QString&)>& onTable) {
    for (TableComponent* component : importTargets(dm)) {
        if (onTable) onTable(component->tableName());
        component->emptyTable();
    }
}

}  // namespace kvzt::data
