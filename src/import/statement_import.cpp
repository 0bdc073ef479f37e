#include "import/statement_import.h"

#include <array>
#include <utility>

#include "data/data_module.h"
#include "data/program_flags.h"
#include "data/text_helpers.h"
#include "engine/table.h"
#include "import/import_context.h"
#include "import/person_format.h"

namespace kvzt::import {

namespace {

constexpr int kIdWidth = 9;
constexpr int kIdDokWidth = 8;

QString q(const std::string& s) { return QString::fromStdString(s); }

// Sums kept under the same name in the Win 3.2 statements.
constexpr std::array kWinSums{"SGDSUM",    "OBLAGSUM",  "ISCHDOHSUM", "UDSUM",     "KOEFSUM",   "KOEFOBL",
                              "ISCHKOESUM", "KOEFUD",   "TOTSUMMAT",  "OBLSUMMAT", "ISCHSUMMAT", "UDSUMMAT",
                              "SUMNALINSP", "ISDOHSUMR", "UDSUMR",    "ISKOESUMR", "KOEFUDR",   "ISSUMMATR",
                              "UDSUMMATR",  "SUMNALGNIR", "SUMVOZVR", "SUMVOZVRR", "SOVDOH1",   "SOVDOH2",
                              "SOVDOH3",    "SOVDOH4",   "SOVDOH5",   "SOVDOH6",   "SOVDOH7",   "SOVDOH8",
                              "SOVDOH9",    "SOVDOH10",  "SOVDOH11",  "SOVDOH12"};
constexpr std::array kWinTexts{"FIO", "MES", "JOBSTATUS", "ERROR", "NOSIT", "TSVED"};

// Sums of the DOS 2.* list record: destination ← source.
constexpr std::array<std::pair<const char*, const char*>, 25> kDosSums{{
    {"SGDSUM", "SGDSum"},     {"OBLAGSUM", "SGDObl"},   {"ISCHDOHSUM", "SGDIs"}, {"UDSUM", "SGDUd"},
    {"KOEFSUM", "KOEFSUM"},   {"KOEFOBL", "KOEFOBL"},   {"ISCHKOESUM", "KOEFIs"}, {"KOEFUD", "KOEFUD"},
    {"TOTSUMMAT", "VigSum"},  {"OBLSUMMAT", "VigObl"},  {"ISCHSUMMAT", "VigIs"}, {"UDSUMMAT", "VigUd"},
    {"SUMNALINSP", "SumGni"}, {"SOVDOH1", "S1"},        {"SOVDOH2", "S2"},       {"SOVDOH3", "S3"},
    {"SOVDOH4", "S4"},        {"SOVDOH5", "S5"},        {"SOVDOH6", "S6"},       {"SOVDOH7", "S7"},
    {"SOVDOH8", "S8"},        {"SOVDOH9", "S9"},        {"SOVDOH10", "S10"},     {"SOVDOH11", "S11"},
    {"SOVDOH12", "S12"},
}};
// Sums the DOS 2.* version did not have.
constexpr std::array kDosZeroSums{"ISDOHSUMR", "UDSUMR",    "ISKOESUMR", "KOEFUDR", "ISSUMMATR",
                                  "UDSUMMATR", "SUMNALGNIR", "SUMVOZVR", "SUMVOZVRR"};

void copyDateIfSet(engine::Table& dest, engine::Table& src, const char* field) {
    const engine::Date date = src.asDate(field);
    if (!date.isNull()) dest.setDate(field, date);
}

void copyStatementFields(ImportContext& ctx, engine::Table& dest, engine::Table& src) {
    if (ctx.isDos()) {
        dest.setString("FIO", ShortFIO(q(src.asString("Fam")), q(src.asString("Name")), q(src.asString("Otc")))
                                  .toStdString());
        dest.setString("MES", src.asString("Period"));
        dest.setString("JOBSTATUS", src.asString("MESTO"));
        for (const auto& [to, from] : kDosSums) dest.setFloat(to, src.asFloat(from));
        for (const char* field : kDosZeroSums) dest.setFloat(field, 0);
        dest.setString("ERROR", src.asString("OSH"));
        dest.setString("NOSIT", src.asString("NOSIT"));
        dest.setInteger("REESTRNMB", 0);
        dest.setString("TSVED", "");
    } else {
        for (const char* field : kWinTexts) dest.setString(field, src.asString(field));
        for (const char* field : kWinSums) dest.setFloat(field, src.asFloat(field));
        dest.setBoolean("OSNNOTPAY", src.asBoolean("OSNNOTPAY"));
        dest.setInteger("REESTRNMB", src.asInteger("REESTRNMB"));
    }
    copyDateIfSet(dest, src, "DSVED");
    copyDateIfSet(dest, src, "DATAVID");
}

// The income lines, deductions and objects of the current source statement,
// appended under `id`.
void copyDetailRows(ImportContext& ctx, engine::Table& statement, const std::string& id) {
    data::TdmKVZT& dm = ctx.dm;
    const bool dos = ctx.isDos();
    const double nom = dos ? statement.asFloat("Nom") : 0;
    const std::string sourceId = dos ? std::string() : statement.asString("Id");
    auto rowsOf = [&](const SourceDetails& details) -> const std::vector<std::uint32_t>& {
        return dos ? details.rowsOfNumber(nom) : details.rowsOfText(sourceId);
    };

    engine::Table& srcIncome = dm.tbDosDoxod.table();
    engine::Table& income = dm.tbDoxod.table();
    const char* const discountCode = dos ? "Ksk" : "KodSk";
    for (const std::uint32_t recno : rowsOf(ctx.incomeLines)) {
        srcIncome.gotoBookmark({recno});
        income.append();
        income.setString("ID", id);
        income.setString("KOD", srcIncome.asString("Kod"));
        income.setFloat("SUM", srcIncome.asFloat("Sum"));
        const std::string code = srcIncome.asString(discountCode);
        income.setString("KODSK", data::IsBlank(q(code)) ? std::string("0") : code);
        income.setFloat("SK", srcIncome.asFloat("Sk"));
        income.post();
    }

    engine::Table& srcDeductions = dm.tbDosVicet.table();
    engine::Table& deductions = dm.tbVicet.table();
    for (const std::uint32_t recno : rowsOf(ctx.deductions)) {
        srcDeductions.gotoBookmark({recno});
        deductions.append();
        deductions.setString("ID", id);
        deductions.setString("KOD", srcDeductions.asString("Kod"));
        deductions.setFloat("SUM", srcDeductions.asFloat("Sum"));
        deductions.post();
    }

    engine::Table& srcObjects = dm.tbDosNewHome.table();
    engine::Table& objects = dm.tbNewHome.table();
    const char* const objectName = dos ? "Object" : "Name";
    for (const std::uint32_t recno : rowsOf(ctx.objects)) {
        srcObjects.gotoBookmark({recno});
        objects.append();
        objects.setString("ID", id);
        objects.setString("NAME", srcObjects.asString(objectName));
        objects.post();
    }
}

engine::Table& sourceStatement(ImportContext& ctx) {
    return ctx.isDos() ? *ctx.sourceList : *ctx.sourceStatements;
}

QString dosIdDok(ImportContext& ctx) {
    return data::PadLeft(QString::number(ctx.sourceList->asInteger("NomDok")), kIdDokWidth);
}

void addNewStatement(ImportContext& ctx, std::int64_t nom, const QString& proposedIdDok) {
    const QString idDok = UniqueIdDok(ctx, proposedIdDok);
    const QString id = NextSvedId(ctx);
    CopySvedRec(ctx, ctx.dm.tbSved.table(), nom, idDok, id);
}

void markStatementDuplicates(ImportContext& ctx) {
    data::SvedDblFound = true;
    ctx.result.svedDblFound = true;
}

}  // namespace

QString UniqueIdDok(ImportContext& ctx, const QString& proposed) {
    engine::Table& byIdDok = *ctx.svedByIdDok;
    if (!byIdDok.findKey({proposed.toStdString()})) return proposed;
    byIdDok.last();
    return data::PadLeft(data::IncNumberText(q(byIdDok.asString("IDDOK")), 1), kIdDokWidth);
}

QString NextSvedId(ImportContext& ctx) {
    engine::Table& byId = *ctx.svedById;
    byId.last();  // like the host's engine, last() leaves eof() set; recNo() tells whether there is a record
    const QString highest = byId.recNo() == 0 ? QString() : q(byId.asString("ID"));
    return data::PadLeft(data::IncNumberText(highest, 1), kIdWidth);
}

void CopySvedRec(ImportContext& ctx, engine::Table& destination, std::int64_t nom, const QString& idDok,
                 const QString& id) {
    engine::Table& src = sourceStatement(ctx);
    const bool duplicate = id.isEmpty();
    destination.append();
    destination.setInteger("NOM", nom);
    destination.setString("IDDOK", idDok.toStdString());
    copyStatementFields(ctx, destination, src);
    if (duplicate) {
        destination.setFloat("NOMDOS", ctx.sourceList->asFloat("Nom"));
        destination.setString("INCL", "");
        if (ctx.isDos()) {
            destination.setString("IDDOK_I", dosIdDok(ctx).toStdString());
        } else {
            destination.setString("IDDOK_I", src.asString("IdDok"));
            destination.setString("IDWIN_I", src.asString("Id"));
        }
        destination.post();
        ++ctx.result.statementDuplicates;
        return;
    }
    const std::string newId = id.toStdString();
    destination.setString("ID", newId);
    copyDetailRows(ctx, src, newId);
    destination.post();  // the statement after its rows, inside the run's transaction
    ++ctx.result.statementsAdded;
}

void RouteTwinStatements(ImportContext& ctx, std::int64_t twinNom) {
    engine::Table& stored = ctx.dm.tbSved.table();
    const std::vector<engine::Value> twinKey{twinNom};
    if (ctx.isDos()) {
        if (ctx.sourceList->asFloat("NomDok") == 0) return;
        stored.setRange(twinKey, twinKey);
        if (stored.eof()) {
            stored.cancelRange();
            addNewStatement(ctx, twinNom, dosIdDok(ctx));
            return;
        }
        markStatementDuplicates(ctx);
        for (; !stored.eof(); stored.next()) {
            CopySvedRec(ctx, *ctx.svedDbl, twinNom, q(stored.asString("IDDOK")), {});
        }
        stored.cancelRange();
        return;
    }

    engine::Table& source = *ctx.sourceStatements;
    const std::vector<engine::Value> sourceKey{ctx.sourceList->asInteger("Nom")};
    source.setRange(sourceKey, sourceKey);
    if (source.eof()) {
        source.cancelRange();
        return;
    }
    stored.setRange(twinKey, twinKey);
    if (stored.eof()) {
        stored.cancelRange();
        for (source.first(); !source.eof(); source.next()) {
            addNewStatement(ctx, twinNom, q(source.asString("IdDok")));
        }
    } else {
        markStatementDuplicates(ctx);
        for (; !stored.eof(); stored.next()) {
            const QString storedIdDok = q(stored.asString("IDDOK"));
            for (source.first(); !source.eof(); source.next()) {
                CopySvedRec(ctx, *ctx.svedDbl, twinNom, storedIdDok, {});
            }
        }
        stored.cancelRange();
    }
    source.cancelRange();
}

void RouteNewStatements(ImportContext& ctx, std::int64_t nom) {
    if (ctx.isDos()) {
        if (ctx.sourceList->asFloat("NomDok") != 0) addNewStatement(ctx, nom, dosIdDok(ctx));
        return;
    }
    engine::Table& source = *ctx.sourceStatements;
    const std::vector<engine::Value> sourceKey{ctx.sourceList->asInteger("Nom")};
    source.setRange(sourceKey, sourceKey);
    for (; !source.eof(); source.next()) addNewStatement(ctx, nom, q(source.asString("IdDok")));
    source.cancelRange();
}

}  // namespace kvzt::import
