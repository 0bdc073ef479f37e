#pragma once
// A copy of a scratch host database (its VX_B and VX_S directories), opened
// as the program opens it, that can be closed and started again: what a
// fault-injection sweep runs each point on. With the contents of its tables
// (live records only, whatever their record numbers) and their tag checks.

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/data_module.h"
#include "engine/alias_config.h"
#include "engine/session.h"
#include "engine/table.h"
#include "engine/verify.h"
#include "support/test_support.h"

namespace kvzt::test {

struct AliasTable {
    const char* alias;
    const char* table;
};

class DatabaseCopy {
public:
    DatabaseCopy(const std::string& base, const std::string& sprav) {
        std::filesystem::copy(base, dir.file("base"), std::filesystem::copy_options::recursive);
        std::filesystem::copy(sprav, dir.file("sprav"), std::filesystem::copy_options::recursive);
        open();
    }

    std::string base() const { return dir.file("base"); }
    std::string sprav() const { return dir.file("sprav"); }

    // The program closes its tables (with the disk as it is).
    void close() {
        dm.reset();
        session.reset();
    }
    // The program started again: both databases opened, which recovers
    // whatever a failed run left behind.
    void restart() {
        close();
        open();
        session->database("VX_B");
        session->database("VX_S");
    }

    // The live records of a table, each as its fields joined, sorted.
    std::vector<std::string> contents(const AliasTable& t) {
        auto table = session->openTable(t.alias, t.table, engine::OpenMode::ReadOnly);
        std::vector<std::string> rows;
        for (table->first(); !table->eof(); table->next()) {
            std::string row;
            for (const auto& field : table->fields()) row += table->asString(field.name) + "|";
            rows.push_back(std::move(row));
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    std::vector<std::vector<std::string>> contents(const std::vector<AliasTable>& tables) {
        std::vector<std::vector<std::string>> all;
        for (const AliasTable& t : tables) all.push_back(contents(t));
        return all;
    }

    // "TABLE TAG: problem" for every tag that disagrees with its table.
    std::vector<std::string> tagProblems(const std::vector<AliasTable>& tables) {
        std::vector<std::string> problems;
        for (const AliasTable& t : tables) {
            auto table = session->openTable(t.alias, t.table, engine::OpenMode::ReadOnly);
            for (const engine::TagReport& report : engine::verifyTable(*table))
                for (const std::string& problem : report.problems)
                    problems.push_back(std::string(t.table) + " " + report.tag + ": " + problem);
        }
        return problems;
    }

    TempDir dir;
    std::unique_ptr<engine::Session> session;
    std::unique_ptr<data::TdmKVZT> dm;

private:
    void open() {
        engine::AliasConfig config;
        config.setAlias("VX_B", base());
        config.setAlias("VX_S", sprav());
        session = std::make_unique<engine::Session>(config);
        dm = std::make_unique<data::TdmKVZT>(*session, data::TdmKVZT::Connect::Later);
    }
};

}  // namespace kvzt::test
