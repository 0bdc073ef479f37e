#include "engine/field_codec.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/errors.h"

namespace kvzt::engine {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\0')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return s;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
    return s;
}

[[noreturn]] void tooWide(const FieldDef& f, std::string_view text) {
    throw EngineError(code::ValueOutOfRange, "Число " + std::string(text) + " не помещается в поле " + f.name + " (" +
                                                 std::to_string(f.length) + "," + std::to_string(f.decimals) + ")");
}

void putRightAligned(const std::string& text, const FieldDef& f, char* out) {
    std::memset(out, ' ', size_t(f.length));
    std::memcpy(out + f.length - int(text.size()), text.data(), text.size());
}

std::optional<bool> parseLogical(char c) {
    switch (c) {
        case 'T': case 't': case 'Y': case 'y': return true;
        case 'F': case 'f': case 'N': case 'n': return false;
        default: return std::nullopt;
    }
}

}  // namespace

bool isBlankField(std::string_view raw) { return trim(raw).empty(); }

std::optional<double> parseNumber(std::string_view raw) {
    std::string_view t = trim(raw);
    if (t.empty()) return std::nullopt;
    std::string s(t);
    for (auto& c : s)
        if (c == ',') c = '.';
    if (!s.empty() && s.front() == '+') s.erase(0, 1);
    double v = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || ptr != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

Value decodeField(const FieldDef& f, std::string_view raw, CodePage cp) {
    switch (f.type) {
        case 'N':
        case 'F': {
            auto v = parseNumber(raw);
            if (!v) return std::monostate{};
            if (f.decimals == 0 && std::fabs(*v) < 9.2e18) return std::int64_t(*v);
            return *v;
        }
        case 'D': {
            Date d = Date::fromDbf(raw);
            if (d.isNull()) return std::monostate{};
            return d;
        }
        case 'L': {
            auto b = raw.empty() ? std::nullopt : parseLogical(raw[0]);
            if (!b) return std::monostate{};
            return *b;
        }
        default:
            return toUtf8(trimRight(raw), cp);
    }
}

std::string fieldText(const FieldDef& f, std::string_view raw, CodePage cp) {
    switch (f.type) {
        case 'N':
        case 'F':
            return std::string(trim(raw));
        case 'D':
            return Date::fromDbf(raw).isNull() ? std::string() : std::string(raw.substr(0, 8));
        case 'L': {
            auto b = raw.empty() ? std::nullopt : parseLogical(raw[0]);
            return b ? (*b ? "T" : "F") : "";
        }
        default:
            return toUtf8(trimRight(raw), cp);
    }
}

std::string formatNumber(double v, const FieldDef& f) {
    if (!std::isfinite(v)) tooWide(f, "NaN");
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, "%.*f", f.decimals, v);
    std::string text(buf, size_t(n));
    if (text == "-0" || text.find_first_not_of("-0.") == std::string::npos) {
        // Negative zero after rounding prints as "-0.00": store plain zero.
        if (text[0] == '-') text.erase(0, 1);
    }
    if (int(text.size()) > f.length) tooWide(f, text);
    return text;
}

std::string formatInteger(std::int64_t v, const FieldDef& f) {
    if (f.decimals > 0) return formatNumber(double(v), f);
    std::string text = std::to_string(v);
    if (int(text.size()) > f.length) tooWide(f, text);
    return text;
}

void encodeField(const FieldDef& f, const Value& value, char* out, CodePage cp) {
    if (std::holds_alternative<std::monostate>(value)) {
        std::memset(out, ' ', size_t(f.length));
        return;
    }
    switch (f.type) {
        case 'N':
        case 'F': {
            std::string text;
            if (auto* i = std::get_if<std::int64_t>(&value)) text = formatInteger(*i, f);
            else if (auto* d = std::get_if<double>(&value)) text = formatNumber(*d, f);
            else if (auto* b = std::get_if<bool>(&value)) text = formatInteger(*b ? 1 : 0, f);
            else if (auto* s = std::get_if<std::string>(&value)) {
                if (trim(*s).empty()) {
                    std::memset(out, ' ', size_t(f.length));
                    return;
                }
                auto parsed = parseNumber(*s);
                if (!parsed)
                    throw EngineError(code::ValueOutOfRange, "Не число: \"" + *s + "\" для поля " + f.name);
                text = formatNumber(*parsed, f);
            } else {
                throw EngineError(code::ValueOutOfRange, "Дата в числовом поле " + f.name);
            }
            putRightAligned(text, f, out);
            return;
        }
        case 'D': {
            Date d;
            if (auto* dv = std::get_if<Date>(&value)) d = *dv;
            else if (auto* s = std::get_if<std::string>(&value)) {
                std::string_view t = trim(*s);
                if (!t.empty()) {
                    d = t.size() == 8 ? Date::fromDbf(t) : Date::fromDisplay(t);
                    if (d.isNull()) throw EngineError(code::ValueOutOfRange, "Не дата: \"" + *s + "\" для поля " + f.name);
                }
            } else {
                throw EngineError(code::ValueOutOfRange, "Не дата для поля " + f.name);
            }
            if (!d.isNull() && !d.isValid())
                throw EngineError(code::ValueOutOfRange, "Неверная дата для поля " + f.name);
            std::memcpy(out, d.toDbf().data(), 8);
            return;
        }
        case 'L': {
            std::optional<bool> b;
            if (auto* bv = std::get_if<bool>(&value)) b = *bv;
            else if (auto* i = std::get_if<std::int64_t>(&value)) b = *i != 0;
            else if (auto* s = std::get_if<std::string>(&value)) {
                std::string_view t = trim(*s);
                if (!t.empty()) {
                    b = parseLogical(t[0]);
                    if (!b) throw EngineError(code::ValueOutOfRange, "Не логическое значение для поля " + f.name);
                }
            } else {
                throw EngineError(code::ValueOutOfRange, "Не логическое значение для поля " + f.name);
            }
            out[0] = b ? (*b ? 'T' : 'F') : ' ';
            return;
        }
        default: {
            std::memset(out, ' ', size_t(f.length));
            if (auto* s = std::get_if<std::string>(&value)) {
                fromUtf8Into(*s, cp, out, size_t(f.length));
                return;
            }
            std::string bytes;
            if (auto* i = std::get_if<std::int64_t>(&value)) bytes = std::to_string(*i);
            else if (auto* d = std::get_if<double>(&value)) {
                char buf[64];
                std::snprintf(buf, sizeof buf, "%g", *d);
                bytes = buf;
            } else if (auto* b = std::get_if<bool>(&value)) bytes = *b ? "T" : "F";
            else if (auto* dt = std::get_if<Date>(&value)) bytes = dt->toDisplay();
            std::memcpy(out, bytes.data(), std::min(bytes.size(), size_t(f.length)));
            return;
        }
    }
}

}  // namespace kvzt::engine
