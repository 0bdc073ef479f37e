// The data module: the always-open tables, the tables it opens on demand,
// the region name lookup and the emptying of the import's target tables.

#include <gtest/gtest.h>

#include <filesystem>

#include "data/data_module.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/session.h"
#include "engine/table.h"
#include "support/catalogue_database.h"

using namespace kvzt;
using data::TdmKVZT;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

int errorCode(const std::function<void()>& f) {
    try {
        f();
    } catch (const engine::EngineError& e) {
        return e.code();
    }
    return 0;
}

// One record with the first character field set (enough to be "not empty").
void addRecord(engine::Table& t, const std::string& text = "1") {
    t.append();
    for (const engine::FieldDef& f : t.fields()) {
        if (f.type == 'C') {
            t.setString(f.name, text);
            break;
        }
    }
    t.post();
}

void fill(engine::Session& s, const char* alias, const QString& table) {
    auto t = s.openTable(alias, table.toStdString());
    addRecord(*t);
    t->close();
}

bool isEmpty(engine::Session& s, const char* alias, const QString& table) {
    auto t = s.openTable(alias, table.toStdString());
    return t->isEmpty();
}

void removeTable(const std::string& dir, const char* name) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string file = entry.path().filename().string();
        if (QString::fromStdString(file).startsWith(QString::fromLatin1(name) + ".", Qt::CaseInsensitive)) {
            std::filesystem::remove(entry.path());
        }
    }
}

}  // namespace

TEST(DataModule, OpensTheFourReferenceTablesWithTheirTagsAndClosesThemOnDestruction) {
    test::CatalogueDatabase db;
    {
        TdmKVZT dm(*db.session);
        EXPECT_TRUE(dm.connected());
        EXPECT_EQ(dm.tbReg->indexName(), "KODREGX");
        EXPECT_EQ(dm.tbTip->indexName(), "CODEX");
        EXPECT_EQ(dm.tbCountry->indexName(), "KODX");
        EXPECT_EQ(dm.tbDoc->indexName(), "CODEX");
        EXPECT_EQ(dm.tbCountry->mode(), engine::OpenMode::ReadOnly);
        EXPECT_EQ(dm.tbDoc->mode(), engine::OpenMode::ReadOnly);
        EXPECT_EQ(dm.tbReg->mode(), engine::OpenMode::Shared);
        // Everything else waits until a part asks for it.
        EXPECT_FALSE(dm.tbSpisok.active());
        EXPECT_FALSE(dm.tbUPI.active());
        EXPECT_EQ(data::dmKVZT(), &dm);

        // The data service's close: nothing of the four is held any more.
        dm.closeAlwaysOpenTables();
        EXPECT_FALSE(dm.connected());
        EXPECT_NO_THROW(db.session->openTable("VX_S", "K1REG", engine::OpenMode::Exclusive));
        dm.openAlwaysOpenTables();
        EXPECT_TRUE(dm.connected());
        EXPECT_EQ(errorCode([&] { db.session->openTable("VX_S", "K7SOCR", engine::OpenMode::Exclusive); }),
                  engine::code::TableInUse);
    }
    EXPECT_EQ(data::dmKVZT(), nullptr);
    EXPECT_NO_THROW(db.session->openTable("VX_S", "KLDOC30", engine::OpenMode::Exclusive));
}

TEST(DataModule, AMissingReferenceTableLeavesNoneOfTheFourOpen) {
    test::CatalogueDatabase db;
    removeTable(db.sprav.path(), "KLSTR22");
    TdmKVZT dm(*db.session, TdmKVZT::Connect::Later);
    EXPECT_FALSE(dm.tbReg.active());
    EXPECT_EQ(errorCode([&] { dm.connect(); }), engine::code::NoSuchTable);
    // K1REG and K7SOCR were opened before the failure and closed again, so a
    // check can take them exclusively.
    EXPECT_FALSE(dm.tbReg.active());
    EXPECT_FALSE(dm.tbTip.active());
    EXPECT_NO_THROW(db.session->openTable("VX_S", "K1REG", engine::OpenMode::Exclusive));

    // Once the table is back, connecting again succeeds.
    test::CatalogueDatabase fresh;
    std::filesystem::copy_file(fresh.sprav.file("KLSTR22.DBF"), db.sprav.file("KLSTR22.DBF"));
    std::filesystem::copy_file(fresh.sprav.file("KLSTR22.MDX"), db.sprav.file("KLSTR22.MDX"));
    dm.connect();
    EXPECT_TRUE(dm.connected());
}

TEST(DataModule, AnUnknownAliasIsAnEngineError) {
    engine::Session empty{engine::AliasConfig{}};
    TdmKVZT dm(empty, TdmKVZT::Connect::Later);
    EXPECT_EQ(errorCode([&] { dm.connect(); }), engine::code::UnknownDatabase);
    EXPECT_EQ(errorCode([&] { dm.tbSpisok.open(); }), engine::code::UnknownDatabase);
}

TEST(DataModule, TablesOpenOnDemandInTheirPlaces) {
    test::CatalogueDatabase db;
    TdmKVZT dm(*db.session);

    engine::Table& spisok = dm.tbSpisok.table();
    EXPECT_TRUE(dm.tbSpisok.active());
    EXPECT_EQ(spisok.indexName(), "FIOBORN");

    // The income tables written inside a transaction go through dbKvZt.
    EXPECT_EQ(dm.tbDoxod->database(), &dm.dbKvZt());
    EXPECT_EQ(dm.tbVicet->database(), &dm.dbKvZt());
    EXPECT_EQ(dm.tbNewHome->database(), &dm.dbKvZt());
    dm.dbKvZt().startTransaction();
    addRecord(dm.tbDoxod.table());
    dm.dbKvZt().rollback();
    dm.tbDoxod->first();
    EXPECT_TRUE(dm.tbDoxod->isEmpty());

    // The DOS source tables need their directory first, and are read-only.
    EXPECT_EQ(errorCode([&] { dm.tbDosDoxod.open(); }), engine::code::InvalidParam);
    test::TempDir source;
    {
        engine::Database dir("src", source.path(), engine::CodePage::Cp866);
        dir.createTable("DOXOD.DBF", {{"ID", 'C', 5, 0, 0}});
    }
    dm.tbDosDoxod.setDatabaseName(QString::fromStdString(source.path()));
    EXPECT_EQ(dm.tbDosDoxod->mode(), engine::OpenMode::ReadOnly);
    EXPECT_EQ(errorCode([&] { dm.tbDosDoxod.setDatabaseName(u("/elsewhere")); }), engine::code::InvalidState);
    dm.tbDosDoxod.close();
    EXPECT_NO_THROW(dm.tbDosDoxod.setDatabaseName(u("/elsewhere")));

    EXPECT_EQ(dm.component(u("tbkart")), &dm.tbKart);
    EXPECT_EQ(dm.component(u("tbNone")), nullptr);
    EXPECT_EQ(dm.components().size(), 29u);
}

TEST(DataModule, RegionNameJoinsTheRegionAndItsTypeName) {
    test::CatalogueDatabase db;
    {
        auto reg = db.session->openTable("VX_S", "K1REG");
        for (auto [name, tip, code] : {std::tuple{"Московская", "105", "50"}, std::tuple{"Без типа", "999", "51"},
                                       std::tuple{"", "105", "52"}}) {
            reg->append();
            reg->setString("NAME", name);
            reg->setString("TIP", tip);
            reg->setString("KODREG", code);
            reg->post();
        }
        auto socr = db.session->openTable("VX_S", "K7SOCR");
        socr->append();
        socr->setString("LEV", "1");
        socr->setString("NAME", "обл");
        socr->setString("CODE", "105");
        socr->post();
    }
    TdmKVZT dm(*db.session);
    EXPECT_EQ(dm.GetRegName(u("50")), u("Московская  обл"));
    EXPECT_EQ(dm.GetRegName(u("51")), u("Без типа  "));
    EXPECT_EQ(dm.GetRegName(u("52")), QString());
    EXPECT_EQ(dm.GetRegName(u("77")), QString());
    // The lookups leave the tables on their own tags.
    EXPECT_EQ(dm.tbReg->indexName(), "KODREGX");
    EXPECT_EQ(dm.tbTip->indexName(), "CODEX");
}

TEST(DataModule, EmptiesTheImportTargetsInOrderAndNothingElse) {
    test::CatalogueDatabase db;
    const QStringList targets = data::ImportTargetTables();
    ASSERT_EQ(targets.size(), 21);
    for (const QString& t : targets) fill(*db.session, "VX_B", t);
    fill(*db.session, "VX_B", u("Upi32"));
    fill(*db.session, "VX_B", u("DOXOD22_"));
    fill(*db.session, "VX_S", u("Spis_D32"));

    TdmKVZT dm(*db.session);
    dm.tbSpisok.open();  // an open component empties through its own cursor
    QStringList seen;
    data::EmptyImportTargets(dm, [&](const QString& name) { seen << name; });
    EXPECT_EQ(seen, targets);
    for (const QString& t : targets) EXPECT_TRUE(isEmpty(*db.session, "VX_B", t)) << t.toStdString();
    EXPECT_FALSE(isEmpty(*db.session, "VX_B", u("Upi32")));
    EXPECT_FALSE(isEmpty(*db.session, "VX_B", u("DOXOD22_")));
    EXPECT_FALSE(isEmpty(*db.session, "VX_S", u("Spis_D32")));

    // The tags stay and work.
    addRecord(dm.tbSpisok.table(), "Иванов");
    auto spisok = db.session->openTable("VX_B", "SPISOK32");
    EXPECT_EQ(spisok->tagNames().size(), 2u);
    spisok->setIndex("FIOBORN");
    spisok->first();
    EXPECT_EQ(spisok->asString("FAM"), "Иванов");
    EXPECT_FALSE(spisok->eof());
}

TEST(DataModule, EmptyingStopsAtATableThatCannotBeTaken) {
    test::CatalogueDatabase db;
    const QStringList targets = data::ImportTargetTables();
    for (const QString& t : targets) fill(*db.session, "VX_B", t);

    TdmKVZT dm(*db.session);
    const int held = int(targets.indexOf(u("KV32")));
    {
        auto holder = db.session->openTable("VX_B", "KV32");  // someone else has it open
        EXPECT_EQ(errorCode([&] { data::EmptyImportTargets(dm); }), engine::code::TableInUse);
    }
    for (int i = 0; i < targets.size(); ++i) {
        EXPECT_EQ(isEmpty(*db.session, "VX_B", targets[i]), i < held) << targets[i].toStdString();
    }

    // A missing table is reported as such.
    removeTable(db.base.path(), "NH22");
    EXPECT_EQ(errorCode([&] { data::EmptyImportTargets(dm); }), engine::code::NoSuchTable);
}
