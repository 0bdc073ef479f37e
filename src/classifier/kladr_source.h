#pragma once
// A classifier distribution file (kladr.dbf or street.dbf) opened from its
// directory: exclusively, code page 866 for its language-driver byte 0.
//
// .dbf header byte 28 is 1 when the file claims a production index (.mdx).
// The distribution often carries that byte with a missing or damaged .mdx,
// which makes the open fail; the file is then opened without its index by
// writing 0 there, and the 1 is written back once the file has been used.

#include <QString>

#include <memory>

namespace kvzt::engine {
class Session;
class Table;
}  // namespace kvzt::engine

namespace kvzt::classifier {

class KladrSource {
public:
    KladrSource(engine::Session& session, QString directory, QString tableName);
    // Closes the file and writes the header byte back when it was repaired;
    // errors on the way out are swallowed (use finish() to see them).
    ~KladrSource();
    KladrSource(const KladrSource&) = delete;
    KladrSource& operator=(const KladrSource&) = delete;

    // Opens the file (first record current). When the open fails and the
    // header names a production index, the byte is cleared and the open tried
    // once more; a second failure is thrown. A failure with no index named
    // is thrown as it is.
    engine::Table& open();
    void close();
    // Closes and writes the header byte back when this object cleared it.
    void finish();

    engine::Table& table() { return *table_; }
    bool repaired() const { return repaired_; }
    const QString& tableName() const { return tableName_; }

private:
    engine::Session& session_;
    QString directory_;
    QString tableName_;
    std::unique_ptr<engine::Table> table_;
    bool repaired_ = false;
};

// Header byte 28 of a .dbf file; -1 when the file cannot be read that far.
int ReadIndexFlag(const QString& dbfPath);

}  // namespace kvzt::classifier
