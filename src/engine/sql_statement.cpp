#include "engine/sql_statement.h"

#include <optional>
#include <vector>

#include "engine/errors.h"

namespace kvzt::engine {

namespace {

enum class TokenKind { Word, String, Symbol };

struct Token {
    TokenKind kind;
    std::string text;  // a word as written, a string's contents, or the symbol
};

bool isWordByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
           c == '$' || c == '#' || c >= 0x80;  // bytes of UTF-8 letters
}

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return out;
}

// The statement as it may appear in a message: one line, at most 200 bytes,
// never cut inside a UTF-8 character.
std::string excerpt(std::string_view text) {
    constexpr std::size_t kMax = 200;
    std::string out;
    for (char c : text) out += (static_cast<unsigned char>(c) < 0x20) ? ' ' : c;
    if (out.size() > kMax) {
        std::size_t cut = kMax;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;
        out.resize(cut);
        out += "…";
    }
    return out;
}

[[noreturn]] void fail(std::string_view statement, const std::string& detail) {
    throw EngineError(code::SqlError,
                      "Ошибка в SQL-запросе «" + excerpt(statement) + "»: " + detail +
                          ". Поддерживаются только запросы UPDATE <таблица> SET <поле> = \"<значение>\" и "
                          "SELECT COUNT(*) <имя> FROM <таблица> WHERE <поле> <> \"\"");
}

std::vector<Token> tokenize(std::string_view text) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (c == '"' || c == '\'') {
            std::string value;
            ++i;
            for (;;) {
                if (i >= text.size()) fail(text, "не закрыта кавычка");
                if (text[i] == char(c)) {
                    if (i + 1 < text.size() && text[i + 1] == char(c)) {  // a doubled quote stands for one
                        value += char(c);
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i++];
            }
            tokens.push_back({TokenKind::String, std::move(value)});
        } else if (c == '<' && i + 1 < text.size() && text[i + 1] == '>') {
            tokens.push_back({TokenKind::Symbol, "<>"});
            i += 2;
        } else if (c == '=' || c == '(' || c == ')' || c == '*' || c == ';') {
            tokens.push_back({TokenKind::Symbol, std::string(1, char(c))});
            ++i;
        } else if (isWordByte(c)) {
            const std::size_t start = i;
            while (i < text.size() && isWordByte(static_cast<unsigned char>(text[i]))) ++i;
            tokens.push_back({TokenKind::Word, std::string(text.substr(start, i - start))});
        } else {
            fail(text, "недопустимый знак «" + std::string(1, char(c)) + "»");
        }
    }
    return tokens;
}

class Parser {
public:
    Parser(std::string_view statement, std::vector<Token> tokens) : statement_(statement), tokens_(std::move(tokens)) {
        // One closing semicolon is allowed.
        if (!tokens_.empty() && tokens_.back().kind == TokenKind::Symbol && tokens_.back().text == ";")
            tokens_.pop_back();
    }

    bool atKeyword(std::string_view keyword) const {
        return pos_ < tokens_.size() && tokens_[pos_].kind == TokenKind::Word && upperAscii(tokens_[pos_].text) == keyword;
    }
    void keyword(std::string_view keyword) {
        if (!atKeyword(keyword)) fail(statement_, "ожидалось " + std::string(keyword) + found());
        ++pos_;
    }
    void symbol(std::string_view symbol) {
        if (pos_ >= tokens_.size() || tokens_[pos_].kind != TokenKind::Symbol || tokens_[pos_].text != symbol)
            fail(statement_, "ожидалось «" + std::string(symbol) + "»" + found());
        ++pos_;
    }
    std::string name(std::string_view what) {
        if (pos_ >= tokens_.size() || tokens_[pos_].kind != TokenKind::Word)
            fail(statement_, "ожидалось " + std::string(what) + found());
        return tokens_[pos_++].text;
    }
    std::string string() {
        if (pos_ >= tokens_.size() || tokens_[pos_].kind != TokenKind::String)
            fail(statement_, "ожидалось значение в кавычках" + found());
        return tokens_[pos_++].text;
    }
    void end() {
        if (pos_ < tokens_.size()) fail(statement_, "лишний текст" + found());
    }

private:
    std::string found() const {
        if (pos_ >= tokens_.size()) return ", а запрос кончился";
        const Token& t = tokens_[pos_];
        return ", а встретилось «" + excerpt(t.kind == TokenKind::String ? "\"" + t.text + "\"" : t.text) + "»";
    }

    std::string_view statement_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
};

}  // namespace

SqlStatement parseSqlStatement(std::string_view text) {
    Parser p(text, tokenize(text));
    if (p.atKeyword("UPDATE")) {
        SqlUpdateAll s;
        p.keyword("UPDATE");
        s.table = p.name("имя таблицы");
        p.keyword("SET");
        s.field = p.name("имя поля");
        p.symbol("=");
        s.value = p.string();
        p.end();
        return s;
    }
    if (p.atKeyword("SELECT")) {
        SqlCountNotEqual s;
        p.keyword("SELECT");
        p.keyword("COUNT");
        p.symbol("(");
        p.symbol("*");
        p.symbol(")");
        if (p.atKeyword("AS")) p.keyword("AS");
        s.column = p.atKeyword("FROM") ? std::string("COUNT") : upperAscii(p.name("имя столбца"));
        p.keyword("FROM");
        s.table = p.name("имя таблицы");
        p.keyword("WHERE");
        s.field = p.name("имя поля");
        p.symbol("<>");
        s.value = p.string();
        p.end();
        return s;
    }
    fail(text, "неизвестный вид запроса");
}

}  // namespace kvzt::engine
