#include "schema/reference_books.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

#include "data/program_places.h"
#include "data/path_helpers.h"
#include "data/text_helpers.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/path_util.h"
#include "engine/session.h"
#include "engine/table.h"
#include "schema/start_check.h"
#include "schema/table_catalogue.h"

namespace kvzt::schema {

namespace {

[[noreturn]] void refuse(const QString& source, int line, const QString& why) {
    throw engine::EngineError(engine::code::InvalidParam,
                              QStringLiteral("Файл справочника %1, строка %2: %3")
                                  .arg(QDir::toNativeSeparators(source))
                                  .arg(line)
                                  .arg(why)
                                  .toStdString());
}

// One value ready for the table, checked against its field.
struct Cell {
    enum class Kind { Text, Integer, Float, Boolean, Blank } kind = Kind::Blank;
    std::string text;
    qint64 integer = 0;
    double number = 0;
    bool flag = false;
};

Cell convert(const engine::FieldDef& field, const QString& value, const QString& source, int line) {
    Cell cell;
    const QString name = QString::fromStdString(field.name);
    if (value.isEmpty()) {
        return cell;
    }
    switch (field.type) {
        case 'C':
            if (value.size() > field.length) {
                refuse(source, line,
                       QStringLiteral("значение \"%1\" длиннее поля %2 (%3)").arg(value, name).arg(field.length));
            }
            cell.kind = Cell::Kind::Text;
            cell.text = value.toStdString();
            return cell;
        case 'L': {
            const QString v = value.trimmed().toUpper();
            if (v != QLatin1String("T") && v != QLatin1String("F")) {
                refuse(source, line, QStringLiteral("в логическом поле %1 ожидается T или F: \"%2\"").arg(name, value));
            }
            cell.kind = Cell::Kind::Boolean;
            cell.flag = v == QLatin1String("T");
            return cell;
        }
        case 'N':
        case 'F': {
            bool ok = false;
            const QString v = value.trimmed();
            if (field.decimals == 0) {
                cell.integer = v.toLongLong(&ok);
                cell.kind = Cell::Kind::Integer;
            } else {
                cell.number = v.toDouble(&ok);
                cell.kind = Cell::Kind::Float;
            }
            // The number must fit the column as the host stores it.
            if (ok) {
                const QString shown = field.decimals == 0 ? QString::number(cell.integer)
                                                          : QString::number(cell.number, 'f', field.decimals);
                ok = shown.size() <= field.length;
            }
            if (!ok) {
                refuse(source, line, QStringLiteral("недопустимое число в поле %1: \"%2\"").arg(name, value));
            }
            return cell;
        }
        default:
            refuse(source, line, QStringLiteral("поле %1 такого типа из файла не заполняется").arg(name));
    }
}

QString labelOf(const QString& alias, const QString& table) { return alias + QLatin1Char(':') + table; }

QString titleOf(const QStringList& catalogue, const QString& table) {
    const std::optional<CatalogueTable> found = FindCatalogueTable(catalogue, table);
    return found ? found->title : table;
}

}  // namespace

const std::vector<ReferenceBook>& ReferenceBooks() {
    static const std::vector<ReferenceBook> books = {
        {"VX_S", "KLSTR22.DBF", "klstr22.csv"},   {"VX_S", "K7SOCR.DBF", "k7socr.csv"},
        {"VX_S", "K1REG.DBF", "k1reg.csv"},       {"VX_S", "KLDOC30.DBF", "kldoc30.csv"},
        {"VX_S", "KLDOX31.DBF", "kldox31.csv"},   {"VX_S", "KLSKID30.DBF", "klskid30.csv"},
        {"VX_S", "KLVIC30.DBF", "klvic30.csv"},
    };
    return books;
}

QString ReferenceBookDirectory() {
    return data::JoinPath(data::Places().dataDirectory, QStringLiteral("refbooks"));
}

std::vector<QStringList> ParseCsv(const QString& text, const QString& sourceName) {
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;      // inside a quoted field
    bool fieldStarted = false;
    int line = 1;
    int rowLine = 1;
    const auto endRow = [&] {
        if (fieldStarted || !row.isEmpty() || !field.isEmpty()) {
            row.append(field);
            rows.push_back(row);
        }
        row.clear();
        field.clear();
        fieldStarted = false;
    };
    qsizetype i = 0;
    // A byte-order mark some editors write is no part of the first name.
    if (text.startsWith(QChar(0xFEFF))) {
        i = 1;
    }
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n')) {
                    ++line;
                }
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            if (!field.isEmpty()) {
                refuse(sourceName, line, QStringLiteral("кавычка внутри поля без кавычек"));
            }
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            row.append(field);
            field.clear();
            fieldStarted = true;
        } else if (c == QLatin1Char('\r')) {
            // CR LF line ends are read as LF.
        } else if (c == QLatin1Char('\n')) {
            endRow();
            ++line;
            rowLine = line;
        } else {
            field += c;
        }
    }
    if (quoted) {
        refuse(sourceName, rowLine, QStringLiteral("не закрыта кавычка"));
    }
    endRow();
    // Every row must have as many fields as the row of names.
    if (!rows.empty()) {
        const qsizetype width = rows.front().size();
        for (std::size_t r = 1; r < rows.size(); ++r) {
            if (rows[r].size() != width) {
                refuse(sourceName, int(r) + 1,
                       QStringLiteral("полей %1, а в строке имён %2").arg(rows[r].size()).arg(width));
            }
        }
    }
    return rows;
}

std::vector<QStringList> ReadCsvFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw engine::EngineError(engine::code::Io, "Не удалось открыть файл " +
                                                        QDir::toNativeSeparators(path).toStdString() + ": " +
                                                        file.errorString().toStdString());
    }
    return ParseCsv(QString::fromUtf8(file.readAll()), path);
}

int FillReferenceBook(engine::Session& session, const QString& alias, const QString& table,
                      const QString& dataFilePath) {
    const std::vector<QStringList> rows = ReadCsvFile(dataFilePath);
    if (rows.empty()) {
        refuse(dataFilePath, 1, QStringLiteral("нет строки имён полей"));
    }
    engine::Database& database = session.database(alias.toStdString());
    std::unique_ptr<engine::Table> target = database.openTable(table.toStdString(), engine::OpenMode::Exclusive);

    // Check the whole file against the table before writing anything.
    std::vector<std::string> names;
    std::vector<const engine::FieldDef*> fields;
    for (const QString& name : rows.front()) {
        const QString trimmed = name.trimmed();
        if (target->fieldIndex(trimmed.toStdString()) < 0) {
            refuse(dataFilePath, 1, QStringLiteral("у таблицы %1 нет поля %2").arg(table, trimmed));
        }
        for (const std::string& seen : names) {
            if (QString::fromStdString(seen).compare(trimmed, Qt::CaseInsensitive) == 0) {
                refuse(dataFilePath, 1, QStringLiteral("поле %1 названо дважды").arg(trimmed));
            }
        }
        names.push_back(trimmed.toStdString());
        fields.push_back(&target->field(names.back()));
    }
    std::vector<std::vector<Cell>> records;
    records.reserve(rows.size() - 1);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        std::vector<Cell> cells;
        for (qsizetype f = 0; f < rows[r].size(); ++f) {
            cells.push_back(convert(*fields[std::size_t(f)], rows[r].at(f), dataFilePath, int(r) + 1));
        }
        records.push_back(std::move(cells));
    }
    if (target->recordCount() != 0) {
        throw engine::EngineError(engine::code::InvalidParam,
                                  "Справочник " + table.toStdString() + " уже заполнен: данные из файла не записаны");
    }

    database.startTransaction();
    try {
        for (const std::vector<Cell>& cells : records) {
            target->append();
            for (std::size_t f = 0; f < cells.size(); ++f) {
                const Cell& cell = cells[f];
                switch (cell.kind) {
                    case Cell::Kind::Text:
                        target->setString(names[f], cell.text);
                        break;
                    case Cell::Kind::Integer:
                        target->setInteger(names[f], cell.integer);
                        break;
                    case Cell::Kind::Float:
                        target->setFloat(names[f], cell.number);
                        break;
                    case Cell::Kind::Boolean:
                        target->setBoolean(names[f], cell.flag);
                        break;
                    case Cell::Kind::Blank:
                        break;
                }
            }
            target->post();
        }
        database.commit();
    } catch (...) {
        database.rollback();
        throw;
    }
    target->close();
    return int(records.size());
}

ReferenceBookFill FillReferenceBooks(engine::Session& session, const QString& directory,
                                     StartCheckObserver* observer) {
    ReferenceBookFill result;
    if (directory.isEmpty() || !QFileInfo(directory).isDir()) {
        return result;
    }
    const QStringList catalogue = BuildTableCatalogue();
    for (const ReferenceBook& book : ReferenceBooks()) {
        const QString alias = QString::fromLatin1(book.alias);
        const QString table = QString::fromLatin1(book.table);
        const QString label = labelOf(alias, table);
        try {
            engine::Database& database = session.database(book.alias);
            const std::optional<std::string> dataFile =
                engine::findFileNoCase(directory.toStdString(), book.dataFile);
            if (!dataFile || !database.tableExists(book.table)) {
                continue;
            }
            {
                std::unique_ptr<engine::Table> probe = database.openTable(book.table, engine::OpenMode::ReadOnly);
                const bool empty = probe->recordCount() == 0;
                probe->close();
                if (!empty) {
                    continue;
                }
            }
            if (observer) {
                observer->showMessage(QStringLiteral("Заполнение справочника (") + titleOf(catalogue, table) +
                                      QLatin1Char(')'));
                observer->processMessages();
                observer->repairing(alias, table, QStringLiteral("заполнение справочника"));
            }
            FillReferenceBook(session, alias, table, QString::fromStdString(*dataFile));
            result.filled.append(label);
        } catch (const engine::EngineError& error) {
            result.failures.append(label + QStringLiteral(": ") + QString::fromUtf8(error.what()));
        }
    }
    return result;
}

}  // namespace kvzt::schema
