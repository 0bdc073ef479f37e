#pragma once
// A quick look at a table's production index, cheap enough for every start:
// it reads the .dbf header, the .mdx header, every tag header (key type and
// length against the tag's expression over the table's fields, root page
// inside the file) and the nodes on the leftmost and rightmost path of each
// tag (entry counts, child pages inside the file, record numbers inside the
// table) — a few blocks per tag whatever the table's size. It also wants the
// .dbf's production-index flag set, since without it the host's engine
// neither reads nor maintains the index. verify.h is the full check of every
// entry against the records.

#include <string>
#include <vector>

#include "engine/code_page.h"

namespace kvzt::engine {

struct IndexCheck {
    // What is wrong, one Russian sentence naming the file; empty when the
    // index looks sound.
    std::string problem;
    // Names of the tags found (upper case), in the file's order.
    std::vector<std::string> tags;
    bool sound() const { return problem.empty(); }
};

// Checks `mdxPath` as the production index of the table `dbfPath`. A table
// whose own header cannot be read throws (Corrupt, NoSuchTable, TableInUse):
// that is the table's damage, not the index's.
IndexCheck checkProductionIndex(const std::string& dbfPath, const std::string& mdxPath,
                                CodePage defaultCodePage);

}  // namespace kvzt::engine
