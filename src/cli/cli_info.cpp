// kvzt-cli info TABLE: header, code page, fields, record count, tags.

#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "engine/code_page.h"
#include "engine/production_index.h"
#include "engine/table.h"

namespace kvzt::cli {

namespace {

std::string padRight(std::string text, std::size_t width) {
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    }
    return text;
}

std::uint32_t countDeleted(engine::Table& table) {
    engine::DbfFile& file = table.file();
    std::vector<char> record(std::size_t(file.recordLength()));
    std::uint32_t deleted = 0;
    for (std::uint32_t recno = 1; recno <= file.recordCount(); ++recno) {
        file.readRecord(recno, record.data());
        if (record[0] == '*') {
            ++deleted;
        }
    }
    return deleted;
}

// Which driver byte gave the code page: a known one, none (0), or one we do
// not know, when the opener's default is used.
std::string driverDescription(std::uint8_t driver) {
    if (engine::codePageOfDriver(driver)) return formatText("драйвер языка 0x%02X", unsigned(driver));
    if (driver == 0) return "драйвер языка не указан, по умолчанию";
    return formatText("неизвестный драйвер 0x%02X, по умолчанию", unsigned(driver));
}

}  // namespace

int runInfo(const Arguments& arguments) {
    const CliArgs args = parseArgs(arguments, {}, {});
    if (args.positional.size() != 1) {
        throw UsageError("info ожидает одну ТАБЛИЦУ");
    }
    TableTarget target = resolveTable(args.positional[0], args);
    std::unique_ptr<engine::Table> table = target.database->openTable(target.tableName, engine::OpenMode::ReadOnly);
    const engine::DbfHeader& header = table->file().header();

    std::string text;
    text += "Таблица: " + table->path() + "\n";
    text += formatText("Версия: 0x%02X\n", unsigned(header.version));
    text += "Последнее изменение: " +
            (header.lastUpdate.isValid() ? header.lastUpdate.toDisplay() : std::string("не указано")) + "\n";
    text += formatText("Кодовая страница: %d (%s)\n", int(table->codePage()),
                       driverDescription(header.languageDriver).c_str());
    text += formatText("Записей: %u, из них помечено на удаление: %u\n", unsigned(table->recordCount()),
                   unsigned(countDeleted(*table)));
    text += formatText("Длина записи: %d байт, длина заголовка: %d байт\n", table->file().recordLength(),
                   int(header.headerLength));
    text += std::string("Производственный индекс: ") + (header.productionIndex ? "есть" : "нет") + "\n";

    text += formatText("Поля (%d):\n", int(table->fields().size()));
    for (const engine::FieldDef& field : table->fields()) {
        text += "  " + padRight(field.name, 12) + formatText("%c %4d %2d\n", field.type, field.length, field.decimals);
    }

    const std::vector<std::string> tags = table->tagNames();
    text += formatText("Теги (%d):\n", int(tags.size()));
    engine::ProductionIndex* index = table->productionIndex();
    for (const std::string& name : tags) {
        engine::IndexTag* tag = index ? index->tag(name) : nullptr;
        if (!tag) {
            continue;
        }
        const engine::KeyExpression& expression = tag->expression();
        std::string options = formatText("ключ %c, %d байт", expression.keyType(), expression.keyLength());
        options += tag->descending() ? ", по убыванию" : ", по возрастанию";
        if (tag->unique()) {
            options += ", уникальный";
        }
        text += "  " + padRight(name, 12) + padRight(expression.text(), 40) + " (" + options + ")\n";
    }
    out(text);
    table->close();
    return kExitOk;
}

}  // namespace kvzt::cli
