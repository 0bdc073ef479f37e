#include "duplicates/ui/proc_sved_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHideEvent>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include "data/ui/form_layout.h"
#include "data/ui/warning_dialog.h"

namespace kvzt::duplicates::ui {

namespace {

constexpr int kWidth = 474;
constexpr int kHeight = 89;
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

void setButtonTextColour(QPushButton* button, const QColor& colour) {
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::WindowText, colour);
    button->setPalette(palette);
}

}  // namespace

TfmSvedProc::TfmSvedProc(data::TdmKVZT& dm, IncomeInclusionRequest request, QWidget* parent)
    : QDialog(parent), dm_(dm), request_(std::move(request)) {
    setObjectName(QStringLiteral("fmSvedProc"));
    setWindowTitle(QStringLiteral("Выполнение процесса включения сведений о доходах"));
    setFixedSize(kWidth, kHeight);
    showError = [](QWidget* owner, const QString& message) {
        QMessageBox::critical(owner ? owner : QApplication::activeWindow(), QCoreApplication::applicationName(),
                              message);
    };
    warn = [this](const QString& first, const QString& second) { data::ShowWarning(first, second, this); };

    pnDisp = new QFrame(this);
    pnDisp->setObjectName(QStringLiteral("pnDisp"));
    pnDisp->setFrameShape(QFrame::NoFrame);
    pnDisp->setGeometry(0, 0, kWidth, kGaugeHeight);

    ggImp = new QProgressBar(pnDisp);
    ggImp->setObjectName(QStringLiteral("ggImp"));
    ggImp->setGeometry(0, 0, kWidth, kGaugeHeight);
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
    bbnClose->setGeometry(173, 35, 98 + 30, 25 + 3);  // room for the bold text of the styles
    bbnClose->setAutoDefault(false);
    bbnClose->setFocus();
    connect(bbnClose, &QPushButton::clicked, this, &TfmSvedProc::bbnCloseClick);

    tmStart = new QTimer(this);
    tmStart->setObjectName(QStringLiteral("tmStart"));
    tmStart->setInterval(kStartDelayMs);
    tmStart->setSingleShot(true);
    connect(tmStart, &QTimer::timeout, this, &TfmSvedProc::tmStartTimer);

    data::LoadFormLayout(this);
}

void TfmSvedProc::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous() && !running_ && !finished_) tmStart->start();
}

void TfmSvedProc::hideEvent(QHideEvent* event) {
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

void TfmSvedProc::setMaximum(int maximum) {
    // An empty table still gives a gauge (a range of 0..0 would show a busy bar).
    ggImp->setRange(0, std::max(maximum, 1));
    ggImp->setValue(0);
}

void TfmSvedProc::setPosition(int position) { ggImp->setValue(qBound(0, position, ggImp->maximum())); }

bool TfmSvedProc::cancelled() {
    QCoreApplication::processEvents();
    return stopRequested_;
}

void TfmSvedProc::tmStartTimer() {
    tmStart->stop();
    if (running_ || finished_) return;
    running_ = true;
    result_ = RunIncomeInclusion(dm_, request_, *this);
    running_ = false;
    finished_ = true;

    if (result_.error) {
        // The failed row was rolled back and keeps its mark; the rows before
        // it stay written. The window can then be closed.
        showError(this, result_.errorText());
        return;
    }
    if (result_.stoppedByUser || stopRequested_) {
        warn(StoppedByUserText(), QString());
        QDialog::done(QDialog::Rejected);
        return;
    }
    ggImp->setValue(ggImp->maximum());
    bbnClose->setText(QStringLiteral("! Готово !"));
    setButtonTextColour(bbnClose, kGreen);
}

void TfmSvedProc::bbnCloseClick() {
    if (running_) {
        stopRequested_ = true;  // seen before the next row
        return;
    }
    QDialog::done(QDialog::Rejected);
}

void TfmSvedProc::reject() { bbnCloseClick(); }

void TfmSvedProc::closeEvent(QCloseEvent* event) {
    if (running_) {
        // A row is never left half written: the run stops before the next
        // one and the window then closes itself.
        stopRequested_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace kvzt::duplicates::ui
