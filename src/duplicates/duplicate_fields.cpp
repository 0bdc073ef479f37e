#include "duplicates/duplicate_fields.h"

#include "engine/table.h"

namespace kvzt::duplicates {

namespace {

enum class Kind { Text, Boolean, Date, Integer, Float, DateIfGiven, TextIfGiven };

struct FieldCopy {
    const char* name;
    Kind kind;
};

void copyField(const engine::Table& from, engine::Table& to, const FieldCopy& f) {
    switch (f.kind) {
    case Kind::Text:
        to.setString(f.name, from.asString(f.name));
        break;
    case Kind::TextIfGiven: {
        const std::string text = from.asString(f.name);
        if (text.find_first_not_of(' ') != std::string::npos) to.setString(f.name, text);
        break;
    }
    case Kind::Boolean:
        to.setBoolean(f.name, from.asBoolean(f.name));
        break;
    case Kind::Date: {
        const engine::Date date = from.asDate(f.name);
        if (date.isNull())
            to.setNull(f.name);
        else
            to.setDate(f.name, date);
        break;
    }
    case Kind::DateIfGiven: {
        const engine::Date date = from.asDate(f.name);
        if (!date.isNull()) to.setDate(f.name, date);
        break;
    }
    case Kind::Integer:
        to.setInteger(f.name, from.asInteger(f.name));
        break;
    case Kind::Float:
        to.setFloat(f.name, from.asFloat(f.name));
        break;
    }
}

// In the order the host's own inclusion wrote them. GNI, DOLJN, DATADOLJN and
// TABNMB are not in a DOS 2.* source, so an empty one keeps the stored value
// rather than blanking it.
const FieldCopy kPersonFields[] = {
    {"FAM", Kind::Text},        {"NAME", Kind::Text},    {"OTC", Kind::Text},      {"INNFL", Kind::Text},
    {"GNI", Kind::TextIfGiven},        {"DKOD", Kind::Text},    {"ISSPRAV", Kind::Boolean}, {"DNOM", Kind::Text},
    {"DATEROG", Kind::Date},    {"JOBSTATUS", Kind::Text}, {"STATUS", Kind::Text}, {"STRCODE", Kind::Text},
    {"ADRES", Kind::Text},      {"ISKART", Kind::Boolean}, {"DOLJN", Kind::TextIfGiven},  {"DATADOLJN", Kind::DateIfGiven},
    {"TABNMB", Kind::TextIfGiven},
};

const FieldCopy kStatementFields[] = {
    {"NOM", Kind::Integer},       {"FIO", Kind::Text},          {"MES", Kind::Text},
    {"JOBSTATUS", Kind::Text},    {"SGDSUM", Kind::Float},      {"KOEFSUM", Kind::Float},
    {"KOEFOBL", Kind::Float},     {"KOEFUD", Kind::Float},      {"OBLAGSUM", Kind::Float},
    {"UDSUM", Kind::Float},       {"DSVED", Kind::DateIfGiven}, {"DATAVID", Kind::DateIfGiven},
    {"NOSIT", Kind::Text},        {"ERROR", Kind::Text},        {"SOVDOH1", Kind::Float},
    {"SOVDOH2", Kind::Float},     {"SOVDOH3", Kind::Float},     {"SOVDOH4", Kind::Float},
    {"SOVDOH5", Kind::Float},     {"SOVDOH6", Kind::Float},     {"SOVDOH7", Kind::Float},
    {"SOVDOH8", Kind::Float},     {"SOVDOH9", Kind::Float},     {"SOVDOH10", Kind::Float},
    {"SOVDOH11", Kind::Float},    {"SOVDOH12", Kind::Float},    {"ISCHDOHSUM", Kind::Float},
    {"ISCHKOESUM", Kind::Float},  {"TOTSUMMAT", Kind::Float},   {"OBLSUMMAT", Kind::Float},
    {"ISCHSUMMAT", Kind::Float},  {"UDSUMMAT", Kind::Float},    {"SUMNALINSP", Kind::Float},
    {"ISDOHSUMR", Kind::Float},   {"UDSUMR", Kind::Float},      {"ISKOESUMR", Kind::Float},
    {"KOEFUDR", Kind::Float},     {"ISSUMMATR", Kind::Float},   {"UDSUMMATR", Kind::Float},
    {"SUMNALGNIR", Kind::Float},  {"SUMVOZVR", Kind::Float},    {"SUMVOZVRR", Kind::Float},
    {"REESTRNMB", Kind::Integer}, {"TSVED", Kind::Text},
};

}  // namespace

void CopyPersonFields(const engine::Table& duplicate, engine::Table& person) {
    for (const FieldCopy& f : kPersonFields) copyField(duplicate, person, f);
}

void CopyStatementFields(const engine::Table& duplicate, engine::Table& statement) {
    for (const FieldCopy& f : kStatementFields) copyField(duplicate, statement, f);
}

}  // namespace kvzt::duplicates
