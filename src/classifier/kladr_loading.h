#pragma once
// Loading the marked regions from the distribution files: the kladr pass
// fills districts, towns and settlements, the street pass streets and
// houses. The targets are open in natural order with no index kept, so each
// record is a plain append.

#include <QString>

#include <map>
#include <string>

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
    // True when the region is in K1REG and marked.
    bool marked(const std::string& region) const;
    void announce(const std::string& region, const char* what);
    void tick();

    data::TdmKVZT& dm_;
    KladrTargets& targets_;
    SocrCodes& socr_;
    const RegionMarks& marks_;
    KladrProgress& progress_;
    KladrResult& result_;
    std::string announced_;  // the region last named in the status line
    int sinceMessages_ = 0;
};

}  // namespace kvzt::classifier
