// The files an import needs before it starts, and where the DOS 2.*
// reference books live.

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "data/path_helpers.h"
#include "data/program_places.h"
#include "import/import_run.h"

namespace kvzt::import {

namespace {

const QString kNotPossible = QStringLiteral("Импорт не возможен");

QStringList dosSourceFiles() {
    return {QStringLiteral("spisok.dbf"), QStringLiteral("doxod.dbf"), QStringLiteral("vicet.dbf"),
            QStringLiteral("object.dbf")};
}

QStringList dosReferenceFiles() {
    return {QStringLiteral("k0str.dbf"), QStringLiteral("k1reg.dbf"), QStringLiteral("kldok.dbf")};
}

QStringList winSourceFiles() {
    return {QStringLiteral("spisok32.dbf"), QStringLiteral("svbase32.dbf"), QStringLiteral("doxod22.dbf"),
            QStringLiteral("vicet22.dbf"),  QStringLiteral("nh22.dbf"),     QStringLiteral("spisok32.mdx"),
            QStringLiteral("svbase32.mdx"), QStringLiteral("doxod22.mdx"),  QStringLiteral("vicet22.mdx"),
            QStringLiteral("nh22.mdx")};
}

// The host's files come from a system whose file names ignore letter case:
// a file counts as present whatever the case of its name on this disk.
bool fileExists(const QString& directory, const QString& name) {
    if (QFileInfo(data::JoinPath(directory, name)).isFile()) return true;
    const QDir dir(directory);
    if (!dir.exists()) return false;
    for (const QString& entry : dir.entryList(QDir::Files)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

QString firstMissing(const QString& directory, const QStringList& names) {
    for (const QString& name : names) {
        if (!fileExists(directory, name)) return name;
    }
    return {};
}

QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

}  // namespace

QString DefaultImpDir() {
    return data::JoinPath(data::Places().dataDirectory, QStringLiteral("IMP"));
}

std::optional<ImportWarning> CheckImportFiles(const QString& srcDir, SourceKind kind, const QString& impDir) {
    switch (kind) {
    case SourceKind::Dos1:
        return ImportWarning{QStringLiteral("Импорт списка DOS-версии 1.* не поддерживается"), kNotPossible};
    case SourceKind::Dos2: {
        const QString missing = firstMissing(srcDir, dosSourceFiles());
        if (!missing.isEmpty()) {
            return ImportWarning{QStringLiteral("На указанном пути нет файла ") + quoted(missing), kNotPossible};
        }
        const QString books = impDir.isEmpty() ? DefaultImpDir() : impDir;
        const QString missingBook = firstMissing(books, dosReferenceFiles());
        if (!missingBook.isEmpty()) {
            return ImportWarning{
                QStringLiteral("На пути ") + books + QStringLiteral(" нет файла ") + quoted(missingBook),
                kNotPossible};
        }
        return std::nullopt;
    }
    case SourceKind::Win32: {
        const QString missing = firstMissing(srcDir, winSourceFiles());
        if (!missing.isEmpty()) {
            return ImportWarning{QStringLiteral("На указанном пути нет файла ") + quoted(missing), kNotPossible};
        }
        return std::nullopt;
    }
    }
    return ImportWarning{QStringLiteral("Неизвестный вид исходных данных"), kNotPossible};
}

}  // namespace kvzt::import
