#include "import/address_format.h"

#include "data/data_module.h"
#include "data/text_helpers.h"
#include "import/address_check.h"

namespace kvzt::import {

namespace {

constexpr int kItemWidth = 50;
constexpr int kRestWidth = 120;
const QString kSeparator = QStringLiteral(",  ");

QString trimLeft(const QString& text) {
    qsizetype from = 0;
    while (from < text.size() && text.at(from).unicode() <= 32) ++from;
    return text.mid(from);
}

// Where the next line ends: after a comma and its blank when the text has a
// comma to break at; for a text without comma, after the last blank that
// keeps the line within the width, or at the width.
int breakPosition(const QString& text, int width) {
    if (text.contains(QLatin1Char(','))) return data::TruncateAtComma(text, width);
    const qsizetype blank = text.left(width + 1).lastIndexOf(QLatin1Char(' '));
    return blank > 0 ? int(blank) + 1 : width;
}

}  // namespace

QString AddressText(const QString& adres, bool regionByName, const RegionNameLookup& regionName) {
    QString result;
    QString rest = adres;
    for (int n = 1; n <= kAddressItems; ++n) {
        const qsizetype comma = rest.indexOf(QLatin1Char(','));
        const QString item = data::TrimBlanks(comma < 0 ? rest : rest.left(comma)).left(kItemWidth);
        if (!data::IsBlank(item)) {
            switch (n) {
                case 3: {
                    QString region = item;
                    if (regionByName && regionName) {
                        const QString name = regionName(item);
                        // An unknown code is shown as it is rather than as an empty gap.
                        if (!data::IsBlank(name)) region = name;
                    }
                    result += region + kSeparator;
                    break;
                }
                case 8:
                    result += QStringLiteral("дом  ") + item + kSeparator;
                    break;
                case 9:
                    result += QStringLiteral("корп. ") + item + kSeparator;
                    break;
                case 10:
                    result += QStringLiteral("кв. ") + rest;
                    break;
                default:
                    result += item + kSeparator;
                    break;
            }
        }
        if (comma < 0) break;
        rest = trimLeft(rest.mid(comma + 1)).left(kRestWidth);
    }
    result = data::TrimBlanks(result);
    if (result.endsWith(QLatin1Char(','))) result.chop(1);
    return result;
}

QString AddressText(data::TdmKVZT& dm, const QString& adres, bool regionByName) {
    return AddressText(adres, regionByName, [&dm](const QString& code) { return dm.GetRegName(code); });
}

QStringList WrapAddressText(const QString& text, int width) {
    QStringList lines;
    QString s = text;
    if (width >= 1) {
        while (s.size() > width) {
            const int at = qBound(1, breakPosition(s, width), int(s.size()));
            lines << s.left(at);
            s = trimLeft(s.mid(at));
        }
    }
    if (!s.isEmpty() || lines.isEmpty()) lines << s;
    return lines;
}

int ShowAddress(QStringList& lines, const QString& adres, const QString& inn, bool homeCountry, int width,
                const RegionNameLookup& regionName) {
    lines = WrapAddressText(AddressText(adres, homeCountry, regionName), width);
    return CheckAddress(adres, inn, homeCountry);
}

int ShowAddress(data::TdmKVZT& dm, QStringList& lines, const QString& adres, const QString& inn, bool homeCountry,
                int width) {
    return ShowAddress(lines, adres, inn, homeCountry, width,
                       [&dm](const QString& code) { return dm.GetRegName(code); });
}

}  // namespace kvzt::import
