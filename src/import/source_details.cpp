#include "import/source_details.h"

#include <cstdio>

#include "engine/table.h"

namespace kvzt::import {

namespace {

const std::vector<std::uint32_t>& noRows() {
    static const std::vector<std::uint32_t> empty;
    return empty;
}

}  // namespace

std::string SourceDetails::numberKey(double value) {
    if (value == 0) value = 0;  // -0 and 0 are one key
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

void SourceDetails::load(engine::Table& table, const char* keyField, bool numericKey) {
    groups_.clear();
    table.field(keyField);  // a missing key field is the source's error, raised before any row is read
    for (table.first(); !table.eof(); table.next()) {
        std::string key = numericKey ? numberKey(table.asFloat(keyField)) : table.asString(keyField);
        groups_[std::move(key)].push_back(table.recNo());
    }
}

void SourceDetails::clear() { groups_.clear(); }

const std::vector<std::uint32_t>& SourceDetails::rows(const std::string& key) const {
    const auto it = groups_.find(key);
    return it == groups_.end() ? noRows() : it->second;
}

const std::vector<std::uint32_t>& SourceDetails::rowsOfNumber(double key) const { return rows(numberKey(key)); }

const std::vector<std::uint32_t>& SourceDetails::rowsOfText(const std::string& key) const { return rows(key); }

}  // namespace kvzt::import
