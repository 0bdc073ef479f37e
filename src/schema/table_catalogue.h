#pragma once
// The catalogue of the host's 40 tables: title, alias, file name and fields
// of each, kept as text lines the way the program always carried them.
//
// List form (one QStringList): for each table a header line
//   "<title> [<alias>] (<file name>) $<field count> "
// (leading blanks removed, ASCII letters upper-cased, Cyrillic untouched),
// then one line per field in column order:
//   "<NAME> ^<TYPE>(<size>)"   e.g. "NOM        ^INT32(11)", "SUMRASH    ^FLOAT(9,2)"
// A header is any line holding a full stop (every file name has an
// extension; no field line has one).

#include <QString>
#include <QStringList>
#include <QVector>

#include <initializer_list>
#include <optional>

#include "engine/field_def.h"

namespace kvzt::engine {
class Database;
class Session;
}  // namespace kvzt::engine

namespace kvzt::schema {

// The logical type a catalogue type token stands for.
enum class CatalogueFieldType { Unset, String, Date, Boolean, SmallInt, Integer, Float };

struct ParsedFieldType {
    CatalogueFieldType type = CatalogueFieldType::Unset;
    int size = 0;  // the width for CHAR, else 0
};

// One table as found in a catalogue list.
struct CatalogueTable {
    QString title;     // header text before "[", trimmed
    QString alias;     // VX_B or VX_S
    QString fileName;  // upper case, with extension
    int headerLine = -1;
    int fieldCount = 0;
    int firstFieldLine() const { return headerLine + 1; }
};

// Appends a table: `lines` holds the header text first, then the field lines.
void AddTable(QStringList& list, const QStringList& lines);
void AddTable(QStringList& list, std::initializer_list<const char*> lines);

// The whole catalogue, 40 tables in loading order.
QStringList BuildTableCatalogue();

bool IsCatalogueHeader(const QString& line);
// Every header of the list, in order.
QVector<CatalogueTable> CatalogueTables(const QStringList& list);
// The table whose file name equals `fileName` (any letter case; ".DBF" is
// added when no extension is given).
std::optional<CatalogueTable> FindCatalogueTable(const QStringList& list, const QString& fileName);

// Reads the type token and, for CHAR only, the width of a field line.
ParsedFieldType ParseFieldType(const QString& fieldLine);

// The column a field line describes, in the host's own layout: CHAR(w) → C(w),
// DATE → D(8), LOG → L(1), INT16/INT32/FLOAT(w[,d]) → N(w,d). Name upper
// case, cut to 11 characters. Throws EngineError(InvalidParam) for a line
// with an unknown type token or an impossible width.
engine::FieldDef FieldDefFromLine(const QString& fieldLine);

// Creates the table `fileName` from `fieldCount` field lines starting at list
// line `firstField` (callers create only missing tables). The new table
// carries the database's default language driver and no index.
void CreateTableFromCatalogue(engine::Database& database, const QStringList& list, const QString& fileName,
                              int firstField, int fieldCount);
void CreateTableFromCatalogue(engine::Session& session, const QStringList& list, const QString& alias,
                              const QString& fileName, int firstField, int fieldCount);

}  // namespace kvzt::schema
