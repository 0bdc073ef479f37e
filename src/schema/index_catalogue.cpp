#include "schema/index_catalogue.h"

#include <cerrno>
#include <cstdio>
#include <optional>

#include "data/text_helpers.h"
#include "engine/code_page.h"
#include "engine/database.h"
#include "engine/dbf_file.h"
#include "engine/errors.h"
#include "engine/path_util.h"
#include "engine/production_index.h"
#include "engine/table.h"
#include "schema/pack_error.h"

namespace kvzt::schema {

using data::ExtractBetween;
using data::UpperAscii;

namespace {

const QChar kEdge = QLatin1Char('#');

std::optional<QStringList>& programList() {
    static std::optional<QStringList> list;
    return list;
}

QStringList makeIndexList();

QString trimLeft(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace()) {
        ++i;
    }
    return text.mid(i);
}

std::string upperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = char(c - 'a' + 'A');
        }
    }
    return text;
}

bool sameName(const std::string& a, const std::string& b) { return upperAscii(a) == upperAscii(b); }

bool hasTag(const std::vector<std::string>& names, const std::string& name) {
    for (const std::string& n : names) {
        if (sameName(n, name)) {
            return true;
        }
    }
    return false;
}

// Removes every "<table>.mdx" beside the table, whatever the letter case of its name.
void removeMdxFiles(const std::string& dbfPath) {
    const std::string directory = engine::directoryOf(dbfPath);
    const std::string mdxName = engine::mdxNameFor(engine::fileNameOf(dbfPath));
    // Several spellings can coexist on a case-sensitive file system; a bounded
    // loop so that a file that refuses to go away cannot hang us.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::optional<std::string> found = engine::findFileNoCase(directory, mdxName);
        if (!found) {
            return;
        }
        if (std::remove(found->c_str()) != 0) {
            engine::throwIoError(*found, errno);
        }
    }
}

void clearProductionIndexFlag(const std::string& dbfPath) {
    std::unique_ptr<engine::DbfFile> file = engine::DbfFile::open(dbfPath, engine::OpenMode::Exclusive);
    if (file->header().productionIndex != 0) {
        file->setProductionIndexFlag(false);
    }
    file->close();
}

bool isBrokenIndex(const engine::EngineError& error) {
    return error.code() == engine::code::Corrupt || error.code() == engine::code::InvalidKeyExpression;
}

// Takes the table out of its production index: the flag first (opening the
// .dbf exclusively also proves nobody holds the table, and fails on a
// damaged .dbf before anything is deleted), then the .mdx file.
void detachProductionIndex(const std::string& dbfPath) {
    clearProductionIndexFlag(dbfPath);
    removeMdxFiles(dbfPath);
}

// The table opened exclusively for a new index. An index file that is
// missing or too damaged to open is about to be replaced anyway: the table
// is then opened without it.
std::unique_ptr<engine::Table> openForNewIndex(engine::Database& database, const std::string& tableName) {
    try {
        return database.openTable(tableName, engine::OpenMode::Exclusive);
    } catch (const engine::EngineError& error) {
        if (!isBrokenIndex(error)) {
            throw;
        }
    }
    detachProductionIndex(database.tablePath(tableName));
    return database.openTable(tableName, engine::OpenMode::Exclusive);
}

[[noreturn]] void raisePackError(const engine::EngineError& error) {
    PackCheck(error.code() != 0 ? error.code() : -1, error.what());
    throw EPackError(error.code(), PackErrorMessage(error.code(), error.what()));  // not reached
}

}  // namespace

void AddIndexTable(QStringList& list, const char* header, std::initializer_list<const char*> tagLines) {
    list.append(UpperAscii(trimLeft(QString::fromUtf8(header))) + QStringLiteral(" $") +
                QString::number(tagLines.size()) + QLatin1Char(' '));
    for (const char* line : tagLines) {
        list.append(UpperAscii(trimLeft(QString::fromUtf8(line))));
    }
}

const QStringList& BuildIndexList() {
    programList() = makeIndexList();
    return *programList();
}

void FreeIndexList() { programList().reset(); }

bool IndexListBuilt() { return programList().has_value(); }

const QStringList& IndexList() {
    if (programList()) {
        return *programList();
    }
    static const QStringList standalone = makeIndexList();
    return standalone;
}

int FindIndexList(const QString& tableName) {
    const QString wanted = QString::fromStdString(engine::upperUtf8(tableName.toStdString()));
    const QStringList& list = IndexList();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).contains(wanted)) {
            return int(i);
        }
    }
    return -1;
}

int FindIndexTable(const QString& tableName) {
    QString wanted = tableName.trimmed();
    const qsizetype slash = qMax(wanted.lastIndexOf(QLatin1Char('/')), wanted.lastIndexOf(QLatin1Char('\\')));
    wanted = UpperAscii(wanted.mid(slash + 1));
    if (wanted.isEmpty()) {
        return -1;
    }
    if (!wanted.contains(QLatin1Char('.'))) {
        wanted += QStringLiteral(".DBF");
    }
    const QStringList& list = IndexList();
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString& line = list.at(i);
        if (line.contains(QLatin1Char('$')) && ExtractBetween(line, QLatin1Char('('), QLatin1Char(')')) == wanted) {
            return int(i);
        }
    }
    return -1;
}

std::vector<TagSpec> CatalogueTags(const QString& tableName) {
    std::vector<TagSpec> tags;
    const int header = FindIndexTable(tableName);
    if (header < 0) {
        return tags;
    }
    const QStringList& list = IndexList();
    const int count = ExtractBetween(list.at(header), QLatin1Char('$'), QLatin1Char(' ')).toInt();
    for (int i = header + 1; i <= header + count && i < list.size(); ++i) {
        const QString& line = list.at(i);
        TagSpec tag;
        tag.name = ExtractBetween(line, kEdge, QLatin1Char(' ')).toStdString();
        tag.expression = ExtractBetween(line, QLatin1Char('<'), QLatin1Char('>')).toStdString();
        tags.push_back(std::move(tag));
    }
    return tags;
}

std::vector<TagSpec> ExistingTags(engine::Database& database, const std::string& tableName) {
    std::vector<TagSpec> tags;
    std::unique_ptr<engine::Table> table = database.openTable(tableName, engine::OpenMode::ReadOnly);
    engine::ProductionIndex* index = table->productionIndex();
    for (const std::string& name : table->tagNames()) {
        engine::IndexTag* tag = index ? index->tag(name) : nullptr;
        if (!tag) {
            continue;
        }
        TagSpec tagDef;
        tagDef.name = tag->name();
        tagDef.expression = tag->expression().text();
        tagDef.options.descending = tag->descending();
        tagDef.options.unique = tag->unique();
        tags.push_back(std::move(tagDef));
    }
    table->close();
    return tags;
}

void DropIndexes(engine::Database& database, const std::string& tableName, const ProcessMessages& process) {
    std::unique_ptr<engine::Table> table;
    try {
        table = database.openTable(tableName, engine::OpenMode::Exclusive);
    } catch (const engine::EngineError& error) {
        // A production index too damaged to open (or missing) is about to be
        // deleted anyway; anything else (no table, table in use) stops here.
        if (!isBrokenIndex(error)) {
            throw;
        }
    }
    if (!table) {
        detachProductionIndex(database.tablePath(tableName));
        return;
    }
    // The whole .mdx goes below: deleting its tags one by one first would
    // only read every block of each (a million keys for K5ULI) to put it on
    // a free list of a file about to be removed.
    const std::string path = table->path();
    if (process) {
        process();
    }
    table->close();
    table.reset();
    detachProductionIndex(path);
}

void CreateIndexes(engine::Database& database, const std::string& tableName, const ProcessMessages& process,
                   const std::vector<TagSpec>& otherTags) {
    const QString name = QString::fromStdString(tableName);
    const std::vector<TagSpec> tags = FindIndexTable(name) >= 0 ? CatalogueTags(name) : otherTags;
    std::unique_ptr<engine::Table> table = openForNewIndex(database, tableName);
    table->setBusyHook(process);  // a tag over a million records must not freeze the window
    const std::vector<std::string> present = table->tagNames();
    std::vector<engine::TagDefinition> definitions;
    for (const TagSpec& tag : tags) {
        if (process) {
            process();
        }
        if (hasTag(present, tag.name)) {
            table->deleteIndex(tag.name);
        }
        definitions.push_back({tag.name, tag.expression, tag.options});
    }
    // All the tags from one reading of the table, not one reading per tag.
    table->addIndexes(definitions);
    table->close();
}

void ReindexTable(engine::Database& database, const std::string& tableName, const ProcessMessages& process,
                  const std::function<void()>& afterDrop) {
    // The new index is built whole beside the old one and renamed over it:
    // a failure or a crash at any point leaves the old index or the new one.
    const QString name = QString::fromStdString(tableName);
    std::vector<engine::TagDefinition> tags;
    for (const TagSpec& tag : FindIndexTable(name) >= 0 ? CatalogueTags(name) : ExistingTags(database, tableName)) {
        tags.push_back({tag.name, tag.expression, tag.options});
    }
    std::unique_ptr<engine::Table> table = openForNewIndex(database, tableName);
    if (process) {
        process();
    }
    if (afterDrop) {
        afterDrop();
    }
    table->rebuildIndex(tags);
    table->close();
}

void PackTable(engine::Database& database, const std::string& tableName, const ProcessMessages& process) {
    std::unique_ptr<engine::Table> table;
    try {
        table = database.openTable(tableName, engine::OpenMode::Exclusive);
    } catch (const engine::EngineError& error) {
        raisePackError(error);
    }
    if (process) {
        process();
    }
    table->setBusyHook(process);
    try {
        table->pack();
        table->close();
    } catch (const engine::EngineError& error) {
        raisePackError(error);
    }
}

namespace {

QStringList makeIndexList() {
    QStringList list;
    AddIndexTable(list, "[VX_B] (SPISOK32.DBF)", {"FIOBORN    <UPPER(FAM+NAME+OTC)+DTOS(DATEROG)>",
                     "NOMX       <NOM>"});
    AddIndexTable(list, "[VX_S] (KLSTR22.DBF)", {"KODX       <KOD>",
                     "NAMEX      <UPPER(NAME)>"});
    AddIndexTable(list, "[VX_S] (K1REG.DBF)", {"NAMEX      <UPPER(NAME)>",
                     "KODREGX    <KODREG>"});
    AddIndexTable(list, "[VX_S] (K7SOCR.DBF)", {"CODEX      <CODE>",
                     "LEVNAME    <LEV+UPPER(NAME)>"});
    AddIndexTable(list, "[VX_S] (K2RAI.DBF)", {"NAMEX      <UPPER(NAME)>",
                     "REGRAIX    <KODREG+UPPER(NAME)>",
                     "KODRRX     <KODREG+KODRAI>"});
    AddIndexTable(list, "[VX_S] (K3TOW.DBF)", {"NAMEX      <UPPER(NAME)>",
                     "REGTOWX    <KODREG+UPPER(NAME)>",
                     "REGRAITOWX <KODREG+KODRAI+UPPER(NAME)>",
                     "KODRRTX    <KODREG+KODRAI+KODTOW>"});
    AddIndexTable(list, "[VX_S] (K4NAS.DBF)", {"NAMEX      <UPPER(NAME)>",
                     "REGNASX    <KODREG+UPPER(NAME)>",
                     "REGRAINASX <KODREG+KODRAI+UPPER(NAME)>",
                     "REGRTNASX  <KODREG+KODRAI+KODTOW+UPPER(NAME)>",
                     "KODRRTNX   <KODREG+KODRAI+KODTOW+KODNAS>"});
    AddIndexTable(list, "[VX_S] (K5ULI.DBF)", {"RRTNNMX    <KODREG+KODRAI+KODTOW+KODNAS+UPPER(NAME)>"});
    AddIndexTable(list, "[VX_S] (K6DOM.DBF)", {"CODEX      <KODREG+KODRAI+KODTOW+KODNAS+KODULI>"});
    AddIndexTable(list, "[VX_S] (KLDOC30.DBF)", {"CODEX      <CODE>"});
    AddIndexTable(list, "[VX_S] (DOLGN.DBF)", {"NAMEX      <UPPER(NAME)>"});
    AddIndexTable(list, "[VX_B] (SVBASE32.DBF)", {"IDX        <ID>",
                     "IDDOKX     <IDDOK>",
                     "FIOX       <UPPER(FIO)>",
                     "DSVEDX     <DSVED>",
                     "DATAVIDX   <DATAVID>",
                     "NOMX       <NOM>"});
    AddIndexTable(list, "[VX_S] (KLDOX31.DBF)", {"KODX       <KOD>"});
    AddIndexTable(list, "[VX_S] (KLSKID30.DBF)", {"KODX       <KOD>"});
    AddIndexTable(list, "[VX_B] (DOXOD22.DBF)", {"IDKODX     <ID+KOD>"});
    AddIndexTable(list, "[VX_B] (DOXOD22_.DBF)", {"KODX       <KOD>"});
    AddIndexTable(list, "[VX_B] (NH22.DBF)", {"IDX        <ID>"});
    AddIndexTable(list, "[VX_S] (KLVIC30.DBF)", {"KODX       <KOD>"});
    AddIndexTable(list, "[VX_B] (VICET22.DBF)", {"IDKODX     <ID+KOD>"});
    AddIndexTable(list, "[VX_B] (VICET22_.DBF)", {"KODX       <KOD>"});
    AddIndexTable(list, "[VX_S] (SPIS_D32.DBF)", {"FIOX       <UPPER(FAM+NAME+OTC)>"});
    AddIndexTable(list, "[VX_S] (SVB_32.DBF)", {"FIOX       <UPPER(FIO)>"});
    AddIndexTable(list, "[VX_B] (AV32.DBF)", {"IDX        <ID>"});
    AddIndexTable(list, "[VX_B] (FC32.DBF)", {"IDX        <ID>"});
    AddIndexTable(list, "[VX_B] (K5_32.DBF)", {"IDFLAGX    <ID+FLAG>"});
    AddIndexTable(list, "[VX_B] (K51_32.DBF)", {"IDFLAGX    <ID+FLAG>"});
    AddIndexTable(list, "[VX_B] (K52_32.DBF)", {"IDFLAGX    <ID+FLAG>"});
    AddIndexTable(list, "[VX_B] (K5CU32.DBF)", {"IDX        <ID>"});
    AddIndexTable(list, "[VX_B] (K51CU32.DBF)", {"IDX        <ID>"});
    AddIndexTable(list, "[VX_B] (K52CU32.DBF)", {"IDX        <ID>"});
    AddIndexTable(list, "[VX_B] (KART32.DBF)", {"IDX        <ID>",
                     "IDSPRAVX   <IDSPRAV>",
                     "FIOX       <UPPER(FIO)>",
                     "NOMX       <NOM>"});
    AddIndexTable(list, "[VX_B] (KD32.DBF)", {"IDCODEX    <ID+DOHCODE>"});
    AddIndexTable(list, "[VX_B] (KD32_.DBF)", {"KODX       <KOD>"});
    AddIndexTable(list, "[VX_B] (KDO32_.DBF)", {"KODX       <KOD>"});
    AddIndexTable(list, "[VX_B] (KDS32_.DBF)", {"KODDSX     <KODDOH+FLAG>"});
    AddIndexTable(list, "[VX_B] (KV32.DBF)", {"IDCODEX    <ID+VICCODE>"});
    AddIndexTable(list, "[VX_B] (KV32_.DBF)", {"KODX       <KOD>"});
    AddIndexTable(list, "[VX_B] (MVC32.DBF)", {"IDX        <ID>"});
    AddIndexTable(list, "[VX_B] (NHK32.DBF)", {"IDX        <ID>"});
    AddIndexTable(list, "[VX_B] (NPM32.DBF)", {"IDX        <ID>"});
    AddIndexTable(list, "[VX_B] (PVS32.DBF)", {"IDX        <ID>"});
    AddIndexTable(list, "[VX_B] (VM32.DBF)", {"IDX        <ID>"});
    return list;
}

}  // namespace

}  // namespace kvzt::schema
