#include "app/compound_text.h"

#include <string>

#include "engine/code_page.h"

namespace kvzt::app {

namespace {

constexpr char kEsc = 0x1B;
constexpr unsigned char kCsi = 0x9B;
constexpr char32_t kUnknown = 0xFFFD;

enum class RightHalf { Latin1, Cyrillic, Other };

char32_t cyrillic(unsigned char c) {
    if (c == 0xA0) return 0x00A0;
    if (c == 0xAD) return 0x00AD;
    if (c == 0xF0) return 0x2116;  // №
    if (c == 0xFD) return 0x00A7;  // §
    return char32_t(0x0400 + (c - 0xA0));
}

char32_t rightHalf(RightHalf set, unsigned char c) {
    switch (set) {
        case RightHalf::Latin1:
            return c;
        case RightHalf::Cyrillic:
            return cyrillic(c);
        case RightHalf::Other:
            break;
    }
    return kUnknown;
}

QString extendedSegment(const QByteArray& name, const QByteArray& data) {
    const QByteArray lower = name.toLower();
    if (lower == "microsoft-cp1251")
        return QString::fromStdString(engine::toUtf8(data.toStdString(), engine::CodePage::Cp1251));
    if (lower == "microsoft-cp866" || lower == "ibm-cp866")
        return QString::fromStdString(engine::toUtf8(data.toStdString(), engine::CodePage::Cp866));
    if (lower == "iso8859-5") {
        QString text;
        for (const char byte : data) {
            const auto c = static_cast<unsigned char>(byte);
            const char32_t u = c < 0xA0 ? char32_t(c) : cyrillic(c);
            text += QString::fromUcs4(&u, 1);
        }
        return text;
    }
    if (lower == "iso8859-1") return QString::fromLatin1(data);
    if (lower == "utf-8") return QString::fromUtf8(data);
    return QString(QChar(QChar::ReplacementCharacter));
}

}  // namespace

std::optional<QString> DecodeCompoundText(const QByteArray& bytes) {
    QString text;
    RightHalf right = RightHalf::Latin1;
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    const auto at = [&](qsizetype k) { return k < n ? static_cast<unsigned char>(bytes[k]) : 0; };
    while (i < n) {
        const unsigned char c = at(i);
        if (c == static_cast<unsigned char>(kEsc)) {
            const unsigned char a = at(i + 1);
            const unsigned char b = at(i + 2);
            if (a == '(' && (b == 'B' || b == 'J')) {
                i += 3;
            } else if (a == '-' && b >= 0x40 && b <= 0x7E) {
                right = b == 'A' ? RightHalf::Latin1 : b == 'L' ? RightHalf::Cyrillic : RightHalf::Other;
                i += 3;
            } else if (a == '%' && b == 'G') {
                const qsizetype end = bytes.indexOf("\x1B%@", i + 3);
                const qsizetype stop = end < 0 ? n : end;
                text += QString::fromUtf8(bytes.mid(i + 3, stop - i - 3));
                i = end < 0 ? n : end + 3;
            } else if (a == '%' && b == '/' && at(i + 3) >= '0' && at(i + 3) <= '4' && i + 5 < n) {
                // Length in two bytes of 7 bits each, counting the name, STX and data.
                const qsizetype length = qsizetype(at(i + 4) - 0x80) * 128 + (at(i + 5) - 0x80);
                if (at(i + 4) < 0x80 || at(i + 5) < 0x80 || i + 6 + length > n) return std::nullopt;
                const QByteArray segment = bytes.mid(i + 6, length);
                const qsizetype stx = segment.indexOf('\x02');
                if (stx < 0) return std::nullopt;
                text += extendedSegment(segment.left(stx), segment.mid(stx + 1));
                i += 6 + length;
            } else {
                return std::nullopt;  // a multibyte set or a sequence we do not know
            }
        } else if (c == kCsi) {
            // Direction: CSI 1 ], CSI 2 ] or CSI ].
            qsizetype k = i + 1;
            if (at(k) == '1' || at(k) == '2') ++k;
            if (at(k) != ']') return std::nullopt;
            i = k + 1;
        } else if (c >= 0xA0) {
            const char32_t u = rightHalf(right, c);
            text += QString::fromUcs4(&u, 1);
            ++i;
        } else if ((c >= 0x20 && c < 0x7F) || c == '\t' || c == '\n') {
            text += QLatin1Char(char(c));
            ++i;
        } else {
            return std::nullopt;  // other control bytes are not allowed
        }
    }
    return text;
}

}  // namespace kvzt::app
