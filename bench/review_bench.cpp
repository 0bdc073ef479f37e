// Opening the two duplicate reviews over 50,000 rows each (offscreen): the
// time from the window's construction to a shown window with its first
// screen painted, and the records its cursor read, against one read of every
// row in the grid's order (what opening cost when the grid copied every row).
// Also the time of "Заменить все" in the taxpayer review. Makes its own
// scratch database; prints the figures, asserts nothing.
//
//   review_bench [ROWS]   (default 50000)

#include <QApplication>
#include <QPushButton>
#include <QTableView>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_tables.h"
#include "data/data_module.h"
#include "data/settings_file.h"
#include "data/ui/table_model.h"
#include "duplicates/ui/list_review_window.h"
#include "duplicates/ui/sved_dbl_window.h"
#include "engine/alias_config.h"
#include "engine/session.h"
#include "engine/table.h"
#include "schema/index_catalogue.h"
#include "schema/table_catalogue.h"

using namespace kvzt;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

const char* kSurnames[] = {"Иванов", "Петрова", "Сидоров", "Кузнецова", "Смирнов", "Попова", "Волков", "Орлов"};

void fill(engine::Session& session, int rows) {
    {
        auto t = session.openTable("VX_S", "Spis_D32", engine::OpenMode::Exclusive);
        for (int i = 1; i <= rows; ++i) {
            t->append();
            t->setString("FAM", std::string(kSurnames[i % 8]) + std::to_string(i));
            t->setString("NAME", "Иван");
            t->setString("OTC", "Ильич");
            t->setInteger("NOM", i);
            t->setDate("DATEROG", {1950 + i % 50, 1 + i % 12, 1 + i % 28});
            t->setString("INNFL", "772233445566");
            t->post();
        }
    }
    auto t = session.openTable("VX_S", "SvB_32", engine::OpenMode::Exclusive);
    for (int i = 1; i <= rows; ++i) {
        t->append();
        t->setString("FIO", std::string(kSurnames[i % 8]) + std::to_string(i) + " И.И.");
        t->setString("IDDOK", std::to_string(i));
        t->setString("IDDOK_I", std::to_string(100000 + i));
        t->setInteger("NOM", i);
        t->setString("MES", "111111000000");
        t->setFloat("SGDSUM", 1500.5);
        t->setDate("DSVED", {2002, 3, 4});
        t->post();
    }
}

// One read of every row in the tag's order, the fields the grid shows.
double readEveryRow(engine::Session& session, const char* table, const char* tag,
                    std::initializer_list<const char*> fields) {
    const auto t0 = Clock::now();
    auto t = session.openTable("VX_S", table, engine::OpenMode::ReadOnly);
    t->setIndex(tag);
    std::size_t bytes = 0;
    for (t->first(); !t->eof(); t->next())
        for (const char* f : fields) bytes += QString::fromStdString(t->asString(f)).size();
    if (bytes == 0) std::printf("(nothing read)\n");
    return seconds(t0);
}

template <typename Window>
void report(const char* what, Window& w, Clock::time_point t0, double baseline) {
    w.show();
    QApplication::processEvents();
    const double open = seconds(t0);
    std::printf("%s\n", what);
    std::printf("  every row read once (baseline)   %7.3f s\n", baseline);
    std::printf("  open to a painted window         %7.3f s  (%.2f x baseline; aim under 0.3 s)\n", open,
                open / baseline);
    std::printf("  rows %d, records read %llu\n", w.model()->rowCount(),
                (unsigned long long)w.model()->table()->recordsLoaded());
}

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 50000;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    const fs::path root = fs::temp_directory_path() / ("kvzt-review-bench-" + std::to_string(::getpid()));
    const engine::AliasConfig config = bench::freshAliases(root);
    {
        engine::Session session(config);
        bench::createCatalogueTables(session);
        auto t0 = Clock::now();
        fill(session, rows);
        std::printf("%d duplicates in each review table, made in %.2f s\n\n", rows, seconds(t0));
    }

    data::OpenSettings(QString::fromStdString((root / "KvZt32").string()));
    {
        engine::Session session(config);
        data::TdmKVZT dm(session, data::TdmKVZT::Connect::Later);
        {
            const double baseline = readEveryRow(session, "Spis_D32", "FIOX", {"FAM", "NAME", "OTC", "DATEROG", "INCL"});
            auto t0 = Clock::now();
            duplicates::ui::TfmSpisDbl w(dm);
            report("taxpayer review (Spis_D32):", w, t0, baseline);
            const auto t1 = Clock::now();
            w.bbnReplAll->click();
            QApplication::processEvents();
            std::printf("  \"Заменить все\" with the repaint  %7.3f s\n", seconds(t1));
        }
        {
            const double baseline = readEveryRow(session, "SvB_32", "FIOX", {"FIO", "DSVED", "SGDSUM", "INCL"});
            auto t0 = Clock::now();
            duplicates::ui::TfmSvedDbl w(dm, 3);
            report("income review (SvB_32):", w, t0, baseline);
        }
    }
    data::CloseSettings();
    if (!std::getenv("KVZT_BENCH_KEEP")) fs::remove_all(root);
    return 0;
}
