#pragma once
// The program's two person views, created on first use (the first opening
// of the taxpayer review) and kept until the application ends, so that they
// remember their place and size between reviews.

namespace kvzt::duplicates::ui {

class TfmIFLData;
class TfmSFLData;

TfmIFLData& fmIFLData();
TfmSFLData& fmSFLData();

// Hides both (when created) and detaches them from any review's cursor.
void ClosePersonViews();

}  // namespace kvzt::duplicates::ui
