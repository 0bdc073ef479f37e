#pragma once
// The detail rows of a source (income lines, deductions, objects), read once
// per run and grouped by the statement they belong to: by the taxpayer
// number Nom for the DOS 2.* files (compared as numbers), by the statement
// key Id for the Win 3.2 files (compared as texts). Each group keeps its
// rows in file order, so a statement receives exactly the rows a walk over
// the whole table from its first record would give it, in the same order.
//
// Only record numbers are kept; the rows are read again through bookmarks
// when they are copied.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace kvzt::engine {
class Table;
}

namespace kvzt::import {

class SourceDetails {
public:
    // Walks `table` in natural order and groups its records by `keyField`:
    // numerically when `numericKey`, else by the text as the engine returns it.
    void load(engine::Table& table, const char* keyField, bool numericKey);
    void clear();

    const std::vector<std::uint32_t>& rowsOfNumber(double key) const;
    const std::vector<std::uint32_t>& rowsOfText(const std::string& key) const;

    static std::string numberKey(double value);

private:
    const std::vector<std::uint32_t>& rows(const std::string& key) const;

    std::unordered_map<std::string, std::vector<std::uint32_t>> groups_;
};

}  // namespace kvzt::import
