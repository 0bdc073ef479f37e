#pragma once
// The fixed groups of host tables the data service works on, each an
// ordered list of alias and table name pairs.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvzt::schema {

enum class TableGroup {
    All,            // base data, classifier, then the reference books (KlVIC30 before DOLGN)
    Base,           // VX_B: list, income statements, tax cards and their detail tables (21)
    Kladr,          // VX_S: the address classifier (7)
    Sprav,          // VX_S: reference books (6; DOLGN before KlVIC30)
    Income,         // VX_B: income data (20), for clearing
    IncomeAndList,  // the income data, then SPISOK32 (21)
};

struct GroupTable {
    std::string alias;
    std::string name;
};

std::vector<GroupTable> TablesOf(TableGroup group);

// "all", "base", "kladr", "sprav" (any letter case); nothing for other names.
std::optional<TableGroup> TableGroupByName(std::string_view name);

}  // namespace kvzt::schema
