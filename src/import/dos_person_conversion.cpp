#include "import/dos_person_conversion.h"

#include <QStringList>

#include "data/text_helpers.h"
#include "import/dos_reference_books.h"

namespace kvzt::import {

namespace {

constexpr int kNumberWidth = 21;
constexpr int kNameItemWidth = 40;
constexpr int kAddressWidth = 120;

QString trimRight(QString text) {
    while (!text.isEmpty() && text.back().unicode() <= 32) text.chop(1);
    return text;
}

}  // namespace

DosDocument ConvertDosDocument(const QString& dok, const DosReferenceBooks& books) {
    const QString text = data::TrimBlanks(dok);
    const int comma = text.indexOf(QLatin1Char(','));
    QString kindName;
    QString number;
    if (comma < 0) {
        number = data::TrimBlanks(text.left(kNumberWidth));
    } else {
        kindName = trimRight(text.left(comma));
        number = data::TrimBlanks(text.mid(comma + 1, kNumberWidth));
    }
    return DosDocument{books.documentKind(kindName).value_or(QString()), number};
}

QString ConvertDosCountry(const QString& status, const QString& adres, const DosReferenceBooks& books) {
    if (status == QLatin1String("1")) return {};
    const QString name = data::GetField(adres, 1).left(kNameItemWidth);
    return books.country(name).value_or(QStringLiteral("000"));
}

QString DosRegionName(const QString& item) {
    QString name = item;
    const int blank = name.lastIndexOf(QLatin1Char(' '));
    if (blank >= 0) name = name.left(blank);
    return trimRight(name);
}

QString ConvertDosAddress(const QString& adres, bool homeCountry, const DosReferenceBooks& books) {
    if (!homeCountry) {
        const int comma = adres.indexOf(QLatin1Char(','));
        return (comma < 0 ? adres : adres.mid(comma)).left(kAddressWidth);
    }
    QStringList items;
    items << QString() << data::GetField(adres, 2);
    const QString regionName = DosRegionName(data::GetField(adres, 3).left(kNameItemWidth));
    items << books.region(regionName).value_or(QStringLiteral("00"));
    for (int n = 4; n <= 10; ++n) items << data::GetField(adres, n);
    return data::JoinFields(items);
}

}  // namespace kvzt::import
