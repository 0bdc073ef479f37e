// kvzt-cli dump TABLE [--tag TAG] [--deleted]: the records as CSV (UTF-8,
// RFC 4180 quoting, "\n" line ends) with a header row of field names.
// Dates dd.mm.yyyy, logicals T/F (empty when unset), numbers as stored
// (trimmed), character fields without trailing blanks.
// Without --deleted the live records are written, in the tag's order with
// --tag. With --deleted only the records marked deleted are written, read
// from the file itself (the cursor hides them): in natural order, or in the
// tag's order with --tag (their keys stay in the tags until a pack).

#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/cli_options.h"
#include "engine/code_page.h"
#include "engine/date.h"
#include "engine/production_index.h"
#include "engine/table.h"

namespace kvzt::cli {

namespace {

std::string_view trimBlanks(std::string_view text, bool left) {
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    while (left && !text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    return text;
}

std::string formatField(const engine::FieldDef& field, std::string_view raw, engine::CodePage cp) {
    switch (field.type) {
        case 'C':
            return engine::toUtf8(trimBlanks(raw, false), cp);
        case 'N':
        case 'F':
            return std::string(trimBlanks(raw, true));
        case 'D': {
            const engine::Date date = engine::Date::fromDbf(raw);
            return date.isNull() ? std::string() : date.toDisplay();
        }
        case 'L': {
            const char c = raw.empty() ? ' ' : raw.front();
            if (c == 'T' || c == 't' || c == 'Y' || c == 'y') {
                return "T";
            }
            if (c == 'F' || c == 'f' || c == 'N' || c == 'n') {
                return "F";
            }
            return {};
        }
        default:
            return engine::toUtf8(trimBlanks(raw, true), cp);
    }
}

std::string csvCell(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') {
            quoted += '"';
        }
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void appendRow(std::string& text, const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            text += ',';
        }
        text += csvCell(cells[i]);
    }
    text += '\n';
}

// One record's cells from its bytes (deletion flag first).
std::vector<std::string> recordCells(const engine::Table& table, const char* record) {
    std::vector<std::string> cells;
    for (const engine::FieldDef& field : table.fields()) {
        cells.push_back(formatField(field, std::string_view(record + field.offset, std::size_t(field.length)),
                                    table.codePage()));
    }
    return cells;
}

class RowWriter {
public:
    void add(const std::vector<std::string>& cells) {
        appendRow(buffer_, cells);
        if (buffer_.size() > (std::size_t{1} << 16)) {
            flush();
        }
    }
    void flush() {
        out(buffer_);
        buffer_.clear();
    }

private:
    std::string buffer_;
};

void dumpLive(engine::Table& table, RowWriter& writer) {
    for (table.first(); !table.eof(); table.next()) {
        std::vector<std::string> cells;
        for (const engine::FieldDef& field : table.fields()) {
            cells.push_back(formatField(field, table.rawField(field.name), table.codePage()));
        }
        writer.add(cells);
    }
}

void dumpDeleted(engine::Table& table, const std::string& tagName, RowWriter& writer) {
    engine::DbfFile& file = table.file();
    std::vector<char> record(std::size_t(file.recordLength()));
    const auto emitIfDeleted = [&](std::uint32_t recno) {
        if (recno < 1 || recno > file.recordCount()) {
            return;
        }
        file.readRecord(recno, record.data());
        if (record[0] == '*') {
            writer.add(recordCells(table, record.data()));
        }
    };
    if (tagName.empty()) {
        for (std::uint32_t recno = 1; recno <= file.recordCount(); ++recno) {
            emitIfDeleted(recno);
        }
        return;
    }
    engine::ProductionIndex* index = table.productionIndex();
    engine::IndexTag* tag = index ? index->tag(tagName) : nullptr;
    if (!tag) {
        throw UsageError("у таблицы нет тега " + tagName);
    }
    tag->forEach([&](const engine::IndexEntry& entry) { emitIfDeleted(entry.recno); });
}

}  // namespace

int runDump(const Arguments& arguments) {
    const CliArgs args = parseArgs(arguments, {"--tag"}, {"--deleted"});
    if (args.positional.size() != 1) {
        throw UsageError("dump ожидает одну ТАБЛИЦУ");
    }
    TableTarget target = resolveTable(args.positional[0], args);
    std::unique_ptr<engine::Table> table = target.database->openTable(target.tableName, engine::OpenMode::ReadOnly);
    const std::string tag = args.value("--tag").value_or("");

    if (!tag.empty() && !args.has("--deleted")) {
        table->setIndex(tag);
    }
    RowWriter writer;
    std::vector<std::string> names;
    for (const engine::FieldDef& field : table->fields()) {
        names.push_back(field.name);
    }
    writer.add(names);
    if (args.has("--deleted")) {
        dumpDeleted(*table, tag, writer);
    } else {
        dumpLive(*table, writer);
    }
    writer.flush();
    table->close();
    return kExitOk;
}

}  // namespace kvzt::cli
