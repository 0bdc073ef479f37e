#include "import/person_checks.h"

#include "data/text_helpers.h"

namespace kvzt::import {

using data::IsBlank;

CheckResult CheckNamePart(const QString& text, int mode, Rgb validColour, Rgb errorColour) {
    const bool blank = IsBlank(text);
    const bool invalid = !blank && !data::LettersOrAllowed(text, QStringLiteral(" .-"));
    return Coloured(ResultByMode(mode, blank, invalid), validColour, errorColour);
}

CheckResult CheckDateText(const QString& text, int mode, const QDate& latest) {
    const bool blank = IsBlank(text) || data::OnlyTwoChars(text, QLatin1Char(' '), QLatin1Char('.'), 2);
    const bool invalid = !blank && !data::NotAbove(text, latest);
    return Coloured(ResultByMode(mode, blank, invalid), kBlack, kRed);
}

CheckResult CheckCharsText(const QString& text, int length, QChar lowest, QChar highest, int mode, Rgb validColour,
                           Rgb errorColour) {
    const bool blank = IsBlank(text);
    const bool invalid = !blank && !data::CharsInRange(text, length, lowest, highest);
    return Coloured(ResultByMode(mode, blank, invalid), validColour, errorColour);
}

}  // namespace kvzt::import
