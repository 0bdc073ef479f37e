// Fuzz target for the SQL subset: the input is a statement. Parsing must
// end in a statement or EngineError; a parsed one is run against a small
// table of two records in a scratch directory, whose table name and fields
// the seeds use.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "engine/database.h"
#include "engine/errors.h"
#include "engine/sql_statement.h"
#include "engine/table.h"

using namespace kvzt::engine;

namespace {

Database& scratchDatabase() {
    static const std::string dir = "/tmp/kvzt-sql-fuzz-" + std::to_string(getpid());
    static std::unique_ptr<Database> database = [] {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        auto db = std::make_unique<Database>("FUZZ", dir, CodePage::Cp1251);
        db->createTable("SPIS", {{"FAM", 'C', 10, 0, 0}, {"NOM", 'N', 6, 0, 0}, {"USED", 'L', 1, 0, 0}});
        std::unique_ptr<Table> t = db->openTable("SPIS");
        for (const char* name : {"Иванов", ""}) {
            t->append();
            t->setString("FAM", name);
            t->post();
        }
        t->close();
        return db;
    }();
    return *database;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Database& database = scratchDatabase();
    try {
        (void)parseSqlStatement(text);
        (void)database.execSql(text);
    } catch (const EngineError&) {
    }
    return 0;
}
