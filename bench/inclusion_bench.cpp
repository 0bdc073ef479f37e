// Both inclusions at 5,000 and 50,000 duplicate rows (or n and 10·n with an
// argument): a Windows 3.2 source of n taxpayers with one statement each is
// imported twice, so that every taxpayer and every statement of the second
// import becomes a duplicate; every row is marked "з" and both inclusions
// run, rows gathered into transactions as the program runs them. As a
// baseline in the same run, the same at a small size with a commit after
// every row (how the inclusions ran before rows were gathered). Prints rows
// per second; asserts nothing.

#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/bench_tables.h"
#include "data/data_module.h"
#include "duplicates/income_inclusion.h"
#include "duplicates/income_sources.h"
#include "duplicates/list_inclusion.h"
#include "duplicates/mark_all.h"
#include "engine/session.h"
#include "import/import_run.h"
#include "samples/import/sample_people.h"
#include "samples/import/source_writers.h"

using namespace kvzt;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

namespace {

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

class QuietImport final : public import::ImportProgress {
public:
    void setMaximum(int) override {}
    void setPosition(int) override {}
    bool cancelled() override { return false; }
};

class QuietInclusion final : public duplicates::InclusionProgress {
public:
    void setMaximum(int) override {}
    void setPosition(int) override {}
    bool cancelled() override { return false; }
};

void writeSource(const fs::path& dir, int persons) {
    samples::PeopleOptions options;
    options.persons = persons;
    options.statementsPerPerson = 1;
    options.linesPerStatement = 5;
    options.exactCounts = true;
    options.seed = 11;
    samples::PeopleGenerator generator(options);
    auto writer = samples::MakeWin32Writer(dir.string());
    for (int i = 0; i < persons; ++i) writer->add(generator.next());
    writer->finish();
}

bool importTwice(engine::Session& session, const fs::path& source) {
    for (int i = 0; i < 2; ++i) {
        data::TdmKVZT dm(session, data::TdmKVZT::Connect::Later);
        import::ImportRequest request;
        request.srcDir = QString::fromStdString(source.string());
        request.kind = import::SourceKind::Win32;
        QuietImport progress;
        const import::ImportResult result = import::RunImport(dm, request, progress);
        if (result.error) {
            std::printf("  import stopped: %s\n", result.errorText().toStdString().c_str());
            return false;
        }
    }
    return true;
}

void report(const char* what, const duplicates::InclusionResult& r, double time) {
    if (r.error) {
        std::printf("  %-22s stopped: %s\n", what, r.errorText().toStdString().c_str());
        return;
    }
    std::printf("  %-22s %7d rows %8.2f s %9.0f rows/s\n", what, r.written(), time,
                time > 0 ? r.written() / time : 0.0);
}

void run(const fs::path& root, int persons, int spanMs) {
    const fs::path source = root / "source";
    writeSource(source, persons);
    auto session = bench::emptyDatabase(root / "db");
    if (!importTwice(*session, source)) return;
    std::printf("n = %d taxpayers, %s:\n", persons,
                spanMs == 0 ? "a commit after every row (baseline)" : "rows gathered into transactions");

    data::TdmKVZT dm(*session, data::TdmKVZT::Connect::Later);
    duplicates::SetAllMarks(dm, duplicates::kSpisDupTable, duplicates::kMarkReplace);
    QuietInclusion progress;
    auto t0 = Clock::now();
    const duplicates::InclusionResult list = duplicates::RunListInclusion(dm, {nullptr, {}, spanMs}, progress);
    report("list inclusion", list, seconds(t0));

    duplicates::SetIncomeSources(dm, QString::fromStdString(source.string()), import::SourceKind::Win32);
    duplicates::SetAllMarks(dm, duplicates::kSvedDupTable, duplicates::kMarkReplace);
    t0 = Clock::now();
    const duplicates::InclusionResult income =
        duplicates::RunIncomeInclusion(dm, {import::SourceKind::Win32, nullptr, {}, spanMs}, progress);
    report("income inclusion", income, seconds(t0));
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // the import asks for the program's directory
    const int n = argc > 1 ? std::max(10, std::atoi(argv[1])) : 5000;
    const fs::path root = fs::temp_directory_path() / "kvzt-inclusion-bench";
    fs::remove_all(root);
    run(root / "baseline", std::max(10, n / 50), 0);
    run(root / "n", n, 1000);
    run(root / "10n", 10 * n, 1000);
    fs::remove_all(root);
    return 0;
}
