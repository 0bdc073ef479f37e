#include "engine/verify.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <optional>
#include <string_view>

#include "engine/key_expression.h"
#include "engine/production_index.h"
#include "engine/table.h"

namespace kvzt::engine {

namespace {

std::string formatText(const char* pattern, ...) {
    char buf[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(buf, sizeof buf, pattern, args);
    va_end(args);
    return buf;
}

constexpr int kReportedPerTag = 10;

// Character keys are compared whole, trailing padding aside; numeric and
// date keys by value (writers encode the same number differently).
bool sameKey(char keyType, std::string_view a, std::string_view b) {
    if (keyType != 'C') {
        return compareKeys(keyType, a, b) == 0;
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
    TagCheck(Table& table, IndexTag& tag) : table_(table), tag_(tag) {}

    // Returns the report lines; empty when the tag agrees with the data.
    std::vector<std::string> run() {
        DbfFile& file = table_.file();
        const std::uint32_t records = file.recordCount();
        const KeyExpression& expression = tag_.expression();
        const char keyType = expression.keyType();
        std::vector<bool> seen(std::size_t(records) + 1, false);
        std::vector<char> record(std::size_t(file.recordLength()));
        std::uint32_t entries = 0;
        std::optional<std::string> previous;

        tag_.forEach([&](const IndexEntry& entry) {
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
                const int order = compareKeys(keyType, *previous, entry.key);
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
        DbfFile& file = table_.file();
        std::vector<char> record(std::size_t(file.recordLength()));
        std::vector<std::string> keys;
        for (std::uint32_t recno = 1; recno <= file.recordCount(); ++recno) {
            file.readRecord(recno, record.data());
            keys.push_back(tag_.expression().evaluate(record.data(), table_.fields(), table_.codePage()));
        }
        const char keyType = tag_.expression().keyType();
        std::sort(keys.begin(), keys.end(),
                  [&](const std::string& a, const std::string& b) { return compareKeys(keyType, a, b) < 0; });
        const auto end = std::unique(keys.begin(), keys.end(), [&](const std::string& a, const std::string& b) {
            return compareKeys(keyType, a, b) == 0;
        });
        return std::uint32_t(end - keys.begin());
    }

    Table& table_;
    IndexTag& tag_;
    std::vector<std::string> report_;
    int hidden_ = 0;
};

}  // namespace

std::vector<std::string> verifyTag(Table& table, IndexTag& tag) { return TagCheck(table, tag).run(); }

std::vector<TagReport> verifyTable(Table& table) {
    std::vector<TagReport> reports;
    ProductionIndex* index = table.productionIndex();
    for (const std::string& name : table.tagNames()) {
        IndexTag* tag = index ? index->tag(name) : nullptr;
        if (!tag) {
            reports.push_back({name, "", {"тег не найден в индексном файле"}});
            continue;
        }
        reports.push_back({name, tag->expression().text(), verifyTag(table, *tag)});
    }
    return reports;
}

}  // namespace kvzt::engine
