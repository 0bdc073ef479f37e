#pragma once
// Checks the tags of a table against its records: every entry's record
// exists and appears once, its key equals the key recomputed from the
// record, the entries are in key order, and the entry count matches the
// records (deleted ones included, since their keys stay until a pack;
// distinct keys for a unique tag). The host's files get damaged in the field;
// this is how a user finds out.

#include <string>
#include <vector>

namespace kvzt::engine {

class Table;
class IndexTag;

// What is wrong with one tag, in Russian lines; empty when it agrees with the data.
std::vector<std::string> verifyTag(Table& table, IndexTag& tag);

struct TagReport {
    std::string tag;
    std::string expression;
    std::vector<std::string> problems;  // empty: the tag is sound
};

// Every tag of the table's production index.
std::vector<TagReport> verifyTable(Table& table);

}  // namespace kvzt::engine
