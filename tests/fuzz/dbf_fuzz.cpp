// Fuzz target for the .dbf reader: the input is written as a table file,
// opened, and every record of it read through every field.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "engine/errors.h"
#include "engine/table.h"

using namespace kvzt::engine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/kvzt-dbf-fuzz-" + std::to_string(getpid()) + ".dbf";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    try {
        // Byte 28 set would send us to the index reader: that has its own target.
        auto t = Table::open(path, OpenMode::ReadOnly, CodePage::Cp866);
        int guard = 0;
        for (t->first(); !t->eof() && guard < 100000; t->next(), ++guard)
            for (const FieldDef& f : t->fields()) {
                (void)t->asString(f.name);
                (void)t->value(f.name);
            }
        for (t->last(); !t->bof() && guard < 200000; t->prior(), ++guard) {
        }
    } catch (const EngineError&) {
    }
    return 0;
}
