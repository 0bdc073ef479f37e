#include "classifier/ui/imp_exec_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHideEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>

#include "data/ui/form_layout.h"
#include "engine/errors.h"

namespace kvzt::classifier::ui {

namespace {

constexpr int kWidth = 568;
constexpr int kHeight = 128;
constexpr int kStartDelayMs = 500;

const QColor kSilver(192, 192, 192);
const QColor kNavy(0, 0, 128);

QFont arial(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace

TfmImpExec::TfmImpExec(data::TdmKVZT& dm, KladrRequest request, QWidget* parent)
    : QDialog(parent), dm_(dm), request_(std::move(request)) {
    setObjectName(QStringLiteral("fmImpExec"));
    setWindowTitle(QStringLiteral("Выполнение импорта КЛАДР ОРЦИС"));
    setFixedSize(kWidth, kHeight);
    showError = [](QWidget* owner, const QString& message) {
        QMessageBox::critical(owner ? owner : QApplication::activeWindow(), QCoreApplication::applicationName(),
                              message);
    };

    gbFileName = new QGroupBox(this);
    gbFileName->setObjectName(QStringLiteral("gbFileName"));
    gbFileName->setGeometry(8, 2, kWidth - 16, 40);
    stFileName = new QLabel(gbFileName);
    stFileName->setObjectName(QStringLiteral("stFileName"));
    stFileName->setFrameShape(QFrame::Panel);
    stFileName->setFrameShadow(QFrame::Sunken);
    stFileName->setFont(arial(13, false));
    QPalette status = stFileName->palette();
    status.setColor(QPalette::WindowText, kNavy);
    stFileName->setPalette(status);
    auto* statusLayout = new QVBoxLayout(gbFileName);
    statusLayout->setContentsMargins(6, 6, 6, 6);
    statusLayout->addWidget(stFileName);

    ggImp = new QProgressBar(this);
    ggImp->setObjectName(QStringLiteral("ggImp"));
    ggImp->setGeometry(8, 48, kWidth - 16, 26);
    ggImp->setRange(0, 100);
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

    bbnClose = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Закрыть"), this);
    bbnClose->setObjectName(QStringLiteral("bbnClose"));
    bbnClose->setGeometry((kWidth - 110) / 2, 86, 110, 30);
    bbnClose->setAutoDefault(false);
    bbnClose->setEnabled(false);
    connect(bbnClose, &QPushButton::clicked, this, [this] { QDialog::done(QDialog::Accepted); });

    tmStart = new QTimer(this);
    tmStart->setObjectName(QStringLiteral("tmStart"));
    tmStart->setInterval(kStartDelayMs);
    tmStart->setSingleShot(true);
    connect(tmStart, &QTimer::timeout, this, &TfmImpExec::tmStartTimer);
}

void TfmImpExec::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TfmImpExec::FormShow() {
    data::LoadFormLayout(this);
    if (request_.deletionMode()) setWindowTitle(QStringLiteral("Удаление записей из установленного КЛАДР"));
    if (!running_ && !finished_) tmStart->start();
}

void TfmImpExec::hideEvent(QHideEvent* event) {
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

void TfmImpExec::setMaximum(int maximum) {
    ggImp->setRange(0, qMax(0, maximum));
    ggImp->setValue(0);
}

void TfmImpExec::advance(int steps) { setPosition(ggImp->value() + steps); }

void TfmImpExec::setPosition(int position) { ggImp->setValue(qBound(0, position, ggImp->maximum())); }

void TfmImpExec::setStatusText(const QString& text) {
    stFileName->setText(text);
    processMessages();
}

void TfmImpExec::processMessages() { QCoreApplication::processEvents(); }

void TfmImpExec::tmStartTimer() {
    tmStart->stop();
    if (running_ || finished_) return;
    running_ = true;
    try {
        result_ = KladrProcess(dm_, request_, *this);
    } catch (const engine::EngineError& e) {
        failed_ = true;
        running_ = false;
        finished_ = true;
        showError(this, QString::fromStdString(e.what()));
        return;
    } catch (const std::exception& e) {
        failed_ = true;
        running_ = false;
        finished_ = true;
        showError(this, QString::fromUtf8(e.what()));
        return;
    }
    running_ = false;
    finished_ = true;
    bbnClose->setEnabled(true);
    bbnClose->setFocus();
}

void TfmImpExec::reject() {
    if (finished_) QDialog::reject();
}

void TfmImpExec::closeEvent(QCloseEvent* event) {
    // While the run goes on the window stays: the tables are held
    // exclusively and the run has no stop.
    if (running_ || !finished_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void RunKladrExec(data::TdmKVZT& dm, const QString& directory, bool streets, QWidget* owner,
                  const std::function<void(TfmImpExec& window)>& runWindow) {
    KladrRequest request;
    request.kladrDir = KladrDirFrom(directory);
    request.impStreets = streets;
    TfmImpExec fmImpExec(dm, request, owner);
    if (runWindow) {
        fmImpExec.show();
        runWindow(fmImpExec);
        if (fmImpExec.isVisible()) fmImpExec.hide();
    } else {
        fmImpExec.exec();
    }
}

}  // namespace kvzt::classifier::ui
