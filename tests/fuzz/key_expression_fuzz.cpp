// Fuzz target for the key-expression parser: the input is an index
// expression over a fixed set of fields. Parsing must end in a key
// expression or EngineError; a parsed expression is then evaluated on a
// record and turned into seek prefixes, whose lengths must agree with the
// key length it claims.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/errors.h"
#include "engine/key_expression.h"

using namespace kvzt::engine;

namespace {

std::vector<FieldDef> fields() {
    std::vector<FieldDef> f = {{"FAM", 'C', 30, 0, 0},  {"IM", 'C', 20, 0, 0},   {"NOM", 'N', 6, 0, 0},
                               {"SUM", 'N', 12, 2, 0},  {"DATA", 'D', 8, 0, 0},  {"INCL", 'L', 1, 0, 0},
                               {"INN", 'C', 12, 0, 0},  {"F", 'F', 10, 3, 0}};
    int offset = 1;
    for (auto& d : f) {
        d.offset = offset;
        offset += d.length;
    }
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<FieldDef> defs = fields();
    static const std::string record = [] {
        std::string r(1 + 30 + 20 + 6 + 12 + 8 + 1 + 12 + 10, ' ');
        r.replace(1, 6, "Иванов");
        r.replace(51, 6, "    42");
        r.replace(57, 12, "     1234.50");
        r.replace(69, 8, "20240229");
        r[77] = 'T';
        return r;
    }();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const KeyExpression expression = KeyExpression::parse(text, defs);
        const std::string key = expression.evaluate(record.data(), defs, CodePage::Cp1251);
        if (int(key.size()) != expression.keyLength()) std::abort();
        std::vector<Value> values;
        for (const KeyComponent& c : expression.components()) {
            const FieldDef& f = defs.at(std::size_t(c.fieldIndex));
            if (f.type == 'C')
                values.emplace_back(std::string("ПЕТРОВ"));
            else if (f.type == 'D')
                values.emplace_back(Date{2001, 2, 3});
            else
                values.emplace_back(7.5);
        }
        for (int n = 0; n <= int(values.size()); ++n) {
            const std::string prefix = expression.prefix(values, n, defs, CodePage::Cp1251);
            if (int(prefix.size()) > expression.keyLength()) std::abort();
            (void)compareKeys(expression.keyType(), key, prefix);
        }
    } catch (const EngineError&) {
    }
    return 0;
}
