#include "data/ui/stop_progress_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHideEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include <exception>

#include "data/ui/dialog_look.h"
#include "data/ui/form_layout.h"
#include "data/ui/warning_dialog.h"

namespace kvzt::data::ui {

namespace {

constexpr int kGaugeHeight = 26;
constexpr int kStartDelayMs = 700;

const QColor kSilver(192, 192, 192);
const QColor kNavy(0, 0, 128);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);

QFont arial(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void setButtonTextColour(QPushButton* button, const QColor& colour) { dialog_look::setTextColour(button, colour); }

}  // namespace

StopProgressWindow::StopProgressWindow(const QString& objectName, const QString& caption, QSize size,
                                       QRect buttonGeometry, std::optional<QPoint> at, QWidget* parent)
    : QDialog(parent) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setFixedSize(size);
    if (at) move(*at);
    showError = [](QWidget* owner, const QString& message) {
        QMessageBox::critical(owner ? owner : QApplication::activeWindow(), QCoreApplication::applicationName(),
                              message);
    };
    warn = [this](const QString& first, const QString& second) { data::ShowWarning(first, second, this); };

    pnDisp = new QFrame(this);
    pnDisp->setObjectName(QStringLiteral("pnDisp"));
    pnDisp->setFrameShape(QFrame::NoFrame);
    pnDisp->setGeometry(0, 0, size.width(), kGaugeHeight);

    ggImp = new QProgressBar(pnDisp);
    ggImp->setObjectName(QStringLiteral("ggImp"));
    ggImp->setGeometry(0, 0, size.width(), kGaugeHeight);
    ggImp->setRange(0, 10);
    ggImp->setValue(0);
    ggImp->setTextVisible(true);
    ggImp->setAlignment(Qt::AlignCenter);
    ggImp->setFont(arial(15, true));
    QPalette gauge = ggImp->palette();
    gauge.setColor(QPalette::Base, kSilver);
    gauge.setColor(QPalette::Window, kSilver);
    gauge.setColor(QPalette::Highlight, kNavy);
    gauge.setColor(QPalette::Text, Qt::black);
    gauge.setColor(QPalette::HighlightedText, Qt::white);
    ggImp->setPalette(gauge);

    bbnClose = new QPushButton(QStringLiteral("? Стоп ?"), this);
    bbnClose->setObjectName(QStringLiteral("bbnClose"));
    bbnClose->setFont(arial(12, true));
    setButtonTextColour(bbnClose, kRed);
    bbnClose->setGeometry(buttonGeometry);
    bbnClose->setAutoDefault(false);
    bbnClose->setFocus();
    connect(bbnClose, &QPushButton::clicked, this, &StopProgressWindow::bbnCloseClick);

    tmStart = new QTimer(this);
    tmStart->setObjectName(QStringLiteral("tmStart"));
    tmStart->setInterval(kStartDelayMs);
    tmStart->setSingleShot(true);
    connect(tmStart, &QTimer::timeout, this, &StopProgressWindow::tmStartTimer);

    // The window's saved place (the object name is its key).
    data::LoadFormLayout(this);
}

void StopProgressWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous() && !running_ && !finished_) tmStart->start();
}

void StopProgressWindow::hideEvent(QHideEvent* event) {
    if (!event->spontaneous()) {
        tmStart->stop();
        try {
            data::SaveFormLayout(this);
        } catch (const std::exception& e) {
            showError(this, QString::fromUtf8(e.what()));
        }
    }
    QDialog::hideEvent(event);
}

void StopProgressWindow::setGaugeMaximum(int maximum) {
    ggImp->setRange(0, maximum);
    ggImp->setValue(0);
}

void StopProgressWindow::setGaugePosition(int position) { ggImp->setValue(qBound(0, position, ggImp->maximum())); }

bool StopProgressWindow::stopAsked() {
    QCoreApplication::processEvents();
    return stopRequested_;
}

void StopProgressWindow::tmStartTimer() {
    tmStart->stop();
    if (running_ || finished_) return;
    running_ = true;
    const Outcome outcome = runProcess();
    running_ = false;
    finished_ = true;

    if (!outcome.errorText.isEmpty()) {
        // What the run wrote before the error stays; the window can be closed.
        showError(this, outcome.errorText);
        bbnClose->setText(QStringLiteral("Закрыть"));
        setButtonTextColour(bbnClose, Qt::black);
        return;
    }
    if (outcome.stoppedByUser || stopRequested_) {
        warnStopped();
        QDialog::done(QDialog::Rejected);
        return;
    }
    ggImp->setValue(ggImp->maximum());
    bbnClose->setText(QStringLiteral("! Готово !"));
    setButtonTextColour(bbnClose, kGreen);
}

void StopProgressWindow::bbnCloseClick() {
    if (running_) {
        stopRequested_ = true;  // seen by the run before its next record
        return;
    }
    QDialog::done(QDialog::Rejected);
}

void StopProgressWindow::reject() { bbnCloseClick(); }

void StopProgressWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        // A record is never left half written: the run stops before the next
        // one and the window then closes itself.
        stopRequested_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace kvzt::data::ui
