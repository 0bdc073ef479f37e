#pragma once
// The import window: a gauge over the source taxpayer list and one button
// while the import of earlier-version data runs (import/import_run.h). The
// run starts 700 ms after the window is shown, so that it is painted first.
//
// During the run the button reads "? Стоп ?": pressing it, Esc or the close
// box stop the run before the next source taxpayer; the window then warns
// that the list was imported only in part and closes. A complete run leaves
// the window open with the gauge full and "! Готово !" until the user closes
// it. An error ends the run; it is shown in the program's error box and the
// window can be closed.

#include <QDialog>
#include <QString>

#include <functional>

#include "import/import_run.h"

class QFrame;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kvzt::data {
class TdmKVZT;
}

namespace kvzt::import::ui {

class TfmImpSpis : public QDialog, public ImportProgress {
    Q_OBJECT
public:
    TfmImpSpis(data::TdmKVZT& dm, ImportRequest request, QWidget* parent = nullptr);

    // How an error is shown: the program's error box unless replaced (tests).
    std::function<void(QWidget* parent, const QString& message)> showError;
    // The two-line warning: ShowWarning unless replaced (tests).
    std::function<void(const QString& first, const QString& second)> warn;

    const ImportResult& importResult() const { return result_; }
    bool running() const { return running_; }
    bool finished() const { return finished_; }

    QFrame* pnDisp = nullptr;
    QProgressBar* ggImp = nullptr;
    QPushButton* bbnClose = nullptr;
    QTimer* tmStart = nullptr;

    // The import window's caption for a source kind.
    static QString CaptionFor(SourceKind kind);

    // The run's progress on the window: the gauge, and pending window
    // messages processed once per source taxpayer.
    void setMaximum(int maximum) override;
    void setPosition(int position) override;
    // True once the stop button was pressed or the window was closed.
    bool cancelled() override;

public slots:
    // Esc: a stop request while the run goes on, otherwise a close.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void tmStartTimer();
    void bbnCloseClick();

    data::TdmKVZT& dm_;
    ImportRequest request_;
    ImportResult result_;
    bool running_ = false;
    bool finished_ = false;
    bool stopRequested_ = false;
};

// Hooks of the import entry (tests replace them); empty members mean the
// program's own dialogs and window.
struct ImpSpisEntryHooks {
    std::function<void(const QString& first, const QString& second)> warn;
    std::function<void(QWidget* parent, const QString& message)> showError;
    // Runs the shown window instead of exec() (tests drive it and close it).
    std::function<void(TfmImpSpis& window)> runWindow;
};

// The import command's entry: the directory without a trailing separator,
// both duplicate flags cleared, the source files checked (a missing one is
// warned about and no window opens), then the window modally. Sets
// data::SpisDblFound and data::SvedDblFound from what the run wrote.
void RunImpSpisWindow(data::TdmKVZT& dm, const QString& directory, quint8 kind,
                      const ImpSpisEntryHooks& hooks = {});

}  // namespace kvzt::import::ui
