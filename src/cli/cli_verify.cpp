// kvzt-cli verify TABLE: every tag of the production index against the data.
// For each tag: every entry's record exists and appears once, its key equals
// the key recomputed from the record, the entries are in key order, and the
// entry count matches the records (all of them, deleted ones included, since
// their keys stay until a pack; distinct keys for a unique tag).
// Exit 1 with a Russian report when anything disagrees.

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "engine/key_expression.h"
#include "engine/production_index.h"
#include "engine/table.h"

namespace kvzt::cli {

namespace {

constexpr int kReportedPerTag = 10;

// Character keys are compared whole, trailing padding aside; numeric and
// date keys by value (writers encode the same number differently).
bool sameKey(char keyType, std::string_view a, std::string_view b) {
    if (keyType != 'C') {
        return engine::compareKeys(keyType, a, b) == 0;
    }
    const auto trim = [](std::string_view s) {
        while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) {
            s.remove_suffix(1);
        }
        return s;
    };
    return trim(a) == trim(b);
}

class TagCheck {
public:
    TagCheck(engine::Table& table, engine::IndexTag& tag) : table_(table), tag_(tag) {}

    // Returns the report lines; empty when the tag agrees with the data.
    std::vector<std::string> run() {
        engine::DbfFile& file = table_.file();
        const std::uint32_t records = file.recordCount();
        const engine::KeyExpression& expression = tag_.expression();
        const char keyType = expression.keyType();
        std::vector<bool> seen(std::size_t(records) + 1, false);
        std::vector<char> record(std::size_t(file.recordLength()));
        std::uint32_t entries = 0;
        std::optional<std::string> previous;

        tag_.forEach([&](const engine::IndexEntry& entry) {
            ++entries;
            if (entry.recno < 1 || entry.recno > records) {
                problem(formatText("запись %u указана в теге, но в таблице всего %u записей", unsigned(entry.recno),
                               unsigned(records)));
                return;
            }
            if (seen[entry.recno]) {
                problem(formatText("запись %u указана в теге больше одного раза", unsigned(entry.recno)));
            }
            seen[entry.recno] = true;
            file.readRecord(entry.recno, record.data());
            const std::string key = expression.evaluate(record.data(), table_.fields(), table_.codePage());
            if (!sameKey(keyType, entry.key, key)) {
                problem(formatText("запись %u: ключ в теге не совпадает с ключом, вычисленным по записи",
                               unsigned(entry.recno)));
            }
            if (previous) {
                const int order = engine::compareKeys(keyType, *previous, entry.key);
                const bool wrong = tag_.descending() ? order < 0 : order > 0;
                if (wrong || (tag_.unique() && order == 0)) {
                    problem(formatText("запись %u стоит в теге не на своём месте", unsigned(entry.recno)));
                }
            }
            previous = entry.key;
        });

        const std::uint32_t expected = tag_.unique() ? distinctKeys() : records;
        if (entries != expected) {
            problem(formatText("в теге %u ключей, а должно быть %u", unsigned(entries), unsigned(expected)));
        }
        if (!tag_.unique()) {
            std::uint32_t missing = 0;
            for (std::uint32_t recno = 1; recno <= records; ++recno) {
                missing += seen[recno] ? 0 : 1;
            }
            if (missing > 0) {
                problem(formatText("%u записей нет в теге", unsigned(missing)));
            }
        }
        if (hidden_ > 0) {
            report_.push_back(formatText("и ещё расхождений: %d", hidden_));
        }
        return report_;
    }

private:
    void problem(const std::string& line) {
        if (int(report_.size()) < kReportedPerTag) {
            report_.push_back(line);
        } else {
            ++hidden_;
        }
    }

    std::uint32_t distinctKeys() {
        engine::DbfFile& file = table_.file();
        std::vector<char> record(std::size_t(file.recordLength()));
        std::vector<std::string> keys;
        for (std::uint32_t recno = 1; recno <= file.recordCount(); ++recno) {
            file.readRecord(recno, record.data());
            keys.push_back(tag_.expression().evaluate(record.data(), table_.fields(), table_.codePage()));
        }
        const char keyType = tag_.expression().keyType();
        std::sort(keys.begin(), keys.end(),
                  [&](const std::string& a, const std::string& b) { return engine::compareKeys(keyType, a, b) < 0; });
        const auto end = std::unique(keys.begin(), keys.end(), [&](const std::string& a, const std::string& b) {
            return engine::compareKeys(keyType, a, b) == 0;
        });
        return std::uint32_t(end - keys.begin());
    }

    engine::Table& table_;
    engine::IndexTag& tag_;
    std::vector<std::string> report_;
    int hidden_ = 0;
};

}  // namespace

int runVerify(const Arguments& arguments) {
    const CliArgs args = parseArgs(arguments, {}, {});
    if (args.positional.size() != 1) {
        throw UsageError("verify ожидает одну ТАБЛИЦУ");
    }
    TableTarget target = resolveTable(args.positional[0], args);
    std::unique_ptr<engine::Table> table = target.database->openTable(target.tableName, engine::OpenMode::ReadOnly);
    const std::vector<std::string> tags = table->tagNames();
    engine::ProductionIndex* index = table->productionIndex();
    if (tags.empty() || !index) {
        out(target.label + ": тегов нет, проверять нечего\n");
        return kExitOk;
    }
    int failed = 0;
    std::string report;
    for (const std::string& name : tags) {
        engine::IndexTag* tag = index->tag(name);
        if (!tag) {
            ++failed;
            report += "Тег " + name + ": не найден в индексном файле\n";
            continue;
        }
        const std::vector<std::string> problems = TagCheck(*table, *tag).run();
        if (problems.empty()) {
            out("Тег " + name + ": в порядке\n");
            continue;
        }
        ++failed;
        report += "Тег " + name + " (" + tag->expression().text() + ") не соответствует данным:\n";
        for (const std::string& line : problems) {
            report += "  " + line + "\n";
        }
    }
    table->close();
    if (failed > 0) {
        err(report + formatText("%s: расхождения в тегах: %d из %d\n", target.label.c_str(), failed, int(tags.size())));
        return kExitCheckFailed;
    }
    out(formatText("%s: все теги (%d) соответствуют данным\n", target.label.c_str(), int(tags.size())));
    return kExitOk;
}

}  // namespace kvzt::cli
