#include "schema/start_check.h"

#include <QDir>
#include <QFile>

#include <optional>

#include "data/path_helpers.h"
#include "data/text_helpers.h"
#include "engine/database.h"
#include "engine/dbf_file.h"
#include "engine/errors.h"
#include "engine/index_check.h"
#include "engine/path_util.h"
#include "engine/session.h"
#include "engine/table.h"
#include "schema/index_catalogue.h"
#include "schema/reference_books.h"
#include "schema/table_catalogue.h"

namespace kvzt::schema {

using data::ExtractBetween;
using data::UpperAscii;

namespace {

const QChar kEdge = QLatin1Char('#');
const QString kCheckMessage = QStringLiteral("Проверка целостности данных");
constexpr int kTitlePauseMs = 1000;

QString tableLabel(const QString& alias, const QString& fileName) { return alias + QLatin1Char(':') + fileName; }

// Alias of a header line, without its square brackets.
QString aliasOf(const QString& headerLine) {
    return ExtractBetween(headerLine, QLatin1Char('['), QLatin1Char(']')).trimmed();
}

QString fileOf(const QString& headerLine) {
    return ExtractBetween(headerLine, QLatin1Char('('), QLatin1Char(')')).trimmed();
}

int countOf(const QString& headerLine) {
    bool ok = false;
    const int count = ExtractBetween(headerLine, QLatin1Char('$'), QLatin1Char(' ')).toInt(&ok);
    return ok && count > 0 ? count : 0;
}

// "FILE.DBF" → "FILE.<extension>"; a name without extension gets one.
QString indexFileName(const QString& fileName, const QString& extension) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? fileName : fileName.left(dot)) + QLatin1Char('.') + extension;
}

// The index file beside the table, whatever the letter case of its name.
std::optional<QString> findIndexFile(const QString& directory, const QString& fileName, const QString& extension) {
    const std::optional<std::string> found =
        engine::findFileNoCase(directory.toStdString(), indexFileName(fileName, extension).toStdString());
    if (!found) {
        return std::nullopt;
    }
    return QString::fromStdString(*found);
}

// Removes every index file of the table (all letter-case spellings).
void removeIndexFiles(const QString& directory, const QString& fileName, const QString& extension) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::optional<QString> found = findIndexFile(directory, fileName, extension);
        if (!found) {
            return;
        }
        if (!QFile::remove(*found)) {
            throw engine::EngineError(engine::code::Io, "Не удалось удалить файл " +
                                                            QDir::toNativeSeparators(*found).toStdString());
        }
    }
}

void say(StartCheckObserver* observer, const QString& text) {
    if (observer) {
        observer->showMessage(text);
        observer->processMessages();
    }
}

void recordFailure(StartCheckReport& report, const QString& label, const std::exception& error) {
    report.failures.append(label + QStringLiteral(": ") + QString::fromUtf8(error.what()));
}

// The table's name for the repair command: the file name without ".DBF".
QString tableNameOf(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

// A table whose header disagrees with its file is never written to here: it
// is reported with the command that mends it, and its index is left alone.
void checkTableHeader(engine::Database& database, const QString& file, const QString& label,
                      StartCheckReport& report) {
    try {
        engine::DbfFile::open(database.tablePath(file.toStdString()), engine::OpenMode::ReadOnly);
    } catch (const engine::EngineError& error) {
        if (error.code() != engine::code::Corrupt && error.code() != engine::code::UnknownTableType) {
            throw;
        }
        report.inconsistentTables.append(label);
        report.failures.append(label + QStringLiteral(": ") + QString::fromUtf8(error.what()) +
                               QStringLiteral(". Исправьте таблицу командой «kvzt-cli repair ") +
                               tableNameOf(file) + QStringLiteral("» при закрытой программе"));
    }
}

// What is wrong with the table's index file; empty when it looks sound.
// A tag the catalogue names but the file lacks is no damage: the data
// service rebuilds the whole catalogue set when asked.
QString indexProblem(engine::Database& database, const QString& file, const QString& indexFile) {
    const engine::IndexCheck check = engine::checkProductionIndex(
        database.tablePath(file.toStdString()), indexFile.toStdString(), database.defaultCodePage());
    return QString::fromStdString(check.problem);
}

// Pass 1: every table of the table catalogue must have its .dbf.
void checkTables(engine::Session& session, QStringList& tableList, const QString& extension,
                 StartCheckObserver* observer, StartCheckReport& report) {
    for (qsizetype i = 0; i < tableList.size(); ++i) {
        const QString line = tableList.at(i);
        if (!IsCatalogueHeader(line)) {
            continue;
        }
        say(observer, kCheckMessage + QStringLiteral(" (") + ExtractBetween(line, kEdge, QLatin1Char('[')) +
                          QLatin1Char(')'));
        const QString alias = aliasOf(line);
        const QString file = fileOf(line);
        const QString label = tableLabel(alias, file);
        try {
            // The directory and the file name are used whole, however long.
            engine::Database& database = session.database(alias.toStdString());
            if (database.tableExists(file.toStdString())) {
                checkTableHeader(database, file, label, report);
                continue;
            }
            const int fieldCount = countOf(line);
            if (observer) {
                observer->repairing(alias, file, QStringLiteral("создание таблицы"));
            }
            tableList[i] = line + QStringLiteral(" !");
            // An index file left from a lost table would describe records that
            // are gone and hide the new table's missing tags from pass 2.
            removeIndexFiles(QString::fromStdString(database.directory()), file, extension);
            CreateTableFromCatalogue(database, tableList, file, int(i) + 1, fieldCount);
            report.createdTables.append(label);
            i += fieldCount;
        } catch (const engine::EngineError& error) {
            recordFailure(report, label, error);
        }
    }
}

// Pass 2: every table of the index catalogue must have a non-empty index file.
void checkIndexes(engine::Session& session, const QStringList& tableList, const QStringList& indexList,
                  const QString& extension, StartCheckObserver* observer, StartCheckReport& report) {
    for (qsizetype i = 0; i < indexList.size(); ++i) {
        const QString& line = indexList.at(i);
        if (!line.contains(QLatin1Char('.'))) {
            continue;
        }
        const QString alias = aliasOf(line);
        const QString file = fileOf(line);
        const QString label = tableLabel(alias, file);
        const int tagCount = countOf(line);
        try {
            engine::Database& database = session.database(alias.toStdString());
            const QString directory = QString::fromStdString(database.directory());
            std::optional<QString> indexFile = findIndexFile(directory, file, extension);
            const bool tableExists = database.tableExists(file.toStdString());
            if (report.inconsistentTables.contains(label)) {
                i += tagCount;
                continue;
            }
            if (indexFile && tableExists) {
                const QString problem = indexProblem(database, file, *indexFile);
                if (problem.isEmpty()) {
                    i += tagCount;
                    continue;
                }
                // A damaged index is built anew from the catalogue, as a missing one.
                report.rebuiltIndexes.append(label + QStringLiteral(": ") + problem);
                removeIndexFiles(directory, file, extension);
                indexFile.reset();
            } else if (indexFile && data::FileSizeOf(*indexFile) == 0) {
                removeIndexFiles(directory, file, extension);
                indexFile.reset();
            }
            if (indexFile) {
                i += tagCount;
                continue;
            }
            // Some index-catalogue tables are not in the table catalogue, so
            // nothing creates them: without their .dbf there is nothing to index.
            if (!tableExists) {
                report.skippedTables.append(label);
                i += tagCount;
                continue;
            }
            if (observer) {
                observer->repairing(alias, file, QStringLiteral("создание индексов"));
            }
            if (!IsCreatedTable(tableList, alias, file)) {
                // The .dbf still claims the index file that is gone; without
                // the flag the table opens on its own.
                data::WriteIndexFlag(QString::fromStdString(database.tablePath(file.toStdString())), false);
            }
            const auto process = [observer] {
                if (observer) {
                    observer->processMessages();
                }
            };
            CreateIndexesFromCatalogue(session, indexList, alias, file, int(i) + 1, tagCount, process);
            report.indexedTables.append(label);
        } catch (const engine::EngineError& error) {
            recordFailure(report, label, error);
        }
        i += tagCount;
    }
}

}  // namespace

bool IsCreatedTable(const QStringList& tableList, const QString& alias, const QString& fileName) {
    QString wantedAlias = UpperAscii(alias.trimmed());
    if (wantedAlias.startsWith(QLatin1Char('['))) {
        wantedAlias = ExtractBetween(wantedAlias, QLatin1Char('['), QLatin1Char(']')).trimmed();
    }
    const QString wantedFile = UpperAscii(fileName.trimmed());
    for (const QString& line : tableList) {
        // The file names are compared whole: "KD32.DBF" must not match "KD32_.DBF".
        if (IsCatalogueHeader(line) && line.contains(QLatin1Char('!')) && aliasOf(line) == wantedAlias &&
            fileOf(line) == wantedFile) {
            return true;
        }
    }
    return false;
}

void CreateIndexesFromCatalogue(engine::Session& session, const QStringList& indexList, const QString& alias,
                                const QString& fileName, int firstTagLine, int tagCount,
                                const std::function<void()>& processMessages) {
    if (firstTagLine < 0 || tagCount < 0 || firstTagLine + tagCount > indexList.size()) {
        throw engine::EngineError(engine::code::InvalidParam,
                                  "Таблица " + fileName.toStdString() + ": нет описания индексов в каталоге");
    }
    std::unique_ptr<engine::Table> table =
        session.openTable(alias.toStdString(), fileName.toStdString(), engine::OpenMode::Exclusive);
    const std::vector<std::string> present = table->tagNames();
    for (int i = firstTagLine; i < firstTagLine + tagCount; ++i) {
        const QString& line = indexList.at(i);
        const std::string tag = ExtractBetween(line, kEdge, QLatin1Char(' ')).toStdString();
        const std::string expression = ExtractBetween(line, QLatin1Char('<'), QLatin1Char('>')).toStdString();
        if (processMessages) {
            processMessages();
        }
        for (const std::string& name : present) {
            if (UpperAscii(QString::fromStdString(name)) == QString::fromStdString(tag)) {
                table->deleteIndex(name);
                break;
            }
        }
        table->addIndex(tag, expression);
    }
    table->close();
}

bool EnsureSettingsRecord(engine::Session& session, const QString& alias) {
    std::unique_ptr<engine::Table> table = session.openTable(alias.toStdString(), "UPI32");
    if (!table->isEmpty()) {
        table->close();
        return false;
    }
    table->append();
    table->setInteger("KOLSTR", 60);
    table->setInteger("OTSTUP", 15);
    table->setInteger("BEGINNMB", 1);
    table->setInteger("NMBPOS", 45);
    table->setString("GODSVED", "1999");
    table->setString("COUNTRYREZ", "643");
    table->setInteger("NOMOUT", 0);
    table->setBoolean("REPETE", true);
    table->setBoolean("ERROR", true);
    table->setInteger("EXCEL", 0);
    table->setInteger("EXCFILE", 0);
    table->setString("CALC", "000000000000");
    table->setString("EDIT4INSTR", "0");
    table->post();
    table->close();
    return true;
}

void IntegrityCheck(engine::Session& session, QStringList& tableList, const QStringList& indexList,
                    const QString& indexExtension, StartCheckObserver* observer, StartCheckReport& report) {
    checkTables(session, tableList, indexExtension, observer, report);
    checkIndexes(session, tableList, indexList, indexExtension, observer, report);
}

StartCheckReport StartCheck(engine::Session& session, const StartCheckOptions& options,
                            StartCheckObserver* observer) {
    StartCheckReport report;
    const QString extension = options.indexExtension.isEmpty() ? QStringLiteral("mdx") : options.indexExtension;
    // The index list may already be held by someone else; then it stays theirs.
    const bool ownIndexList = !IndexListBuilt();
    const QStringList& indexList = ownIndexList ? BuildIndexList() : IndexList();
    if (observer) {
        observer->pause(kTitlePauseMs);
    }
    say(observer, kCheckMessage);
    QStringList tableList = BuildTableCatalogue();

    IntegrityCheck(session, tableList, indexList, extension, observer, report);

    if (options.fillReferenceBooks) {
        const QString directory =
            options.referenceBookDirectory.isEmpty() ? ReferenceBookDirectory() : options.referenceBookDirectory;
        const ReferenceBookFill fill = FillReferenceBooks(session, directory, observer);
        report.filledBooks = fill.filled;
        report.failures += fill.failures;
    }
    try {
        report.settingsRecordAdded = EnsureSettingsRecord(session, QStringLiteral("VX_B"));
    } catch (const engine::EngineError& error) {
        recordFailure(report, QStringLiteral("VX_B:UPI32.DBF"), error);
    }

    say(observer, QString());
    if (observer) {
        observer->pause(kTitlePauseMs);
    }
    if (ownIndexList) {
        FreeIndexList();
    }
    return report;
}

}  // namespace kvzt::schema
