// Fuzz target for the engine configuration reader: the input is the text of
// an engine.ini. Reading must end in a configuration or EngineError; a
// configuration read is written out and read back to the same aliases.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/alias_config.h"
#include "engine/errors.h"

using namespace kvzt::engine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const AliasConfig config = AliasConfig::parse(text, "engine.ini");
        for (const std::string& name : config.aliasNames()) {
            if (!config.directory(name)) std::abort();
        }
    } catch (const EngineError&) {
    }
    return 0;
}
