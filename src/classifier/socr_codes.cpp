#include "classifier/socr_codes.h"

#include <cstdio>

#include "engine/code_page.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/table.h"

namespace kvzt::classifier {

namespace {

constexpr int kHighestCode = 999;

// Selects `tag` for a while and the cursor's own tag again afterwards.
class TagSwitch {
public:
    TagSwitch(engine::Table& table, const char* tag) : table_(table), previous_(table.indexName()) {
        table_.setIndex(tag);
    }
    ~TagSwitch() {
        try {
            table_.setIndex(previous_);
        } catch (...) {  // the tag was there a moment ago; an error here has nothing to add
        }
    }
    TagSwitch(const TagSwitch&) = delete;
    TagSwitch& operator=(const TagSwitch&) = delete;

private:
    engine::Table& table_;
    std::string previous_;
};

}  // namespace

std::string NextSocrCode(const std::string& lastCode) {
    const std::string head = lastCode.substr(0, 3);
    int number = 0;
    bool digits = !head.empty();
    for (char c : head) {
        if (c < '0' || c > '9') digits = false;
    }
    if (digits) number = std::stoi(head);
    ++number;
    if (number > kHighestCode) return {};
    char text[16];
    std::snprintf(text, sizeof text, "%03d", number);
    return text;
}

const std::string& SocrCodes::GetSocrCode(char level, const std::string& socrText) {
    // The text as read answers most calls; texts that differ only in letter
    // case share the code found under their upper-cased form.
    if (auto it = asRead_.find({level, socrText}); it != asRead_.end()) return it->second;
    const std::string upper = engine::upperUtf8(socrText);
    auto known = known_.find({level, upper});
    if (known == known_.end()) {
        std::string code = lookup(level, upper);
        if (code.empty()) code = nextCode(level, socrText);
        known = known_.emplace(std::make_pair(level, upper), std::move(code)).first;
    }
    return asRead_.emplace(std::make_pair(level, socrText), known->second).first->second;
}

std::string SocrCodes::lookup(char level, const std::string& upperText) {
    TagSwitch tag(socr_, "LEVNAME");
    if (!socr_.findKey({std::string(1, level), upperText})) return {};
    std::string code = socr_.asString("Code");
    // A found record with a blank code still answers the lookup: give its
    // blanks back rather than adding a second record for the same text.
    return code.empty() ? std::string(3, ' ') : code;
}

std::string SocrCodes::nextCode(char level, const std::string& socrText) {
    std::string last;
    {
        TagSwitch tag(socr_, "CODEX");
        socr_.last();  // leaves eof() set, on the last record when there is one
        if (socr_.recNo() != 0) last = socr_.asString("Code");
    }
    const std::string code = NextSocrCode(last);
    if (code.empty()) {
        throw engine::EngineError(
            engine::code::ValueOutOfRange,
            "В справочнике сокращений (K7SOCR) нет свободного кода: новое сокращение \"" + socrText + "\" уровня " +
                std::string(1, level) + " получило бы код больше 999. Импорт КЛАДР прерван");
    }
    // The record and its two keys go in as one journalled transaction: a run
    // killed in the middle of the write leaves K7SOCR and its tags as they
    // were, never a key naming a record the table does not hold.
    engine::Database* db = socr_.database();
    const bool ownTransaction = db && !db->inTransaction();
    if (ownTransaction) db->startTransaction();
    try {
        socr_.append();
        socr_.setString("Lev", std::string(1, level));
        socr_.setString("Name", socrText);
        socr_.setString("Code", code);
        socr_.post();
        if (ownTransaction) db->commit();
    } catch (...) {
        socr_.cancel();
        if (ownTransaction) db->rollback();
        throw;
    }
    ++added_;
    return code;
}

}  // namespace kvzt::classifier
