#pragma once
// The structured address ADRES (120 characters): up to ten comma-separated
// items, each read trimmed of blanks:
//
//   1 country code   empty or 3 digits      6 locality  text
//   2 postal index   empty or 6 digits      7 street    text
//   3 region code    2 digits (77, 78:      8 house     any characters
//                    the federal cities)    9 building  any characters
//   4 district       text                  10 flat      any characters
//   5 city           text
//
// "Text" items hold only Cyrillic letters of code page 1251 (codes 192..255,
// without Ё and ё), blanks and the characters of kAddressTextChars.

#include <QString>

namespace kvzt::import {

inline constexpr int kAddressItems = 10;

// Besides letters, what a text item of an address may hold: blank, double
// quote, hyphen, full stop, slash, the digits and both parentheses.
inline const QString kAddressTextChars = QStringLiteral(" \"-./0123456789()");

// Checks the address by the host's rules when `check` is set (the person
// lives in the organisation's own country); otherwise gives 0. The result is
// 0 for a sound address, else the number (1..10) of the first item that
// breaks a rule; items are tested strictly in order. A taxpayer with an INN
// may have no address at all: an address with every item blank then gives 0.
int CheckAddress(const QString& adres, const QString& inn, bool check);

}  // namespace kvzt::import
