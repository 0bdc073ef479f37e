#include "data/text_helpers.h"

#include <QHash>
#include <QRegularExpression>

#include "engine/code_page.h"

namespace kvzt::data {

namespace {
constexpr qsizetype kMaxExtract = 250;
const QChar kTextEdge = QLatin1Char('#');
}  // namespace

QString ExtractBetween(const QString& text, QChar start, QChar end) {
    qsizetype from = 0;
    if (start != kTextEdge) {
        const qsizetype at = text.indexOf(start);
        if (at < 0) {
            return {};
        }
        from = at + 1;
    }
    qsizetype to = text.size();
    if (end != kTextEdge) {
        to = text.indexOf(end, from);
        if (to < 0) {
            return {};
        }
    }
    return text.mid(from, qMin(to - from, kMaxExtract));
}

QString UpperAscii(const QString& text) {
    QString result = text;
    for (QChar& c : result) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) {
            c = QChar(c.unicode() - 'a' + 'A');
        }
    }
    return result;
}

}  // namespace kvzt::data


namespace kvzt::data {

namespace {

constexpr qsizetype kMaxItem = 250;

bool isBlankChar(QChar c) { return c.unicode() <= 32; }

// Unicode → 1251 byte, built once from the engine's exact code-page map.
const QHash<char16_t, int>& cp1251Codes() {
    static const QHash<char16_t, int> codes = [] {
        QHash<char16_t, int> map;
        for (int b = 0; b < 256; ++b) {
            const std::string byte(1, char(b));
            const QString text = QString::fromStdString(engine::toUtf8(byte, engine::CodePage::Cp1251));
            if (text.size() == 1 && !map.contains(text.at(0).unicode())) map.insert(text.at(0).unicode(), b);
        }
        return map;
    }();
    return codes;
}

}  // namespace

QString TrimBlanks(const QString& text) {
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isBlankChar(text.at(from))) ++from;
    while (to > from && isBlankChar(text.at(to - 1))) --to;
    return text.mid(from, to - from);
}

QString GetField(const QString& text, int n) {
    if (n < 1) return {};
    const QStringList items = text.split(QLatin1Char(','));
    if (n > items.size()) return {};
    return TrimBlanks(items.at(n - 1)).left(kMaxItem);
}

std::optional<double> GetFieldNumber(const QString& text, int n) {
    bool ok = false;
    const double value = GetField(text, n).toDouble(&ok);
    if (!ok) return std::nullopt;
    return value;
}

QString JoinFields(const QStringList& texts, const QString& separator) { return texts.join(separator); }

int LastPos(const QString& needle, const QString& text) {
    if (needle.isEmpty()) return 0;
    return int(text.lastIndexOf(needle) + 1);
}

int TruncateAtComma(const QString& text, int width) {
    QString copy = text;
    int breakAt = -1;
    while (copy.size() > width + 1) {
        const int comma = LastPos(QStringLiteral(","), copy);
        if (comma == 0) break;
        copy.truncate(comma - 1);
        breakAt = comma + 1;
    }
    if (breakAt > 0) return breakAt;
    if (text.size() <= width + 1) return int(text.size());
    return qMax(1, width);
}

QString PadLeft(const QString& text, int width, QChar fill) {
    const QString trimmed = TrimBlanks(text);
    if (trimmed.size() >= width) return trimmed;
    return QString(width - trimmed.size(), fill) + trimmed;
}

QString StringOfChar(QChar c, int count) { return QString(qBound(0, count, 255), c); }

bool IsBlank(const QString& text) { return TrimBlanks(text).isEmpty(); }

QString KeyName(const QString& prefix, qint64 number) { return prefix + QString::number(number); }

QString IncNumberText(const QString& text, qint64 n) {
    bool ok = false;
    qint64 value = TrimBlanks(text).toLongLong(&ok);
    if (!ok) value = 0;
    return QString::number(value + n);
}

int LastFilledItem(const QString& text) {
    for (int n = 10; n >= 1; --n) {
        if (!IsBlank(GetField(text, n))) return n;
    }
    return 0;
}

int Cp1251Code(QChar c) { return cp1251Codes().value(c.unicode(), -1); }

bool CharsInRange(const QString& text, int length, QChar lowest, QChar highest) {
    if (length != 0 && text.size() != length) return false;
    const int low = Cp1251Code(lowest);
    const int high = Cp1251Code(highest);
    for (QChar c : text) {
        const int code = Cp1251Code(c);
        if (code < 0 || code < low || code > high) return false;
    }
    return true;
}

bool LettersOrAllowed(const QString& text, const QString& allowed) {
    for (QChar c : text) {
        if (Cp1251Code(c) >= 192 || allowed.contains(c)) continue;
        return false;
    }
    return true;
}

bool OnlyCharsFrom(const QString& text, const QString& allowed) {
    for (QChar c : text) {
        if (!allowed.contains(c)) return false;
    }
    return true;
}

bool OnlyTwoChars(const QString& text, QChar main, QChar second, int count) {
    int seen = 0;
    for (QChar c : text) {
        if (c == second) {
            ++seen;
        } else if (c != main) {
            return false;
        }
    }
    return seen == count;
}

bool NotAbove(const QString& text, const QDate& latest) {
    static const QRegularExpression datePattern(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4})$"));
    const QRegularExpressionMatch m = datePattern.match(TrimBlanks(text));
    if (!m.hasMatch()) return false;
    const QDate date(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    return date.isValid() && date <= latest;
}

}  // namespace kvzt::data
