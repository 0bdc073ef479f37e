// engine.ini, a plain INI file:
//   [ALIASES]
//   VX_B=/path/to/base
//   VX_S=/path/to/sprav
//   [DEFAULTS]
//   LANGDRIVER=1251        (or 866)
// Names of sections and keys ignore letter case; lines starting with ';' or
// '#' are comments; a UTF-8 byte-order mark and CR-LF line ends are accepted.
#include "engine/alias_config.h"

#include <cerrno>
#include <filesystem>
#include <sstream>

#include "engine/errors.h"
#include "engine/file_io.h"
#include "engine/path_util.h"

extern char** environ;

namespace kvzt::engine {

namespace {

constexpr std::string_view kEnvPrefix = "KVZT_ALIAS_";

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return out;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// NAME=VALUE split at the first '='; nothing when there is no '=' or no name.
std::optional<std::pair<std::string_view, std::string_view>> splitAssignment(std::string_view text) {
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    std::string_view name = trim(text.substr(0, eq));
    if (name.empty()) return std::nullopt;
    return std::make_pair(name, trim(text.substr(eq + 1)));
}

std::optional<CodePage> parseCodePage(std::string_view text) {
    std::string v = upperAscii(trim(text));
    if (v.rfind("CP", 0) == 0) v.erase(0, 2);
    if (v == "1251") return CodePage::Cp1251;
    if (v == "866") return CodePage::Cp866;
    return std::nullopt;
}

// The line as it may be quoted in a message: at most 40 bytes, control
// bytes and bytes that are not UTF-8 shown as '?'.
std::string quotable(std::string_view line) {
    std::string out;
    for (std::size_t i = 0; i < line.size() && out.size() < 40;) {
        const auto c = static_cast<unsigned char>(line[i]);
        std::size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        bool valid = length > 0 && i + length <= line.size() && !(length == 1 && (c < 0x20 || c == 0x7F));
        for (std::size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(line[i + k]) & 0xC0) == 0x80;
        if (valid) {
            out.append(line.substr(i, length));
            i += length;
        } else {
            out += '?';
            ++i;
        }
    }
    return out;
}

[[noreturn]] void throwUnreadable(const std::string& sourceName, int lineNo, const std::string& what) {
    throw EngineError(code::Corrupt, "Файл настройки ядра " + sourceName + " повреждён: строка " +
                                         std::to_string(lineNo) + ": " + what);
}

void parseIni(AliasConfig& config, std::string_view whole, const std::string& sourceName) {
    std::string_view text = whole;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

    std::string section;
    int lineNo = 0;
    while (!text.empty()) {
        // Lines end in LF, CR LF or a lone CR.
        const std::size_t end = text.find_first_of("\r\n");
        const std::string_view rawLine = text.substr(0, end);
        std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end != std::string_view::npos && text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
        text.remove_prefix(next);
        ++lineNo;
        const std::string_view line = trim(rawLine);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        // A text file has no control bytes; these make a binary or mangled file.
        for (const char c : line)
            if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F)
                throwUnreadable(sourceName, lineNo, "в строке двоичные данные, это не текстовый файл");
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close == std::string_view::npos || !trim(line.substr(close + 1)).empty() ||
                trim(line.substr(1, close - 1)).empty())
                throwUnreadable(sourceName, lineNo, "неверное имя раздела «" + quotable(line) +
                                                        "» (ожидается [ИМЯ])");
            section = upperAscii(trim(line.substr(1, close - 1)));
            continue;
        }
        const auto assignment = splitAssignment(line);
        if (!assignment)
            throwUnreadable(sourceName, lineNo, "непонятная строка «" + quotable(line) +
                                                    "» (ожидается [РАЗДЕЛ] или ИМЯ=ЗНАЧЕНИЕ)");
        if (section.empty())
            throwUnreadable(sourceName, lineNo, "строка «" + quotable(line) + "» стоит вне раздела");
        const auto [key, value] = *assignment;
        if (section == "ALIASES") {
            if (!value.empty()) config.setAlias(key, value);
        } else if (section == "DEFAULTS" && upperAscii(key) == "LANGDRIVER") {
            const auto cp = parseCodePage(value);
            if (!cp)
                throw EngineError(code::InvalidParam, sourceName + ", строка " + std::to_string(lineNo) +
                                                          ": неизвестная кодовая страница «" + quotable(value) +
                                                          "» (допустимо 1251 или 866)");
            config.setDefaultCodePage(*cp);
        }
    }
}

void readIni(AliasConfig& config, const std::string& iniPath) {
    FileHandle handle = kNoFile;
    if (fileIo().open(iniPath, OpenFlags::Read, handle) != 0) return;  // no file: nothing configured there
    io::File file(handle);
    std::string text;
    char buffer[4096];
    for (;;) {
        const std::size_t n = io::read(file.get(), buffer, sizeof buffer, text.size(), iniPath);
        text.append(buffer, n);
        if (n < sizeof buffer) break;
    }
    parseIni(config, text, iniPath);
}

void readEnvironment(AliasConfig& config) {
    if (!environ) return;
    for (char** entry = environ; *entry; ++entry) {
        const std::string_view text(*entry);
        if (text.substr(0, kEnvPrefix.size()) != kEnvPrefix) continue;
        const auto assignment = splitAssignment(text.substr(kEnvPrefix.size()));
        if (assignment && !assignment->second.empty()) config.setAlias(assignment->first, assignment->second);
    }
}

// True when `directory` exists (or could be made) and a file can be created in it.
bool makeWritableDirectory(const std::string& directory) {
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    if (ec || !std::filesystem::is_directory(directory, ec)) return false;
    // access() says yes to root everywhere, so try for real.
    const std::string probe = joinPath(directory, ".kvzt-write-test");
    FileHandle handle = kNoFile;
    if (fileIo().open(probe, OpenFlags::Create, handle) != 0) return false;
    fileIo().close(handle);
    (void)fileIo().remove(probe);
    return true;
}

}  // namespace

AliasConfig AliasConfig::load(const std::string& iniPath, const std::vector<std::string>& overrides) {
    AliasConfig config;
    readIni(config, iniPath);
    readEnvironment(config);
    for (const std::string& item : overrides) {
        const auto assignment = splitAssignment(item);
        if (!assignment || assignment->second.empty())
            throw EngineError(code::InvalidParam,
                              "Неверное указание псевдонима «" + item + "»: нужно ИМЯ=КАТАЛОГ, например VX_B=/data/base");
        config.setAlias(assignment->first, assignment->second);
    }
    return config;
}

AliasConfig AliasConfig::parse(std::string_view text, const std::string& sourceName) {
    AliasConfig config;
    parseIni(config, text, sourceName);
    return config;
}

void AliasConfig::applyEmbeddedDefaults(const std::string& iniPath, const std::string& programDir,
                                        const std::string& userDataDir) {
    if (directory("VX_B") || directory("VX_S")) return;

    auto tryRoot = [](const std::string& root) {
        const std::string data = joinPath(root, "data");
        return makeWritableDirectory(joinPath(data, "base")) && makeWritableDirectory(joinPath(data, "sprav"));
    };
    std::string root = programDir;
    if (!tryRoot(root)) {
        root = userDataDir;
        if (root.empty() || !tryRoot(root))
            throw EngineError(code::NoConfigFile,
                              "Псевдонимы VX_B и VX_S не настроены, а каталог данных по умолчанию создать не удалось ни в " +
                                  joinPath(programDir, "data") + ", ни в " + joinPath(userDataDir, "data"));
    }
    setAlias("VX_B", joinPath(joinPath(root, "data"), "base"));
    setAlias("VX_S", joinPath(joinPath(root, "data"), "sprav"));

    // The written file only shows the user what is in effect; failing to
    // write it must not stop the program.
    try {
        save(iniPath);
    } catch (const EngineError&) {
        if (root != programDir) {
            try {
                save(joinPath(userDataDir, "engine.ini"));
            } catch (const EngineError&) {
            }
        }
    }
}

void AliasConfig::setAlias(std::string_view name, std::string_view directory) {
    aliases_[upperAscii(trim(name))] = std::string(directory);
}

std::optional<std::string> AliasConfig::directory(std::string_view alias) const {
    const auto it = aliases_.find(upperAscii(trim(alias)));
    if (it == aliases_.end()) return std::nullopt;
    return it->second;
}

std::vector<std::string> AliasConfig::aliasNames() const {
    std::vector<std::string> names;
    names.reserve(aliases_.size());
    for (const auto& [name, dir] : aliases_) names.push_back(name);
    return names;
}

void AliasConfig::save(const std::string& iniPath) const {
    for (const auto& [name, dir] : aliases_)
        if ((name + dir).find_first_of("\r\n") != std::string::npos)
            throw EngineError(code::InvalidParam, "Перевод строки в имени или каталоге псевдонима " + name);
    std::ostringstream out;
    out << "; Настройка ядра таблиц: каталоги псевдонимов и кодовая страница таблиц без драйвера языка\n";
    out << "[ALIASES]\n";
    for (const auto& [name, dir] : aliases_) out << name << '=' << dir << '\n';
    out << "\n[DEFAULTS]\n";
    out << "LANGDRIVER=" << (defaultCodePage_ == CodePage::Cp866 ? "866" : "1251") << '\n';
    const std::string text = out.str();

    // Written beside the target and renamed over it, so a reader never sees half a file.
    const std::string tmp = iniPath + ".kvzt-new";
    try {
        FileHandle handle = kNoFile;
        if (const int e = fileIo().open(tmp, OpenFlags::Create, handle)) throwIoError(iniPath, e);
        io::File file(handle);
        io::write(file.get(), text, 0, iniPath);
        io::sync(file.get(), iniPath);
        file.reset();
        io::rename(tmp, iniPath);
    } catch (...) {
        (void)fileIo().remove(tmp);
        throw;
    }
}

}  // namespace kvzt::engine
