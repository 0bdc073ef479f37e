// Fuzz target for the settings-file reader and writer: the input is the
// file's bytes. Reading keys must never fail; writing a key must leave a
// file in which that key reads back as written.

#include <unistd.h>

#include <QString>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "data/settings_file.h"

using kvzt::data::SettingsFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/kvzt-settings-fuzz-" + std::to_string(getpid()) + ".ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    SettingsFile file(QString::fromStdString(path));
    (void)file.readString(QStringLiteral("FORMS"), QStringLiteral("fmMain0"));
    (void)file.readString(QStringLiteral("GRIDS"), QStringLiteral("dbgDubl0"));
    (void)file.readString(QStringLiteral("Пример"), QStringLiteral("ключ"));
    const QString value = QStringLiteral("0, 108, 200, Фамилия");
    try {
        file.writeString(QStringLiteral("FORMS"), QStringLiteral("fmMain0"), value);
    } catch (const kvzt::data::SettingsWriteError&) {
        return 0;
    }
    if (file.readString(QStringLiteral("FORMS"), QStringLiteral("fmMain0")) != value) std::abort();
    return 0;
}
