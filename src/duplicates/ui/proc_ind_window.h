#pragma once
// The taxpayer inclusion's process window: a gauge over the review's
// Spis_D32 rows and one button while RunListInclusion writes the marked
// duplicates into SPISOK32 (data/ui/stop_progress_window.h tells how the
// window behaves).

#include <QString>

#include <functional>

#include "data/ui/stop_progress_window.h"
#include "duplicates/list_inclusion.h"

namespace kvzt::duplicates::ui {

class TfmProcInd : public data::ui::StopProgressWindow, public InclusionProgress {
    Q_OBJECT
public:
    // `duplicates`: the review's cursor on Spis_D32 (null: the run opens the table).
    TfmProcInd(data::TdmKVZT& dm, engine::Table* duplicates, QWidget* parent = nullptr);

    // Hooks handed to the run (tests).
    InclusionHooks hooks;

    const InclusionResult& result() const { return result_; }

    void setMaximum(int maximum) override { setGaugeMaximum(maximum); }
    void setPosition(int position) override { setGaugePosition(position); }
    // Processes pending window messages; true once a stop was asked for.
    bool cancelled() override { return stopAsked(); }

protected:
    Outcome runProcess() override;
    void warnStopped() override;

private:
    data::TdmKVZT& dm_;
    engine::Table* duplicates_;
    InclusionResult result_;
};

// "Выполнить" of the review: the process window, modally, over the review's
// cursor. `prepare` lets a caller replace dialogs or drive the window (tests).
InclusionResult IncludeSpis(data::TdmKVZT& dm, engine::Table* duplicates, QWidget* owner,
                            const std::function<void(TfmProcInd&)>& prepare = {});

}  // namespace kvzt::duplicates::ui
