#include "classifier/kladr_code.h"

namespace kvzt::classifier {

namespace {

std::string part(std::string_view code, std::size_t from, std::size_t length, engine::CodePage cp) {
    if (from >= code.size()) return {};
    const std::string_view bytes = code.substr(from, length);
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return engine::toUtf8(bytes, cp);
    }
    return std::string(bytes);
}

}  // namespace

KladrCode KladrCode::parse(std::string_view code, engine::CodePage cp) {
    KladrCode parts;
    parts.region = part(code, 0, 2, cp);
    parts.region.erase(parts.region.find_last_not_of(' ') + 1);
    parts.district = part(code, 2, 3, cp);
    parts.town = part(code, 5, 3, cp);
    parts.settlement = part(code, 8, 3, cp);
    parts.street = part(code, 11, 4, cp);
    return parts;
}

}  // namespace kvzt::classifier
