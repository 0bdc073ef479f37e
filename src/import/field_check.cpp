#include "import/field_check.h"

namespace kvzt::import {

int ResultByMode(int mode, bool blank, bool invalid) {
    if (blank) {
        if (mode <= kModeRequired) return kCheckRequiredError;
        if (mode == kModeRequiredLesser) return kCheckLesserError;
        return kCheckValid;
    }
    if (!invalid) return kCheckValid;
    return mode <= kModeRequired ? kCheckRequiredError : kCheckLesserError;
}

CheckResult Coloured(int code, Rgb validColour, Rgb errorColour) {
    return {code, code == kCheckValid ? validColour : errorColour};
}

}  // namespace kvzt::import
