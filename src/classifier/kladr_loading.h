#pragma once
// Loading the marked regions from the distribution files: the kladr pass
// fills districts, towns and settlements, the street pass streets and
// houses. The targets are open in natural order with no index kept, so each
// record is a plain append, put together as its stored bytes.

#include <QString>

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "engine/code_page.h"

namespace kvzt::data {
class TdmKVZT;
}
namespace kvzt::engine {
class Table;
}

namespace kvzt::classifier {

class KladrProgress;
class KladrTargets;
class SocrCodes;
struct KladrResult;

// K1REG as the passes see it: region code → marked (YES2INS). K1REG does not
// change while the passes run, so one reading serves every record.
using RegionMarks = std::map<std::string, bool>;

class KladrLoader {
public:
    KladrLoader(data::TdmKVZT& dm, KladrTargets& targets, SocrCodes& socr, const RegionMarks& marks,
                KladrProgress& progress, KladrResult& result);

    // Every record of `kladr` from the first: K2RAI, K3TOW, K4NAS must be open.
    void kladrPass(engine::Table& kladr);
    // Every record of `street` from the first: K5ULI and K6DOM must be open.
    void streetPass(engine::Table& street);

private:
    struct SourceFields;  // the places of the source fields
    struct Target;        // a table being filled
    // The region of the last code seen (UTF-8, trailing blanks removed).
    struct Region {
        std::string bytes;  // as stored in the code
        std::string name;
        bool marked = false;
        bool known = false;
    };
    // What one stored SOCR value means: its text, whether it names a house,
    // and its codes at the levels '2'..'5' once asked for.
    struct Abbreviation {
        std::string text;
        bool house = false;
        std::string codes[4];
        bool known[4] = {};
    };

    // True when the region is in K1REG and marked.
    bool marked(const std::string& region) const;
    const Region& regionOf(std::string_view code, engine::CodePage cp);
    Abbreviation& abbreviationOf(const engine::Table& source, int socrField);
    const std::string& socrCode(Abbreviation& abbreviation, char level);
    // Appends the target's record for the source's current record.
    void add(Target& target, const engine::Table& source, const SourceFields& in, std::string_view code);
    void announce(const std::string& region, const char* what);
    void startPass();
    void tick();

    data::TdmKVZT& dm_;
    KladrTargets& targets_;
    SocrCodes& socr_;
    const RegionMarks& marks_;
    KladrProgress& progress_;
    KladrResult& result_;
    std::string announced_;  // the region last named in the status line
    Region region_;
    // By the stored SOCR bytes: a source holds about a hundred different values.
    std::map<std::string, Abbreviation, std::less<>> abbreviations_;
    std::map<std::string, Abbreviation, std::less<>>::iterator lastAbbreviation_ = abbreviations_.end();
    int sinceMessages_ = 0;
};

}  // namespace kvzt::classifier
