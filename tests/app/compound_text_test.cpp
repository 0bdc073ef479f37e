#include "app/compound_text.h"

#include <gtest/gtest.h>

using kvzt::app::DecodeCompoundText;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

std::optional<QString> decode(const std::string& bytes) {
    return DecodeCompoundText(QByteArray(bytes.data(), qsizetype(bytes.size())));
}

}  // namespace

TEST(CompoundText, DecodesTheCharacterSetsOfOldTitles) {
    // "Таксант" in ISO 8859-5 on the right half, quotes in ASCII.
    EXPECT_EQ(decode("\"\x1B-L\xC2\xD0\xDA\xE1\xD0\xDD\xE2\""), u("\"Таксант\""));
    EXPECT_EQ(decode("\x1B-L\xA1\xF1\xF0\xFD\xAD"), u("Ёё№§\u00AD"));
    // Latin-1 is the initial right half, and can be chosen again.
    EXPECT_EQ(decode("caf\xE9"), u("café"));
    EXPECT_EQ(decode("\x1B-L\xC2\x1B-A\xE9\x1B(B!"), u("Тé!"));
    // A UTF-8 segment, and extended segments in the Windows and DOS Cyrillic code pages.
    EXPECT_EQ(decode("\x1B%G\xD0\x9C\xD0\xBE\xD0\xB4\x1B%@ 1"), u("Мод 1"));
    EXPECT_EQ(decode(std::string("\x1B%/1\x80\x98microsoft-cp1251\x02\xD2\xE0\xEA\xF1\xE0\xED\xF2") + "!"),
              u("Таксант!"));
    EXPECT_EQ(decode(std::string("\x1B%/1\x80\x91ibm-cp866\x02\x92\xA0\xAA\xE1\xA0\xAD\xE2")), u("Таксант"));
    // Direction marks carry no characters.
    EXPECT_EQ(decode("\x9B" "1]abc\x9B]"), u("abc"));
    // Letters of an ISO 8859 part we do not read never pass for others.
    EXPECT_EQ(decode("\x1B-B\xE9"), u("\uFFFD"));
    EXPECT_EQ(decode(""), u(""));
}

TEST(CompoundText, RefusesWhatItCannotDecode) {
    EXPECT_FALSE(decode("\x1B$(A\x30\x21"));              // a multibyte set
    EXPECT_FALSE(decode("ab\x01"));                         // a control byte
    EXPECT_FALSE(decode("\x1B%/1\x80\xFFshort\x02x"));      // a segment longer than the text
    EXPECT_FALSE(decode("\x1B%/1\x80\x85noSTX"));           // a segment without its name's end
    EXPECT_FALSE(decode("\x9B" "3]"));                      // not a direction mark
    EXPECT_FALSE(decode("\x1B"));                           // a lone escape
}
