#pragma once
// Filling the host's empty reference books from the data files shipped with
// the program, so that a database created from nothing (the embedded default
// database) is usable at once. A book that holds any record, even a deleted
// one, belongs to the user and is never touched.
//
// Data file: UTF-8 CSV named after the table in lower case (klstr22.csv). The
// first row names the table's fields; each further row is one record. Fields
// are separated by commas; a field holding a comma or a double quote is put
// between double quotes, a double quote inside it doubled. Logical fields take
// T or F, numeric fields a decimal number with a full stop, character fields
// their text (at most the field's width).

#include <QString>
#include <QStringList>

#include <vector>

namespace kvzt::engine {
class Session;
}

namespace kvzt::schema {

class StartCheckObserver;

struct ReferenceBook {
    const char* alias;
    const char* table;     // file name as in the table catalogue
    const char* dataFile;  // CSV name in the data directory
};

// The books filled from data files, in filling order.
const std::vector<ReferenceBook>& ReferenceBooks();

// The data files' directory: "refbooks" beside the program.
QString ReferenceBookDirectory();

// A data file read into rows of texts; the first row holds the field names.
// Throws EngineError(InvalidParam) naming the file and line for a malformed
// file (unclosed quotes, a row whose field count differs from the first).
std::vector<QStringList> ReadCsvFile(const QString& path);
std::vector<QStringList> ParseCsv(const QString& text, const QString& sourceName);

struct ReferenceBookFill {
    QStringList filled;    // "VX_S:KLSTR22.DBF"
    QStringList failures;  // "VX_S:KLSTR22.DBF: message"
};

// Fills every book of ReferenceBooks() that exists, has no record at all and
// has a data file in `directory`. A data file is checked whole before the
// first record is written, and the records go in under one transaction, so
// a book is filled completely or not at all. Books without a data file or
// without their table are left alone; a missing directory fills nothing.
ReferenceBookFill FillReferenceBooks(engine::Session& session, const QString& directory,
                                     StartCheckObserver* observer = nullptr);

// Fills one table from one data file (the table must have no record).
// Returns the number of records written.
int FillReferenceBook(engine::Session& session, const QString& alias, const QString& table,
                      const QString& dataFilePath);

}  // namespace kvzt::schema
