// Parsing and evaluation of the dBase key expressions the host's tags use.
//
// Grammar (names and functions in any case, blanks between tokens allowed):
//   key   := term { "+" term }
//   term  := FIELD | UPPER "(" FIELD { "+" FIELD } ")" | DTOS "(" FIELD ")"
// A lone N/F field gives a numeric key, a lone D field a date key; every
// other key is a character key joined from C fields and DTOS() parts.

#include "engine/key_expression.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "engine/errors.h"
#include "engine/mdx_layout.h"
#include "engine/mdx_numeric_key.h"

namespace kvzt::engine {

namespace {

[[noreturn]] void invalid(std::string_view text, const std::string& why) {
    throw EngineError(code::InvalidKeyExpression,
                      "Недопустимое выражение ключа «" + std::string(text) + "»: " + why);
}

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

class Parser {
public:
    Parser(std::string_view text, const std::vector<FieldDef>& fields) : text_(text), fields_(fields) {}

    std::vector<KeyComponent> parse() {
        std::vector<KeyComponent> out;
        skipBlanks();
        if (pos_ >= text_.size()) invalid(text_, "выражение пустое");
        for (;;) {
            term(out);
            skipBlanks();
            if (pos_ >= text_.size()) break;
            expect('+');
        }
        return out;
    }

    const FieldDef& field(int index) const { return fields_[std::size_t(index)]; }

private:
    void term(std::vector<KeyComponent>& out) {
        std::string name = identifier();
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == '(') {
            ++pos_;
            std::string fn = upperAscii(name);
            if (fn == "UPPER") {
                for (;;) {
                    KeyComponent c = fieldComponent(identifier());
                    if (field(c.fieldIndex).type != 'C')
                        invalid(text_, "UPPER() применима только к символьным полям");
                    c.upper = true;
                    out.push_back(c);
                    skipBlanks();
                    if (pos_ < text_.size() && text_[pos_] == '+') {
                        ++pos_;
                        continue;
                    }
                    break;
                }
            } else if (fn == "DTOS") {
                KeyComponent c = fieldComponent(identifier());
                if (field(c.fieldIndex).type != 'D') invalid(text_, "DTOS() применима только к полю даты");
                c.dtos = true;
                c.width = 8;
                out.push_back(c);
            } else {
                invalid(text_, "функция " + name + "() не поддерживается");
            }
            skipBlanks();
            expect(')');
            return;
        }
        out.push_back(fieldComponent(name));
    }

    KeyComponent fieldComponent(const std::string& name) {
        std::string upper = upperAscii(name);
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            if (upperAscii(fields_[i].name) == upper) {
                KeyComponent c;
                c.fieldIndex = int(i);
                c.width = fields_[i].length;
                return c;
            }
        }
        invalid(text_, "поле " + name + " отсутствует в таблице");
    }

    std::string identifier() {
        skipBlanks();
        std::size_t start = pos_;
        while (pos_ < text_.size() &&
               (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
            ++pos_;
        if (start == pos_) invalid(text_, "ожидалось имя поля в позиции " + std::to_string(pos_ + 1));
        return std::string(text_.substr(start, pos_ - start));
    }

    void expect(char c) {
        skipBlanks();
        if (pos_ >= text_.size() || text_[pos_] != c)
            invalid(text_, std::string("ожидался символ «") + c + "» в позиции " + std::to_string(pos_ + 1));
        ++pos_;
    }

    void skipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    }

    std::string_view text_;
    const std::vector<FieldDef>& fields_;
    std::size_t pos_ = 0;
};

bool allDigits(const char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] < '0' || p[i] > '9') return false;
    return true;
}

// A date from a value given for a date or DTOS component.
Date dateOfValue(const Value& v) {
    if (const Date* d = std::get_if<Date>(&v)) return *d;
    if (const std::string* s = std::get_if<std::string>(&v)) {
        Date d = Date::fromDisplay(*s);
        return d.isNull() ? Date::fromDbf(*s) : d;
    }
    return {};
}

std::string textOfValue(const Value& v, CodePage cp) {
    if (const std::string* s = std::get_if<std::string>(&v)) return fromUtf8(*s, cp);
    if (const std::int64_t* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (const double* d = std::get_if<double>(&v)) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", *d);
        return buf;
    }
    if (const bool* b = std::get_if<bool>(&v)) return *b ? "T" : "F";
    if (const Date* d = std::get_if<Date>(&v)) return d->toDbf();
    return {};
}

}  // namespace

KeyExpression KeyExpression::parse(std::string_view text, const std::vector<FieldDef>& fields) {
    Parser parser(text, fields);
    KeyExpression e;
    e.text_ = std::string(text);
    e.components_ = parser.parse();
    if (e.components_.size() == 1 && !e.components_[0].upper && !e.components_[0].dtos) {
        const FieldDef& f = fields[std::size_t(e.components_[0].fieldIndex)];
        if (f.type == 'N' || f.type == 'F') {
            e.keyType_ = 'N';
            e.keyLength_ = mdx::kNumericKeyLength;
            e.components_[0].width = e.keyLength_;
            return e;
        }
        if (f.type == 'D') {
            e.keyType_ = 'D';
            e.keyLength_ = mdx::kDateKeyLength;
            e.components_[0].width = e.keyLength_;
            return e;
        }
    }
    e.keyType_ = 'C';
    int length = 0;
    for (const KeyComponent& c : e.components_) {
        const FieldDef& f = fields[std::size_t(c.fieldIndex)];
        if (!c.dtos && f.type != 'C')
            invalid(text, "поле " + f.name + " типа " + std::string(1, f.type) +
                              " нельзя соединять с другими частями ключа");
        length += c.width;
    }
    if (length <= 0) invalid(text, "длина ключа равна нулю");
    if (length > mdx::kMaxKeyLength)
        invalid(text, "длина ключа " + std::to_string(length) + " больше " + std::to_string(mdx::kMaxKeyLength));
    e.keyLength_ = length;
    return e;
}

std::vector<std::string> KeyExpression::fieldNames(const std::vector<FieldDef>& fields) const {
    std::vector<std::string> names;
    for (const KeyComponent& c : components_) names.push_back(fields[std::size_t(c.fieldIndex)].name);
    return names;
}

namespace {

// The upper-case byte of every byte of one code page, kept for the code page
// last asked for: a tag's keys all come from one table, so the table is made
// once per build instead of looking each byte up through the code page.
const unsigned char* upperTable(CodePage cp) {
    thread_local bool made = false;
    thread_local CodePage madeFor{};
    thread_local unsigned char table[256];
    if (!made || madeFor != cp) {
        for (int b = 0; b < 256; ++b) table[b] = upperByte(static_cast<unsigned char>(b), cp);
        madeFor = cp;
        made = true;
    }
    return table;
}

}  // namespace

std::string KeyExpression::evaluate(const char* record, const std::vector<FieldDef>& fields, CodePage cp) const {
    if (keyType_ != 'C') {
        const FieldDef& f = fields[std::size_t(components_[0].fieldIndex)];
        std::string_view text(record + f.offset, std::size_t(f.length));
        if (keyType_ == 'N') return mdx::numericKeyFromText(text);
        return mdx::dateKeyFromJulianDay(double(Date::fromDbf(text).julianDay()));
    }
    std::string key(std::size_t(keyLength_), ' ');
    evaluateInto(record, fields, cp, key.data());
    return key;
}

void KeyExpression::evaluateInto(const char* record, const std::vector<FieldDef>& fields, CodePage cp,
                                 char* out) const {
    if (keyType_ != 'C') {
        const std::string key = evaluate(record, fields, cp);
        std::memcpy(out, key.data(), std::min(key.size(), std::size_t(keyLength_)));
        return;
    }
    const unsigned char* upper = nullptr;
    char* at = out;
    for (const KeyComponent& c : components_) {
        const FieldDef& f = fields[std::size_t(c.fieldIndex)];
        const char* p = record + f.offset;
        if (c.dtos) {
            if (f.length >= 8 && allDigits(p, 8))
                std::memcpy(at, p, 8);
            else
                std::memset(at, ' ', 8);
            at += 8;
        } else if (c.upper) {
            if (!upper) upper = upperTable(cp);
            for (int i = 0; i < f.length; ++i) at[i] = char(upper[static_cast<unsigned char>(p[i])]);
            at += f.length;
        } else {
            std::memcpy(at, p, std::size_t(f.length));
            at += f.length;
        }
    }
}

std::string KeyExpression::prefix(const std::vector<Value>& values, int count, const std::vector<FieldDef>& /*fields*/,
                                  CodePage cp) const {
    count = std::min({count, int(values.size()), int(components_.size())});
    if (count <= 0) return {};
    if (keyType_ == 'N') {
        const Value& v = values[0];
        if (const std::int64_t* i = std::get_if<std::int64_t>(&v)) return mdx::numericKeyFromInt(*i);
        if (const double* d = std::get_if<double>(&v)) return mdx::numericKeyFromDouble(*d);
        if (const std::string* s = std::get_if<std::string>(&v)) return mdx::numericKeyFromText(*s);
        if (const bool* b = std::get_if<bool>(&v)) return mdx::numericKeyFromInt(*b ? 1 : 0);
        return mdx::numericKeyFromText({});
    }
    if (keyType_ == 'D') return mdx::dateKeyFromJulianDay(double(dateOfValue(values[0]).julianDay()));
    std::string key;
    for (int n = 0; n < count; ++n) {
        const KeyComponent& c = components_[std::size_t(n)];
        std::string part = c.dtos ? dateOfValue(values[std::size_t(n)]).toDbf() : textOfValue(values[std::size_t(n)], cp);
        // Values go into the key as given, as the host's engine did: callers
        // upper-case names for UPPER() tags themselves, and a range bound
        // such as "яяя" keeps its meaning "above every upper-cased name".
        part.resize(std::size_t(c.width), ' ');
        key += part;
    }
    return key;
}

int compareKeys(char keyType, std::string_view a, std::string_view b) {
    if (keyType == 'N' || keyType == 'F') return mdx::compareNumericKeys(a, b);
    if (keyType == 'D') return mdx::compareDateKeys(a, b);
    std::size_t n = std::min(a.size(), b.size());
    int r = n ? std::memcmp(a.data(), b.data(), n) : 0;
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

}  // namespace kvzt::engine
