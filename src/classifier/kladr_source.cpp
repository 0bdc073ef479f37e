#include "classifier/kladr_source.h"

#include <QFile>

#include "data/path_helpers.h"
#include "engine/code_page.h"
#include "engine/session.h"
#include "engine/table.h"

namespace kvzt::classifier {

namespace {

constexpr qint64 kIndexFlagOffset = 28;

}  // namespace

int ReadIndexFlag(const QString& dbfPath) {
    QFile file(dbfPath);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(kIndexFlagOffset)) return -1;
    char flag = 0;
    if (file.read(&flag, 1) != 1) return -1;
    return static_cast<unsigned char>(flag);
}

KladrSource::KladrSource(engine::Session& session, QString directory, QString tableName)
    : session_(session), directory_(std::move(directory)), tableName_(std::move(tableName)) {}

KladrSource::~KladrSource() {
    try {
        finish();
    } catch (...) {  // a destructor reports nothing; the run's own error is the one that matters
    }
}

engine::Table& KladrSource::open() {
    close();
    const std::string dir = directory_.toStdString();
    const std::string name = tableName_.toStdString();
    try {
        table_ = session_.openTableInDirectory(dir, name, engine::OpenMode::Exclusive, engine::CodePage::Cp866);
    } catch (...) {
        // Only a header that names an index can be repaired; a file that is
        // missing, locked or broken otherwise fails as it is.
        const QString path = data::TableFilePath(session_, directory_, tableName_);
        if (ReadIndexFlag(path) <= 0) throw;
        data::ClearIndexFlag(session_, directory_, tableName_);
        repaired_ = true;
        table_ = session_.openTableInDirectory(dir, name, engine::OpenMode::Exclusive, engine::CodePage::Cp866);
    }
    table_->first();
    return *table_;
}

void KladrSource::close() {
    if (!table_) return;
    table_->close();
    table_.reset();
}

void KladrSource::finish() {
    close();
    if (!repaired_) return;
    repaired_ = false;
    data::SetIndexFlag(session_, directory_, tableName_);
}

}  // namespace kvzt::classifier
