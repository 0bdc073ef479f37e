#pragma once
// A progress window of one long run: a gauge across the top and one button.
// The run starts on a one-shot timer after the window is shown, so that the
// window is painted first. While it runs the button reads "? Стоп ?": the
// button, Esc and the close box ask for a stop, which the run sees between
// its records (through stopAsked(), which also lets the window repaint). A
// complete run leaves the window open with the gauge full and a green
// "! Готово !"; a stopped run warns and closes the window; an error is shown
// in the error box and the button then reads "Закрыть".
//
// The import window and the two inclusion windows are made of it; each gives
// its sizes and captions and runs its own core run in runProcess().

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QFrame;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kvzt::data::ui {

class StopProgressWindow : public QDialog {
    Q_OBJECT
public:
    // How an error is shown: the program's error box unless replaced (tests).
    std::function<void(QWidget* parent, const QString& message)> showError;
    // The two-line warning: ShowWarning unless replaced (tests).
    std::function<void(const QString& first, const QString& second)> warn;

    bool running() const { return running_; }
    bool finished() const { return finished_; }

    QFrame* pnDisp = nullptr;
    QProgressBar* ggImp = nullptr;
    QPushButton* bbnClose = nullptr;
    QTimer* tmStart = nullptr;

public slots:
    // Esc: a stop request while the run goes on, otherwise a close.
    void reject() override;

protected:
    // What a run ended with: its error for the user (empty: none) and whether
    // it stopped at the user's request.
    struct Outcome {
        QString errorText;
        bool stoppedByUser = false;
    };

    // `at`: the window's place before its saved layout is applied.
    StopProgressWindow(const QString& objectName, const QString& caption, QSize size, QRect buttonGeometry,
                       std::optional<QPoint> at, QWidget* parent);

    // Runs the core run once, with the window as its progress.
    virtual Outcome runProcess() = 0;
    // The warning shown after a stop (the window closes after it).
    virtual void warnStopped() = 0;

    // For the runs' progress interfaces.
    void setGaugeMaximum(int maximum);
    void setGaugePosition(int position);
    // Processes pending window messages; true once a stop was asked for.
    bool stopAsked();

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void tmStartTimer();
    void bbnCloseClick();

    bool running_ = false;
    bool finished_ = false;
    bool stopRequested_ = false;
};

}  // namespace kvzt::data::ui
