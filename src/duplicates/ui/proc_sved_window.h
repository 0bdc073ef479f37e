#pragma once
// The income inclusion window: a gauge over the rows of SvB_32 and one button
// while the inclusion (duplicates/income_inclusion.h) writes the marked rows.
// The run starts 700 ms after the window is shown, so that it is painted
// first.
//
// During the run the button reads "? Стоп ?": pressing it, Esc or the close
// box stop the run before the next row; the window then warns that the
// process was stopped and closes. A complete run leaves the window open with
// the gauge full and a green "! Готово !" until the user closes it. An error
// ends the run (its row rolled back); it is shown in the program's error box
// and the window can be closed.

#include <QDialog>
#include <QString>

#include <functional>

#include "duplicates/income_inclusion.h"

class QFrame;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kvzt::duplicates::ui {

class TfmSvedProc : public QDialog, public InclusionProgress {
    Q_OBJECT
public:
    // `request.duplicates` is the review window's cursor on SvB_32 (or null).
    TfmSvedProc(data::TdmKVZT& dm, IncomeInclusionRequest request, QWidget* parent = nullptr);

    // How an error is shown: the program's error box unless replaced (tests).
    std::function<void(QWidget* parent, const QString& message)> showError;
    // The two-line warning: ShowWarning unless replaced (tests).
    std::function<void(const QString& first, const QString& second)> warn;

    const InclusionResult& inclusionResult() const { return result_; }
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
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void tmStartTimer();
    void bbnCloseClick();

    data::TdmKVZT& dm_;
    IncomeInclusionRequest request_;
    InclusionResult result_;
    bool running_ = false;
    bool finished_ = false;
    bool stopRequested_ = false;
};

}  // namespace kvzt::duplicates::ui
