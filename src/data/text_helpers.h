#pragma once
// Small text tools shared by the program's logic.

#include <QChar>
#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace kvzt::data {

// The text between the first `start` character and the next `end` character
// after it. "#" as `start` means the beginning of the text, "#" as `end` its
// end. Empty when a delimiter is missing; at most 250 characters.
QString ExtractBetween(const QString& text, QChar start, QChar end);

// `text` with its ASCII letters upper-cased; every other character unchanged.
QString UpperAscii(const QString& text);

}  // namespace kvzt::data

// ---------------------------------------------------------------------------
// Comma-separated items, padding and character-class checks used by the
// import, the address texts and the layout keys. "Blank" characters are
// those with codes up to 32, as the host's tools trim them.

namespace kvzt::data {

// `text` without leading and trailing characters of code 32 or below.
QString TrimBlanks(const QString& text);

// The n-th comma-separated item (1-based), trimmed, at most 250 characters;
// empty past the last item and for n < 1.
QString GetField(const QString& text, int n);
// The same item read as a number; nothing when it is not one.
std::optional<double> GetFieldNumber(const QString& text, int n);

// The texts joined by `separator` (a comma and two blanks unless given).
QString JoinFields(const QStringList& texts, const QString& separator = QStringLiteral(",  "));

// 1-based position of the last occurrence of `needle` in `text`; 0 if none.
int LastPos(const QString& needle, const QString& text);

// Where to break `text` into a line of about `width` characters: cuts a
// working copy just before its last comma while it is longer than width + 1;
// the result is the position of the last comma cut plus one, so the line
// ends with the comma and the blank after it. A text that needs no cut gives
// its own length; a text with no comma to cut at gives `width`.
int TruncateAtComma(const QString& text, int width);

// The trimmed text preceded by `fill` characters up to `width`.
QString PadLeft(const QString& text, int width, QChar fill = QLatin1Char(' '));
// `count` copies of `c` (count limited to 0..255).
QString StringOfChar(QChar c, int count);
// True when the trimmed text is empty.
bool IsBlank(const QString& text);

inline QString IIF(bool condition, const QString& a, const QString& b) { return condition ? a : b; }
inline double IIF(bool condition, double a, double b) { return condition ? a : b; }

// prefix + the decimal number: the FORMS and GRIDS keys ("fmMain" + 0 → "fmMain0").
QString KeyName(const QString& prefix, qint64 number);

// The text read as a decimal integer (0 when it is not one) plus n.
QString IncNumberText(const QString& text, qint64 n);

// Number of the last non-blank item among comma-separated items 1..10; 0 when all are blank.
int LastFilledItem(const QString& text);

// The character's code in the Windows Cyrillic code page 1251; -1 when the
// code page has no such character.
int Cp1251Code(QChar c);

// True when the text has `length` characters (0 = any length) and every
// character lies between `lowest` and `highest` inclusive, compared by their
// 1251 codes. With length 0 an empty text gives true.
bool CharsInRange(const QString& text, int length, QChar lowest, QChar highest);
// True when every character is a Cyrillic letter of code page 1251 (codes
// 192..255: А..я, without Ё and ё) or one of `allowed`.
bool LettersOrAllowed(const QString& text, const QString& allowed);
// True when every character of the text is one of `allowed`.
bool OnlyCharsFrom(const QString& text, const QString& allowed);
// True when every character is `main` or `second` and `second` occurs exactly
// `count` times (blank, full stop, 2: the empty date mask "  .  .    ").
bool OnlyTwoChars(const QString& text, QChar main, QChar second, int count);
// True when the trimmed text holds no blank, reads as a date "dd.mm.yyyy"
// and is not after `latest`.
bool NotAbove(const QString& text, const QDate& latest);

}  // namespace kvzt::data
