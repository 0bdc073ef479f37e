#pragma once
// The income inclusion window: a gauge over the rows of SvB_32 and one button
// while the inclusion (duplicates/income_inclusion.h) writes the marked rows
// (data/ui/stop_progress_window.h tells how the window behaves). An error
// ends the run with its row rolled back.

#include <QString>

#include <algorithm>

#include "data/ui/stop_progress_window.h"
#include "duplicates/income_inclusion.h"

namespace kvzt::duplicates::ui {

class TfmSvedProc : public data::ui::StopProgressWindow, public InclusionProgress {
    Q_OBJECT
public:
    // `request.duplicates` is the review window's cursor on SvB_32 (or null).
    TfmSvedProc(data::TdmKVZT& dm, IncomeInclusionRequest request, QWidget* parent = nullptr);

    const InclusionResult& inclusionResult() const { return result_; }

    // An empty table still gives a gauge (a range of 0..0 would show a busy bar).
    void setMaximum(int maximum) override { setGaugeMaximum(std::max(maximum, 1)); }
    void setPosition(int position) override { setGaugePosition(position); }
    // Processes pending window messages; true once a stop was asked for.
    bool cancelled() override { return stopAsked(); }

protected:
    Outcome runProcess() override;
    void warnStopped() override;

private:
    data::TdmKVZT& dm_;
    IncomeInclusionRequest request_;
    InclusionResult result_;
};

}  // namespace kvzt::duplicates::ui
