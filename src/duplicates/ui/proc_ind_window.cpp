#include "duplicates/ui/proc_ind_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include "data/ui/form_layout.h"
#include "data/ui/warning_dialog.h"

namespace kvzt::duplicates::ui {

namespace {

constexpr int kWidth = 418;
constexpr int kHeight = 92;
constexpr int kGaugeHeight = 26;
constexpr int kStartDelayMs = 700;

const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kRed(0xFF, 0x00, 0x00);
const QColor kGreen(0x00, 0x80, 0x00);

QFont arial(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void setButtonTextColour(QPushButton* button, const QColor& colour) {
    QPalette p = button->palette();
    p.setColor(QPalette::ButtonText, colour);
    button->setPalette(p);
}

}  // namespace

TfmProcInd::TfmProcInd(data::TdmKVZT& dm, engine::Table* duplicates, QWidget* parent)
    : QDialog(parent), dm_(dm), duplicates_(duplicates) {
    setObjectName(QStringLiteral("fmProcInd"));
    setWindowTitle(QStringLiteral("Выполнение процесса включения таксантов"));
    setFixedSize(kWidth, kHeight);
    move(200, 108);
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
    bbnClose->setGeometry(173, 35, 98, 25);
    bbnClose->setAutoDefault(false);
    bbnClose->setFocus();
    connect(bbnClose, &QPushButton::clicked, this, &TfmProcInd::bbnCloseClick);

    tmStart = new QTimer(this);
    tmStart->setObjectName(QStringLiteral("tmStart"));
    tmStart->setInterval(kStartDelayMs);
    tmStart->setSingleShot(true);
    connect(tmStart, &QTimer::timeout, this, &TfmProcInd::tmStartTimer);

    data::LoadFormLayout(this);
}

TfmProcInd::~TfmProcInd() {
    try {
        data::SaveFormLayout(this);
    } catch (...) {
        // A layout that cannot be saved is not worth an error at this point.
    }
}

void TfmProcInd::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous() && !running_ && !finished_) tmStart->start();
}

void TfmProcInd::setMaximum(int maximum) {
    ggImp->setRange(0, maximum);
    ggImp->setValue(0);
}

void TfmProcInd::setPosition(int position) { ggImp->setValue(qBound(0, position, ggImp->maximum())); }

bool TfmProcInd::cancelled() {
    QCoreApplication::processEvents();
    return stopRequested_;
}

void TfmProcInd::tmStartTimer() {
    tmStart->stop();
    if (running_ || finished_) return;
    running_ = true;
    ListInclusionRequest request;
    request.duplicates = duplicates_;
    request.hooks = hooks;
    result_ = RunListInclusion(dm_, request, *this);
    running_ = false;
    finished_ = true;

    if (result_.error) {
        // The rows before the failed one stay written; the window can be closed.
        showError(this, result_.errorText());
        bbnClose->setText(QStringLiteral("Закрыть"));
        setButtonTextColour(bbnClose, Qt::black);
        return;
    }
    if (result_.stoppedByUser) {
        warn(QStringLiteral("Процесс включения остановлен пользователем"), QString());
        QDialog::done(QDialog::Rejected);
        return;
    }
    ggImp->setValue(ggImp->maximum());
    bbnClose->setText(QStringLiteral("! Готово !"));
    setButtonTextColour(bbnClose, kGreen);
}

void TfmProcInd::bbnCloseClick() {
    if (running_) {
        stopRequested_ = true;  // seen after the row in hand
        return;
    }
    QDialog::done(QDialog::Rejected);
}

void TfmProcInd::reject() { bbnCloseClick(); }

void TfmProcInd::closeEvent(QCloseEvent* event) {
    if (running_) {
        stopRequested_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

InclusionResult IncludeSpis(data::TdmKVZT& dm, engine::Table* duplicates, QWidget* owner,
                            const std::function<void(TfmProcInd&)>& prepare) {
    TfmProcInd fmProcInd(dm, duplicates, owner);
    if (prepare) prepare(fmProcInd);
    fmProcInd.exec();
    return fmProcInd.result();
}

}  // namespace kvzt::duplicates::ui
