#pragma once
// The two statements of the local SQL subset, parsed (letter case of the
// keywords ignored, any whitespace between the parts):
//   UPDATE <table> SET <field> = "<value>"
//   SELECT COUNT(*) <name> FROM <table> WHERE <field> <> "<value>"
// Strings are in double or single quotes, a doubled quote standing for one.

#include <string>
#include <string_view>
#include <variant>

namespace kvzt::engine {

// Sets one field of every live record.
struct SqlUpdateAll {
    std::string table;
    std::string field;
    std::string value;  // UTF-8
};

// Counts the live records whose field differs from the value (trailing blanks
// do not count, so a blank field equals "").
struct SqlCountNotEqual {
    std::string column;  // the name the result column gets
    std::string table;
    std::string field;
    std::string value;
};

using SqlStatement = std::variant<SqlUpdateAll, SqlCountNotEqual>;

// Throws EngineError(code::SqlError) naming the statement for anything else.
SqlStatement parseSqlStatement(std::string_view text);

}  // namespace kvzt::engine
