#pragma once
// The import window: a gauge counting the source taxpayers and one button
// while RunImport brings an earlier version's data into the host's tables
// (data/ui/stop_progress_window.h tells how the window behaves). A stopped
// run warns that the list was imported only in part.

#include <QString>

#include <functional>

#include "data/ui/stop_progress_window.h"
#include "import/import_run.h"

namespace kvzt::data {
class TdmKVZT;
}

namespace kvzt::import::ui {

class TfmImpSpis : public data::ui::StopProgressWindow, public ImportProgress {
    Q_OBJECT
public:
    TfmImpSpis(data::TdmKVZT& dm, ImportRequest request, QWidget* parent = nullptr);

    const ImportResult& importResult() const { return result_; }

    // The import window's caption for a source kind.
    static QString CaptionFor(SourceKind kind);

    // The run's progress on the window: the gauge, and pending window
    // messages processed once per source taxpayer.
    void setMaximum(int maximum) override { setGaugeMaximum(maximum); }
    void setPosition(int position) override { setGaugePosition(position); }
    // True once the stop button was pressed or the window was closed.
    bool cancelled() override { return stopAsked(); }

protected:
    // FormShow: the caption names the source version.
    void showEvent(QShowEvent* event) override;
    Outcome runProcess() override;
    void warnStopped() override;

private:
    data::TdmKVZT& dm_;
    ImportRequest request_;
    ImportResult result_;
};

struct ImpSpisEntryHooks {
    std::function<void(const QString& first, const QString& second)> warn;
    std::function<void(QWidget* parent, const QString& message)> showError;
    // Runs the shown window instead of exec() (tests drive it and close it).
    std::function<void(TfmImpSpis& window)> runWindow;
};

// The entry of the main window's import command: checks the files of the
// kind (a missing one gives its warning and no window), then runs the import
// window modally, and sets data::SpisDblFound and data::SvedDblFound from
// what the run left for the reviews. Kinds other than 1–3 do nothing.
void RunImpSpisWindow(data::TdmKVZT& dm, const QString& directory, quint8 kind,
                      const ImpSpisEntryHooks& hooks = {});

}  // namespace kvzt::import::ui
