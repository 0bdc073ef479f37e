// The data service over the whole base group (21 tables) holding 10,000
// taxpayers, 50,000 income statements and 500,000 income lines, one in ten
// income lines deleted: the time to reindex the group (tag 1) and to pack it
// (tag 5). Makes its own data in a scratch directory; prints the figures,
// asserts nothing. An optional argument scales the data (0.1 = a tenth).

#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/alias_config.h"
#include "engine/session.h"
#include "engine/table.h"
#include "schema/data_service.h"
#include "schema/table_catalogue.h"
#include "schema/table_groups.h"

using namespace kvzt;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

class QuietProgress final : public schema::DataServiceProgress {
public:
    void setMaximum(int) override {}
    void advance() override {}
    void setStatusText(const QString&) override {}
};

std::string idText(int n, int width) {
    std::string text = std::to_string(n);
    return std::string(std::size_t(width) - text.size(), ' ') + text;
}

void fill(engine::Session& session, int taxpayers, int statements, int lines) {
    const char* fam[] = {"Иванов", "Петров", "Сидоров", "Кузнецов", "Смирнова", "Попова", "Волков"};
    const char* name[] = {"Иван", "Пётр", "Анна", "Мария", "Олег"};
    {
        auto t = session.openTable("VX_B", "SPISOK32", engine::OpenMode::Exclusive);
        for (int i = 1; i <= taxpayers; ++i) {
            t->append();
            t->setInteger("NOM", i);
            t->setString("FAM", fam[i % 7]);
            t->setString("NAME", name[i % 5]);
            t->setString("OTC", "Петрович");
            t->setDate("DATEROG", engine::Date{1950 + i % 50, 1 + i % 12, 1 + i % 28});
            t->setBoolean("ISSPRAV", true);
            t->post();
        }
    }
    {
        auto t = session.openTable("VX_B", "SVBASE32", engine::OpenMode::Exclusive);
        for (int i = 1; i <= statements; ++i) {
            t->append();
            t->setString("ID", idText(i, 9));
            t->setString("IDDOK", idText(i, 8));
            t->setInteger("NOM", 1 + i % taxpayers);
            t->setString("FIO", std::string(fam[i % 7]) + " " + name[i % 5]);
            t->setDate("DSVED", engine::Date{2003, 1 + i % 12, 1 + i % 28});
            t->post();
        }
    }
    {
        auto t = session.openTable("VX_B", "DOXOD22", engine::OpenMode::Exclusive);
        for (int i = 0; i < lines; ++i) {
            t->append();
            t->setString("ID", idText(1 + i % statements, 9));
            t->setString("KOD", std::to_string(1000 + i % 40));
            t->setFloat("SUM", 1000 + i % 9000);
            t->post();
        }
        // One in ten lines deleted, so that the pack has work to do.
        int n = 0;
        for (t->first(); !t->eof();) {
            if (++n % 10 == 0) {
                t->deleteRecord();
            } else {
                t->next();
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const double scale = argc > 1 ? std::atof(argv[1]) : 1.0;
    const int taxpayers = std::max(1, int(10000 * scale));
    const int statements = std::max(1, int(50000 * scale));
    const int lines = std::max(1, int(500000 * scale));

    const auto dir = std::filesystem::temp_directory_path() / "kvzt-data-service-bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    engine::AliasConfig config;
    config.setAlias("VX_B", dir.string());
    engine::Session session(config);

    const QStringList catalogue = schema::BuildTableCatalogue();
    for (const schema::GroupTable& t : schema::TablesOf(schema::TableGroup::Base)) {
        const auto table = schema::FindCatalogueTable(catalogue, QString::fromStdString(t.name));
        schema::CreateTableFromCatalogue(session, catalogue, QStringLiteral("VX_B"), table->fileName,
                                         table->firstFieldLine(), table->fieldCount);
    }
    auto t0 = Clock::now();
    fill(session, taxpayers, statements, lines);
    std::printf("data: %d taxpayers, %d statements, %d income lines (%.2f s to make)\n", taxpayers, statements,
                lines, seconds(t0));

    QuietProgress progress;
    t0 = Clock::now();
    schema::DataServiceResult reindex = schema::RunDataService(session, 1, progress);
    const double reindexTime = seconds(t0);
    if (!reindex.ok()) {
        std::printf("reindex stopped: %s\n", reindex.errorText().toStdString().c_str());
        return 1;
    }
    std::printf("reindex of the base group (21 tables, 30 tags): %.2f s\n", reindexTime);

    t0 = Clock::now();
    schema::DataServiceResult pack = schema::RunDataService(session, 5, progress);
    const double packTime = seconds(t0);
    if (!pack.ok()) {
        std::printf("pack stopped: %s\n", pack.errorText().toStdString().c_str());
        return 1;
    }
    const unsigned left = session.openTable("VX_B", "DOXOD22", engine::OpenMode::ReadOnly)->recordCount();
    std::printf("pack of the base group: %.2f s (DOXOD22 now %u records)\n", packTime, left);
    std::filesystem::remove_all(dir);
    return 0;
}
