#pragma once
// Abbreviation codes of the classifier levels (K7SOCR: Lev C(1), Name C(10),
// Code C(3); tags CODEX <CODE> and LEVNAME <LEV+UPPER(NAME)>).
//
// A target record's TIP holds the three-digit code of its abbreviation at
// its level. A text not yet known at that level gets a new record whose
// code is the next one after the highest code in CODEX order.

#include <map>
#include <string>
#include <utility>

namespace kvzt::engine {
class Table;
}

namespace kvzt::classifier {

class SocrCodes {
public:
    // `socr` is the K7SOCR cursor (the data module's tbTip); it stays open
    // and on its own tag between lookups.
    explicit SocrCodes(engine::Table& socr) : socr_(socr) {}

    // The code of `socrText` (the source's SOCR, as read) at `level` ('2'..'5').
    // Found codes are kept in memory: during a run K7SOCR changes only through
    // this object, so the remembered answers equal fresh lookups. Throws
    // EngineError(ValueOutOfRange) when a new code would pass "999".
    const std::string& GetSocrCode(char level, const std::string& socrText);

    // Abbreviations added so far.
    int added() const { return added_; }

private:
    std::string lookup(char level, const std::string& upperText);
    std::string nextCode(char level, const std::string& socrText);

    engine::Table& socr_;
    std::map<std::pair<char, std::string>, std::string> known_;   // (level, upper-cased text) → code
    std::map<std::pair<char, std::string>, std::string> asRead_;  // (level, text as read) → code
    int added_ = 0;
};

// The code after `lastCode` (its first three characters read as a number, 0
// when they are none), left-padded with "0" to three digits; empty when it
// would pass 999.
std::string NextSocrCode(const std::string& lastCode);

}  // namespace kvzt::classifier
