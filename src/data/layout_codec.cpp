#include "data/layout_codec.h"

#include <QSet>

#include "data/settings_file.h"
#include "data/text_helpers.h"

namespace kvzt::data {

namespace {

const QString kSeparator = QStringLiteral(",  ");
const QChar kMarkerChar = QLatin1Char('~');
// A hand-edited file could send the reader round in circles.
constexpr int kMaxContinuations = 100;

QString marker(int n) { return kMarkerChar + QString::number(n) + kMarkerChar; }

bool isMissing(const QString& value) { return value == SettingsFile::kMissing; }

// The items of a stored value in order, trimmed; the empty item after the
// final separator is dropped.
QStringList items(const QString& value) {
    QStringList parts = value.split(QLatin1Char(','));
    for (QString& p : parts) p = TrimBlanks(p);
    while (!parts.isEmpty() && parts.back().isEmpty()) parts.removeLast();
    return parts;
}

}  // namespace

QString EncodeFormLayout(const FormLayout& layout) {
    const QStringList numbers{QString::number(layout.state), QString::number(layout.top),
                              QString::number(layout.left), QString::number(layout.height),
                              QString::number(layout.width)};
    return numbers.join(kSeparator).left(kFormValueLength);
}

std::optional<FormLayout> DecodeFormLayout(const QString& value) {
    if (isMissing(value) || IsBlank(value)) return std::nullopt;
    int numbers[5] = {};
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        numbers[i] = GetField(value, i + 1).toInt(&ok);
        if (!ok) return std::nullopt;
    }
    return FormLayout{numbers[0], numbers[1], numbers[2], numbers[3], numbers[4]};
}

QString GridKey(const QString& gridName, int tag, int n) {
    return n == 0 ? KeyName(gridName, tag) : KeyName(gridName + marker(n), tag);
}

QList<GridEntry> EncodeGridLayout(const QString& gridName, int tag, const QList<GridColumn>& columns) {
    QList<GridEntry> entries;
    QString text;
    int n = 0;
    for (const GridColumn& column : columns) {
        const QString head = column.field + kSeparator + QString::number(column.width) + kSeparator;
        // Room for the marker that may have to follow this column; a title too
        // long for the buffer is shortened rather than cutting the value.
        const qsizetype room = kGridValueLength - (marker(n + 2) + kSeparator).size();
        const qsizetype titleRoom = qMax<qsizetype>(0, room - head.size() - kSeparator.size());
        const QString item = head + column.title.left(titleRoom) + kSeparator;
        // A text of more than 170 characters goes on under the next key; so
        // does one that this column would carry past the 255-character buffer.
        if (!text.isEmpty() && (text.size() > kGridChunkLength || text.size() + item.size() > room)) {
            entries.append({GridKey(gridName, tag, n), text + marker(n + 1) + kSeparator});
            ++n;
            text.clear();
        }
        text += item;
    }
    entries.append({GridKey(gridName, tag, n), text});
    return entries;
}

std::optional<QList<GridColumn>> DecodeGridLayout(const QString& gridName, int tag,
                                                  const std::function<QString(const QString& key)>& read) {
    const QString first = read(GridKey(gridName, tag, 0));
    if (isMissing(first)) return std::nullopt;

    QStringList pending = items(first);
    QSet<QString> visited{GridKey(gridName, tag, 0)};
    // The next item, following continuation markers; null at the end.
    auto next = [&]() -> std::optional<QString> {
        while (!pending.isEmpty()) {
            const QString item = pending.takeFirst();
            if (!item.contains(kMarkerChar)) return item;
            const QString key = KeyName(gridName + item, tag);
            if (visited.contains(key) || visited.size() > kMaxContinuations) return std::nullopt;
            visited.insert(key);
            const QString value = read(key);
            if (isMissing(value)) return std::nullopt;
            pending = items(value);
        }
        return std::nullopt;
    };

    QList<GridColumn> columns;
    for (;;) {
        const std::optional<QString> field = next();
        if (!field || field->isEmpty()) break;
        const std::optional<QString> width = next();
        if (!width) break;
        bool ok = false;
        const int w = width->toInt(&ok);
        if (!ok) break;
        const std::optional<QString> title = next();
        columns.append(GridColumn{*field, w, title.value_or(QString())});
        if (!title) break;
    }
    return columns;
}

}  // namespace kvzt::data
