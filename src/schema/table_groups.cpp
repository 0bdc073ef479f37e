#include "schema/table_groups.h"

#include <algorithm>
#include <cctype>

namespace kvzt::schema {

namespace {

const char* const kIncome[] = {"SVBASE32", "DOXOD22", "VICET22", "NH22",   "npm32",   "KV32",    "pvs32",
                               "VM32",     "NhK32",   "av32",    "KD32",   "K5_32",   "K51_32",  "K52_32",
                               "K5CU32",   "K51CU32", "K52CU32", "MVC32",  "FC32",    "kart32"};
const char* const kKladr[] = {"K1REG", "K2RAI", "K3TOW", "K4NAS", "K5ULI", "K6DOM", "K7SOCR"};
const char* const kSprav[] = {"KlDOC30", "KlDOX31", "KlSKID30", "KlSTR22", "DOLGN", "KlVIC30"};
const char* const kSpravInAll[] = {"KlDOC30", "KlDOX31", "KlSKID30", "KlSTR22", "KlVIC30", "DOLGN"};

template <std::size_t N>
void append(std::vector<GroupTable>& out, const char* alias, const char* const (&names)[N]) {
    for (const char* name : names) {
        out.push_back({alias, name});
    }
}

void appendBase(std::vector<GroupTable>& out) {
    out.push_back({"VX_B", "SPISOK32"});
    append(out, "VX_B", kIncome);
}

}  // namespace

std::vector<GroupTable> TablesOf(TableGroup group) {
    std::vector<GroupTable> tables;
    switch (group) {
        case TableGroup::All:
            appendBase(tables);
            append(tables, "VX_S", kKladr);
            append(tables, "VX_S", kSpravInAll);
            break;
        case TableGroup::Base:
            appendBase(tables);
            break;
        case TableGroup::Kladr:
            append(tables, "VX_S", kKladr);
            break;
        case TableGroup::Sprav:
            append(tables, "VX_S", kSprav);
            break;
        case TableGroup::Income:
            append(tables, "VX_B", kIncome);
            break;
        case TableGroup::IncomeAndList:
            append(tables, "VX_B", kIncome);
            tables.push_back({"VX_B", "SPISOK32"});
            break;
    }
    return tables;
}

std::optional<TableGroup> TableGroupByName(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (lower == "all") return TableGroup::All;
    if (lower == "base") return TableGroup::Base;
    if (lower == "kladr") return TableGroup::Kladr;
    if (lower == "sprav") return TableGroup::Sprav;
    return std::nullopt;
}

}  // namespace kvzt::schema
