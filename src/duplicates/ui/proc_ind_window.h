#pragma once
// The taxpayer inclusion's process window: a gauge over the review's
// Spis_D32 rows and one button while RunListInclusion writes the marked
// duplicates into SPISOK32. The run starts 700 ms after the window is shown,
// so that it is painted first.
//
// During the run the button reads "? Стоп ?": pressing it, Esc or the close
// box stop the run after the row in hand; the window then warns that the
// process was stopped and closes. A complete run leaves the window open with
// the gauge full and "! Готово !" in green until the user presses the
// button. An error ends the run; it is shown in the program's error box and
// the window can then be closed.

#include <QDialog>
#include <QString>

#include <functional>

#include "duplicates/list_inclusion.h"

class QFrame;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kvzt::duplicates::ui {

class TfmProcInd : public QDialog, public InclusionProgress {
    Q_OBJECT
public:
    // `duplicates`: the review's cursor on Spis_D32 (null: the run opens the table).
    TfmProcInd(data::TdmKVZT& dm, engine::Table* duplicates, QWidget* parent = nullptr);
    ~TfmProcInd() override;

    // How an error is shown: the program's error box unless replaced (tests).
    std::function<void(QWidget* parent, const QString& message)> showError;
    // The two-line warning: ShowWarning unless replaced (tests).
    std::function<void(const QString& first, const QString& second)> warn;
    // Hooks handed to the run (tests).
    InclusionHooks hooks;

    const InclusionResult& result() const { return result_; }
    bool running() const { return running_; }
    bool finished() const { return finished_; }

    QFrame* pnDisp = nullptr;
    QProgressBar* ggImp = nullptr;
    QPushButton* bbnClose = nullptr;
    QTimer* tmStart = nullptr;

    void setMaximum(int maximum) override;
    void setPosition(int position) override;
    // Processes pending window messages; true once a stop was asked for.
    bool cancelled() override;

public slots:
    // Esc: a stop request while the run goes on, otherwise a close.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void tmStartTimer();
    void bbnCloseClick();

    data::TdmKVZT& dm_;
    engine::Table* duplicates_;
    InclusionResult result_;
    bool running_ = false;
    bool finished_ = false;
    bool stopRequested_ = false;
};

// "Выполнить" of the review: the process window, modally, over the review's
// cursor. `prepare` lets a caller replace dialogs or drive the window (tests).
InclusionResult IncludeSpis(data::TdmKVZT& dm, engine::Table* duplicates, QWidget* owner,
                            const std::function<void(TfmProcInd&)>& prepare = {});

}  // namespace kvzt::duplicates::ui
