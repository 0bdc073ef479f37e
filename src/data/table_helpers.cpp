#include "data/table_helpers.h"

#include "data/text_helpers.h"
#include "engine/code_page.h"
#include "engine/errors.h"
#include "engine/table.h"

namespace kvzt::data {

namespace {

std::string utf8(const QString& text) { return text.toStdString(); }

QString upper(const QString& text) { return QString::fromStdString(engine::upperUtf8(utf8(text))); }

// Puts values given by field name into the order of the active tag's key
// fields; the names must be the leading `count` key fields.
template <typename Item, typename Pick>
std::vector<engine::Value> inKeyOrder(const engine::Table& table, const std::vector<Item>& items, Pick pick) {
    const std::vector<std::string> keyFields = table.keyFields();
    std::vector<engine::Value> values(items.size());
    std::vector<bool> filled(items.size(), false);
    for (const Item& item : items) {
        std::size_t at = 0;
        while (at < items.size() && at < keyFields.size() &&
               QString::fromStdString(keyFields[at]).compare(item.field, Qt::CaseInsensitive) != 0) {
            ++at;
        }
        if (at >= items.size() || at >= keyFields.size() || filled[at]) {
            throw engine::EngineError(engine::code::InvalidParam,
                                      "Поле " + utf8(item.field) + " не входит в начало ключа индекса " +
                                          table.indexName() + " таблицы " + table.tableName());
        }
        values[at] = utf8(pick(item));
        filled[at] = true;
    }
    return values;
}

// Selects the remembered tag again however the lookup ends.
class TagRestorer {
public:
    explicit TagRestorer(engine::Table& table) : table_(table), tag_(table.indexName()) {}
    ~TagRestorer() {
        try {
            table_.setIndex(tag_);
        } catch (...) {  // the tag was there when we started; nothing sensible to report from here
        }
    }
    TagRestorer(const TagRestorer&) = delete;
    TagRestorer& operator=(const TagRestorer&) = delete;

private:
    engine::Table& table_;
    std::string tag_;
};

}  // namespace

QString LookupField(engine::Table& table, const QString& tag, const std::vector<FieldValue>& key, int resultField) {
    TagRestorer restore(table);
    table.setIndex(utf8(tag));
    const std::vector<engine::Value> values = inKeyOrder(table, key, [](const FieldValue& v) { return v.value; });
    if (!table.findKey(values, int(values.size()))) return {};
    const auto& fields = table.fields();
    if (resultField < 0 || std::size_t(resultField) >= fields.size()) return {};
    return QString::fromStdString(table.asString(fields[std::size_t(resultField)].name));
}

void SetRangeByFields(engine::Table& table, const std::vector<FieldRange>& ranges) {
    const auto from = inKeyOrder(table, ranges, [](const FieldRange& r) { return r.from; });
    const auto to = inKeyOrder(table, ranges, [](const FieldRange& r) { return r.to; });
    table.setRange(from, to);
}

int ColumnTextLeft(const QRect& cell, int textWidth, TextAlignment alignment) {
    const int left = cell.left();
    const int right = cell.left() + cell.width();
    switch (alignment) {
    case TextAlignment::Left:
        return left + 2;
    case TextAlignment::Right:
        return right - textWidth - 3;
    case TextAlignment::Center:
        break;
    }
    return left + (right - left - textWidth) / 2;
}

bool FindInColumn(engine::Table& table, const QString& field, const QString& text, bool forward,
                  const SearchHooks& hooks) {
    if (table.isEmpty()) return false;
    if (hooks.begin) hooks.begin();
    struct EndHook {
        const SearchHooks& hooks;
        ~EndHook() {
            if (hooks.end) hooks.end();
        }
    } endHook{hooks};

    const engine::Bookmark start = table.bookmark();
    const std::string fieldName = utf8(field);
    const QString sought = upper(text);
    auto step = [&] { forward ? table.next() : table.prior(); };
    auto atEdge = [&] { return forward ? table.eof() : table.bof(); };

    step();
    while (!atEdge()) {
        QString value = QString::fromStdString(table.asString(fieldName));
        qsizetype lead = 0;
        while (lead < value.size() && value.at(lead).unicode() <= 32) ++lead;
        value = value.mid(lead, sought.size());
        if (upper(value) == sought) return true;
        step();
    }
    table.gotoBookmark(start);
    return false;
}

}  // namespace kvzt::data
