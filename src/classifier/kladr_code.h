#pragma once
// The parts of a classifier object's code, by character position (1-based):
//   1–2 region, 3–5 district, 6–8 town, 9–11 settlement, 12–15 street.
// A district, town or settlement part "000" means that level is absent;
// positions 3–11 all "0" mark the region's own record. Only the first 15
// characters count; a code shorter than a part gives that part short.

#include <string>
#include <string_view>

#include "engine/code_page.h"

namespace kvzt::classifier {

struct KladrCode {
    // UTF-8; the region with trailing blanks removed.
    std::string region;
    std::string district;
    std::string town;
    std::string settlement;
    std::string street;

    // `code` in the source's own bytes (one byte per character) and code page.
    static KladrCode parse(std::string_view code, engine::CodePage cp);

    bool isRegionRecord() const { return district == "000" && town == "000" && settlement == "000"; }
};

}  // namespace kvzt::classifier
