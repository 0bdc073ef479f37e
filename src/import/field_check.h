#pragma once
// The outcome of a field check as the person views use it: a result code and
// the colour the field's caption takes. Colours are plain 0xRRGGBB values so
// that the logic needs no GUI library; the windows turn them into their own
// colour type (QColor::fromRgb).

#include <QtGlobal>

namespace kvzt::import {

// A colour as 0xRRGGBB.
using Rgb = quint32;

inline constexpr Rgb kBlack = 0x000000;
inline constexpr Rgb kRed = 0xFF0000;

// How much a field matters. Any mode of 2 or more is optional.
inline constexpr int kModeRequired = 0;        // blank or invalid: 1
inline constexpr int kModeRequiredLesser = 1;  // blank or invalid: 2
inline constexpr int kModeOptional = 2;        // blank: 0, invalid: 2

// Result codes.
inline constexpr int kCheckValid = 0;
inline constexpr int kCheckRequiredError = 1;
inline constexpr int kCheckLesserError = 2;

struct CheckResult {
    int code = kCheckValid;
    Rgb colour = kBlack;

    bool valid() const { return code == kCheckValid; }
};

// The result code for a blank, an invalid or a valid value under `mode`
// (a negative mode counts as required). `invalid` is ignored for a blank value.
int ResultByMode(int mode, bool blank, bool invalid);

// The code with its caption colour: `validColour` for 0, `errorColour` otherwise.
CheckResult Coloured(int code, Rgb validColour, Rgb errorColour);

}  // namespace kvzt::import
