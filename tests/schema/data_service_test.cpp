// The data service run: reindex, pack and clear over their table groups,
// the stop at a table somebody holds, and kvzt-cli clear.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/session.h"
#include "engine/table.h"
#include "engine/verify.h"
#include "schema/data_service.h"
#include "schema/index_catalogue.h"
#include "schema/pack_error.h"
#include "support/catalogue_database.h"

using namespace kvzt;
using namespace kvzt::schema;
using kvzt::test::CommandResult;

namespace {

// Records everything the run reports.
class RecordingProgress final : public DataServiceProgress {
public:
    void setMaximum(int m) override {
        maximum = m;
        position = 0;
    }
    void advance() override { ++position; }
    void setStatusText(const QString& text) override { texts.push_back(text.toStdString()); }

    int maximum = -1;
    int position = 0;
    std::vector<std::string> texts;
};

std::vector<std::string> catalogueTagNames(const std::string& table) {
    std::vector<std::string> names;
    for (const TagSpec& tag : CatalogueTags(QString::fromStdString(table))) {
        names.push_back(tag.name);
    }
    return names;
}

// Every tag agrees with the data and the tags are exactly the catalogue's.
void expectSoundIndex(engine::Session& s, const GroupTable& t) {
    auto table = s.openTable(t.alias, t.name, engine::OpenMode::ReadOnly);
    EXPECT_EQ(table->tagNames(), catalogueTagNames(t.name)) << t.name;
    for (const engine::TagReport& report : engine::verifyTable(*table)) {
        EXPECT_TRUE(report.problems.empty()) << t.name << " " << report.tag << ": " << report.problems.front();
    }
}

void addTaxpayer(engine::Table& t, int nom, const char* fam, bool sprav, bool kart) {
    t.append();
    t.setInteger("NOM", nom);
    t.setString("FAM", fam);
    t.setString("NAME", "Иван");
    t.setBoolean("ISSPRAV", sprav);
    t.setBoolean("ISKART", kart);
    t.post();
}

void addIncome(engine::Table& t, int id, const char* kod, double sum) {
    t.append();
    t.setString("ID", std::to_string(id));
    t.setString("KOD", kod);
    t.setFloat("SUM", sum);
    t.post();
}

// SPISOK32 with three taxpayers, their statements and income lines.
void fillBaseData(engine::Session& s) {
    auto list = s.openTable("VX_B", "SPISOK32");
    addTaxpayer(*list, 1, "Петров", true, true);
    addTaxpayer(*list, 2, "Иванов", false, true);
    addTaxpayer(*list, 3, "Сидоров", false, false);
    auto sved = s.openTable("VX_B", "SVBASE32");
    for (int id = 1; id <= 3; ++id) {
        sved->append();
        sved->setString("ID", std::to_string(id));
        sved->setInteger("NOM", id);
        sved->setString("FIO", "Петров Иван");
        sved->post();
    }
    auto doxod = s.openTable("VX_B", "DOXOD22");
    for (int i = 0; i < 30; ++i) {
        addIncome(*doxod, 1 + i % 3, i % 2 ? "2000" : "1010", 100.0 + i);
    }
}

std::vector<std::string> rows(engine::Session& s, const char* alias, const char* table, const std::string& tag,
                              const std::vector<const char*>& fields) {
    auto t = s.openTable(alias, table, engine::OpenMode::ReadOnly);
    t->setIndex(tag);
    std::vector<std::string> out;
    for (t->first(); !t->eof(); t->next()) {
        std::string row;
        for (const char* f : fields) {
            row += t->asString(f) + "|";
        }
        out.push_back(row);
    }
    return out;
}

int engineCode(const DataServiceResult& r) {
    try {
        std::rethrow_exception(r.error);
    } catch (const engine::EngineError& e) {
        return e.code();
    } catch (const EPackError& e) {
        return e.code();
    } catch (...) {
    }
    return 0;
}

CommandResult cli(std::vector<std::string> args, const test::CatalogueDatabase& db) {
    args.insert(args.begin(), test::cliPath());
    args.insert(args.end(), {"--alias", "VX_B=" + db.base.path(), "--alias", "VX_S=" + db.sprav.path()});
    return test::runCommand(args);
}

}  // namespace

TEST(DataServiceCommands, TagsCaptionsAndGroups) {
    EXPECT_EQ(DataServCaption(1), QString::fromUtf8("Переиндексация cписка, карточек и справок"));
    EXPECT_EQ(DataServCaption(5), QString::fromUtf8("Уплотнение cписка, карточек и справок"));
    // The "c" of "cписка" is Latin in both captions.
    EXPECT_EQ(DataServCaption(1).at(15), QLatin1Char('c'));
    EXPECT_EQ(DataServCaption(5).at(11), QLatin1Char('c'));
    EXPECT_EQ(DataServCaption(11), QString::fromUtf8("Очистка сведений о доходах и списка таксантов"));
    for (int tag : {8, 9, 12, 255}) {
        EXPECT_EQ(DataServKind(tag), ServiceKind::None) << tag;
        EXPECT_TRUE(DataServCaption(tag).isEmpty()) << tag;
    }
    EXPECT_EQ(DataServKind(3), ServiceKind::Reindex);
    EXPECT_EQ(DataServKind(4), ServiceKind::Pack);
    EXPECT_EQ(DataServKind(10), ServiceKind::Clear);
    EXPECT_EQ(DataServGroup(3), TableGroup::Sprav);
    EXPECT_EQ(DataServGroup(4), TableGroup::All);
    EXPECT_EQ(DataServGroup(11), TableGroup::IncomeAndList);
    EXPECT_EQ(DataServTag(ServiceKind::Pack, TableGroup::Kladr), 6);
    EXPECT_EQ(DataServTag(ServiceKind::Reindex, TableGroup::All), 0);
    EXPECT_EQ(DataServTag(ServiceKind::Clear, TableGroup::Income), -1);

    // The reference books run DOLGN before KlVIC30 alone, after it in "all".
    const std::vector<GroupTable> sprav = TablesOf(TableGroup::Sprav);
    EXPECT_EQ(sprav[4].name, "DOLGN");
    EXPECT_EQ(sprav[5].name, "KlVIC30");
    const std::vector<GroupTable> all = TablesOf(TableGroup::All);
    ASSERT_EQ(all.size(), 34u);
    EXPECT_EQ(all[32].name, "KlVIC30");
    EXPECT_EQ(all[33].name, "DOLGN");

    // A tag that runs nothing touches nothing and reports nothing.
    test::CatalogueDatabase db;
    RecordingProgress progress;
    const DataServiceResult r = RunDataService(*db.session, 8, progress);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.tablesDone, 0);
    EXPECT_EQ(progress.maximum, -1);
    EXPECT_TRUE(progress.texts.empty());
}

TEST(DataServiceReindex, ClassifierGroupGetsExactlyTheCatalogueTags) {
    test::CatalogueDatabase db;
    {
        auto reg = db.session->openTable("VX_S", "K1REG");
        reg->append();
        reg->setString("NAME", "Москва");
        reg->setString("KODREG", "77");
        reg->post();
        reg->addIndex("EXTRA", "TIP");
        auto socr = db.session->openTable("VX_S", "K7SOCR");
        socr->append();
        socr->setString("LEV", "1");
        socr->setString("NAME", "г");
        socr->setString("CODE", "103");
        socr->post();
        socr->deleteIndex("LEVNAME");  // an incomplete index
    }
    RecordingProgress progress;
    const DataServiceResult r = RunDataService(*db.session, 2, progress);
    ASSERT_TRUE(r.ok()) << r.errorText().toStdString();
    EXPECT_EQ(r.tablesDone, 7);
    EXPECT_EQ(progress.maximum, 14);  // doubled for reindexing
    EXPECT_EQ(progress.position, 14);
    EXPECT_EQ(progress.texts, (std::vector<std::string>{"K1REG", "K2RAI", "K3TOW", "K4NAS", "K5ULI", "K6DOM",
                                                        "K7SOCR", ""}));
    for (const GroupTable& t : TablesOf(TableGroup::Kladr)) {
        expectSoundIndex(*db.session, t);
    }
    auto reg = db.session->openTable("VX_S", "K1REG");
    reg->setIndex("KODREGX");
    ASSERT_TRUE(reg->findKey({engine::Value(std::string("77"))}));
    EXPECT_EQ(reg->asString("NAME"), "Москва");
}

TEST(DataServicePack, RemovesDeletedRecordsAndKeepsTheRestInOrder) {
    test::CatalogueDatabase db;
    fillBaseData(*db.session);
    std::vector<std::string> kept;
    {
        auto doxod = db.session->openTable("VX_B", "DOXOD22");
        for (doxod->first(); !doxod->eof();) {
            if (doxod->recNo() % 4 == 0) {
                doxod->deleteRecord();
            } else {
                kept.push_back(doxod->asString("ID") + "|" + doxod->asString("KOD") + "|" +
                               doxod->asString("SUM") + "|");
                doxod->next();
            }
        }
        auto list = db.session->openTable("VX_B", "SPISOK32");
        list->setIndex("NOMX");
        list->findKey({engine::Value(std::int64_t(2))});
        list->deleteRecord();
    }
    const std::vector<std::string> doxodByTag = rows(*db.session, "VX_B", "DOXOD22", "IDKODX", {"ID", "KOD", "SUM"});

    RecordingProgress progress;
    const DataServiceResult r = RunDataService(*db.session, 5, progress);
    ASSERT_TRUE(r.ok()) << r.errorText().toStdString();
    EXPECT_EQ(progress.maximum, 21);
    EXPECT_EQ(progress.position, 21);

    auto doxod = db.session->openTable("VX_B", "DOXOD22", engine::OpenMode::ReadOnly);
    EXPECT_EQ(doxod->recordCount(), kept.size());  // the deleted records are gone from the file
    doxod->close();
    EXPECT_EQ(rows(*db.session, "VX_B", "DOXOD22", "", {"ID", "KOD", "SUM"}), kept);
    EXPECT_EQ(rows(*db.session, "VX_B", "DOXOD22", "IDKODX", {"ID", "KOD", "SUM"}), doxodByTag);
    EXPECT_EQ(rows(*db.session, "VX_B", "SPISOK32", "NOMX", {"NOM", "FAM"}),
              (std::vector<std::string>{"1|Петров|", "3|Сидоров|"}));
    for (const GroupTable& t : TablesOf(TableGroup::Base)) {
        expectSoundIndex(*db.session, t);
    }
}

TEST(DataServiceClear, IncomeOnlyUnmarksEveryTaxpayer) {
    test::CatalogueDatabase db;
    fillBaseData(*db.session);
    RecordingProgress progress;
    const DataServiceResult r = RunDataService(*db.session, 10, progress);
    ASSERT_TRUE(r.ok()) << r.errorText().toStdString();
    EXPECT_EQ(r.tablesDone, 20);
    EXPECT_EQ(progress.position, 20);
    for (const GroupTable& t : TablesOf(TableGroup::Income)) {
        auto table = db.session->openTable(t.alias, t.name, engine::OpenMode::ReadOnly);
        EXPECT_EQ(table->recordCount(), 0u) << t.name;
        table->close();
        expectSoundIndex(*db.session, t);
    }
    auto list = db.session->openTable("VX_B", "SPISOK32", engine::OpenMode::ReadOnly);
    int taxpayers = 0;
    for (list->first(); !list->eof(); list->next(), ++taxpayers) {
        EXPECT_FALSE(list->asBoolean("ISSPRAV")) << list->asString("FAM");
        EXPECT_FALSE(list->asBoolean("ISKART")) << list->asString("FAM");
    }
    EXPECT_EQ(taxpayers, 3);
    list->close();
    expectSoundIndex(*db.session, {"VX_B", "SPISOK32"});
}

TEST(DataServiceClear, IncomeAndListEmptiesTheListToo) {
    test::CatalogueDatabase db;
    fillBaseData(*db.session);
    RecordingProgress progress;
    const DataServiceResult r = RunDataService(*db.session, 11, progress);
    ASSERT_TRUE(r.ok()) << r.errorText().toStdString();
    EXPECT_EQ(r.tablesDone, 21);
    EXPECT_EQ(progress.texts[20], "SPISOK32");
    for (const GroupTable& t : TablesOf(TableGroup::IncomeAndList)) {
        auto table = db.session->openTable(t.alias, t.name, engine::OpenMode::ReadOnly);
        EXPECT_TRUE(table->isEmpty()) << t.name;
        table->close();
        expectSoundIndex(*db.session, t);
    }
}

TEST(DataServiceStop, ATableHeldElsewhereStopsTheCommandThere) {
    test::CatalogueDatabase db;
    db.session->openTable("VX_B", "SPISOK32")->addIndex("EXTRA", "FAM");
    db.session->openTable("VX_B", "VICET22")->addIndex("EXTRA", "ID");
    // Reindex of the base group: SPISOK32, SVBASE32, then DOXOD22 is held.
    {
        auto holder = db.session->openTable("VX_B", "DOXOD22");
        RecordingProgress progress;
        const DataServiceResult r = RunDataService(*db.session, 1, progress);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.stoppedAt->name, "DOXOD22");
        EXPECT_EQ(r.tablesDone, 2);
        EXPECT_EQ(engineCode(r), engine::code::TableInUse);
        EXPECT_EQ(r.stopText().toStdString(),
                  "Команда остановлена на таблице VX_B:DOXOD22. Обработаны таблицы (2): VX_B:SPISOK32, "
                  "VX_B:SVBASE32.");
        EXPECT_FALSE(r.errorText().isEmpty());
    }
    // The tables before it were done, the ones after it untouched.
    expectSoundIndex(*db.session, {"VX_B", "SPISOK32"});
    auto vicet = db.session->openTable("VX_B", "VICET22", engine::OpenMode::ReadOnly);
    EXPECT_EQ(vicet->tagNames(), (std::vector<std::string>{"IDKODX", "EXTRA"}));
    vicet->close();

    // A pack stops with the typed pack error.
    {
        auto holder = db.session->openTable("VX_B", "SVBASE32");
        RecordingProgress progress;
        const DataServiceResult r = RunDataService(*db.session, 5, progress);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.stoppedAt->name, "SVBASE32");
        EXPECT_EQ(r.tablesDone, 1);
        EXPECT_EQ(engineCode(r), 10253);
        EXPECT_TRUE(r.errorText().startsWith(QStringLiteral("Table Pack Error: 10253.  ")))
            << r.errorText().toStdString();
    }
    // A clear takes every table before it empties any: a held table stops
    // it with nothing emptied, the tables before it included.
    {
        fillBaseData(*db.session);
        auto holder = db.session->openTable("VX_B", "VICET22");
        RecordingProgress progress;
        const DataServiceResult r = RunDataService(*db.session, 10, progress);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.stoppedAt->name, "VICET22");
        EXPECT_EQ(r.tablesDone, 0);
        EXPECT_EQ(r.stopText().toStdString(),
                  "Команда остановлена на таблице VX_B:VICET22. Ни одна таблица не обработана.");
        auto doxod = db.session->openTable("VX_B", "DOXOD22", engine::OpenMode::ReadOnly);
        EXPECT_FALSE(doxod->isEmpty());
        // The marks stay: the command did not reach them.
        auto list = db.session->openTable("VX_B", "SPISOK32", engine::OpenMode::ReadOnly);
        list->first();
        EXPECT_TRUE(list->asBoolean("ISSPRAV"));
    }
    // The taxpayer list held stops the clearing of incomes too (it would
    // reset its marks last) and of incomes and list, before anything is emptied.
    for (const int tag : {10, 11}) {
        auto holder = db.session->openTable("VX_B", "SPISOK32");
        RecordingProgress progress;
        const DataServiceResult r = RunDataService(*db.session, tag, progress);
        ASSERT_FALSE(r.ok()) << tag;
        EXPECT_EQ(r.stoppedAt->name, "SPISOK32");
        EXPECT_EQ(engineCode(r), engine::code::TableInUse);
        EXPECT_FALSE(db.session->openTable("VX_B", "DOXOD22", engine::OpenMode::ReadOnly)->isEmpty()) << tag;
    }
}

TEST(DataServiceCli, ClearRunsTheSameCommandAndStopsAtAHeldTable) {
    test::CatalogueDatabase db;
    fillBaseData(*db.session);
    EXPECT_EQ(cli({"clear"}, db).exitCode, 2);
    EXPECT_EQ(cli({"clear", "--income", "--income-and-list"}, db).exitCode, 2);
    EXPECT_EQ(cli({"clear", "--all"}, db).exitCode, 2);

    // Another process (this one) holds NH22: the command line stops there.
    {
        auto holder = db.session->openTable("VX_B", "NH22");
        const CommandResult held = cli({"clear", "--income"}, db);
        EXPECT_EQ(held.exitCode, 2);
        EXPECT_NE(held.err.find("VX_B:NH22"), std::string::npos) << held.err;
        EXPECT_NE(held.err.find("0x280D"), std::string::npos) << held.err;
        EXPECT_NE(held.err.find("Ни одна таблица не обработана."), std::string::npos) << held.err;
    }
    EXPECT_FALSE(db.session->openTable("VX_B", "SVBASE32")->isEmpty());

    const CommandResult income = cli({"clear", "--income"}, db);
    ASSERT_EQ(income.exitCode, 0) << income.err;
    EXPECT_NE(income.err.find("[20/20] kart32"), std::string::npos) << income.err;
    {
        auto list = db.session->openTable("VX_B", "SPISOK32", engine::OpenMode::ReadOnly);
        EXPECT_EQ(list->recordCount(), 3u);
        for (list->first(); !list->eof(); list->next()) {
            EXPECT_FALSE(list->asBoolean("ISSPRAV") || list->asBoolean("ISKART"));
        }
    }
    const CommandResult all = cli({"clear", "--income-and-list"}, db);
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_TRUE(db.session->openTable("VX_B", "SPISOK32")->isEmpty());
    expectSoundIndex(*db.session, {"VX_B", "SPISOK32"});
}
