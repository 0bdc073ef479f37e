#pragma once
// The program's two person views, created on first use (the first opening
// of the taxpayer review) and kept until the application ends, so that they
// remember their place and size between reviews.

class QWidget;

namespace kvzt::duplicates::ui {

class TfmIFLData;
class TfmSFLData;

TfmIFLData& fmIFLData();
TfmSFLData& fmSFLData();

// Hides both (when created).
void ClosePersonViews();

// Makes `review` the owner of both views while it runs: a review runs
// modally, and the toolkit blocks every window but the modal one and the
// windows it owns, so unowned views could be neither used nor closed.
// DetachPersonViews hides them and gives them back their own top level
// before the review goes, so they outlive it.
void AttachPersonViews(QWidget* review);
void DetachPersonViews();

}  // namespace kvzt::duplicates::ui
