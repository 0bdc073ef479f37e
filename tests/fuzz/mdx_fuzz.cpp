// Fuzz target: any bytes as the .mdx of a small fixed table. Opening,
// walking every tag both ways, seeking and changing a record must end in
// success or EngineError, never in a crash or an endless loop.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/errors.h"
#include "engine/production_index.h"

using namespace kvzt::engine;

namespace {

std::vector<FieldDef> tableFields() {
    std::vector<FieldDef> f = {{"ACCT_NBR", 'N', 7, 0, 0}, {"SYMBOL", 'C', 7, 0, 0}, {"IND_CODE", 'N', 4, 0, 0},
                               {"IND_NAME", 'C', 5, 0, 0}, {"A", 'C', 30, 0, 0},       {"NAME", 'C', 12, 0, 0},
                               {"D", 'D', 8, 0, 0}};
    int offset = 1;
    for (auto& d : f) {
        d.offset = offset;
        offset += d.length;
    }
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<FieldDef> fields = tableFields();
    static const std::string path = "/tmp/kvzt_mdx_fuzz_" + std::to_string(::getpid()) + ".mdx";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
    std::string oldRecord(1 + 7 + 7 + 4 + 5 + 30 + 12 + 8, ' ');
    std::string newRecord = oldRecord;
    newRecord.replace(1, 7, "  12345");
    newRecord.replace(8, 7, "ABC    ");
    newRecord.replace(65, 8, "20240229");
    try {
        auto index = ProductionIndex::open(path, fields, CodePage::Cp866, true);
        for (IndexTag* tag : index->tags()) {
            std::size_t n = 0;
            tag->forEach([&](const IndexEntry&) { ++n; });
            for (auto e = tag->first(); e && n; e = tag->next(*e), --n) {
            }
            if (auto e = tag->last()) tag->prior(*e);
            tag->seek("A");
        }
        index->insert(1, oldRecord.data());
        index->update(1, oldRecord.data(), newRecord.data());
        index->flush();
    } catch (const EngineError&) {
    }
    ::unlink(path.c_str());
    return 0;
}
