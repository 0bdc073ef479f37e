#pragma once
// One column of a dBase table as its header describes it.

#include <cstdint>
#include <string>

namespace kvzt::engine {

struct FieldDef {
    std::string name;  // upper case ASCII, at most 11 characters
    char type = 'C';   // 'C' character, 'N' numeric, 'F' float, 'L' logical, 'D' date, 'M' memo
    int length = 0;    // width in bytes
    int decimals = 0;
    int offset = 0;    // position inside the record, the deletion flag being byte 0
};

}  // namespace kvzt::engine
