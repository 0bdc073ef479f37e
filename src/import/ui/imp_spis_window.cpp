#include "import/ui/imp_spis_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHideEvent>
#include <QFrame>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include <exception>

#include "data/program_flags.h"
#include "data/ui/form_layout.h"
#include "data/ui/warning_dialog.h"

namespace kvzt::import::ui {

namespace {

constexpr int kWidth = 465;
constexpr int kGaugeHeight = 26;
constexpr int kHeight = 72;
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

QString withoutTrailingSeparator(QString directory) {
    if (directory.endsWith(QLatin1Char('\\')) || directory.endsWith(QLatin1Char('/'))) directory.chop(1);
    return directory;
}

}  // namespace

TfmImpSpis::TfmImpSpis(data::TdmKVZT& dm, ImportRequest request, QWidget* parent)
    : QDialog(parent), dm_(dm), request_(std::move(request)) {
    setObjectName(QStringLiteral("fmImpSpis"));
    setWindowTitle(QStringLiteral("Выполнение импорта "));
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
    bbnClose->setGeometry((kWidth - 130) / 2, kGaugeHeight + 10, 130, 28);
    bbnClose->setAutoDefault(false);
    bbnClose->setFocus();
    connect(bbnClose, &QPushButton::clicked, this, &TfmImpSpis::bbnCloseClick);

    tmStart = new QTimer(this);
    tmStart->setObjectName(QStringLiteral("tmStart"));
    tmStart->setInterval(kStartDelayMs);
    tmStart->setSingleShot(true);
    connect(tmStart, &QTimer::timeout, this, &TfmImpSpis::tmStartTimer);

    // FormCreate: the window's saved place.
    data::LoadFormLayout(this);
}

QString TfmImpSpis::CaptionFor(SourceKind kind) {
    return QStringLiteral("Импорт данных \"Таксант\" ") +
           (kind == SourceKind::Dos2 ? QStringLiteral("DOS-версии 2.*") : QStringLiteral("Win-версии 3.2"));
}

void TfmImpSpis::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TfmImpSpis::FormShow() {
    setWindowTitle(CaptionFor(request_.kind));
    if (!running_ && !finished_) tmStart->start();
}

void TfmImpSpis::hideEvent(QHideEvent* event) {
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

void TfmImpSpis::setMaximum(int maximum) {
    ggImp->setRange(0, maximum);
    ggImp->setValue(0);
}

void TfmImpSpis::setPosition(int position) { ggImp->setValue(qBound(0, position, ggImp->maximum())); }

bool TfmImpSpis::cancelled() {
    QCoreApplication::processEvents();
    return stopRequested_;
}

void TfmImpSpis::tmStartTimer() {
    tmStart->stop();
    if (running_ || finished_) return;
    running_ = true;
    result_ = RunImport(dm_, request_, *this);
    running_ = false;
    finished_ = true;

    if (result_.error) {
        // The run ended at an engine error: say which record and why; the
        // records before it stay written, and the window can be closed.
        showError(this, result_.errorText());
        return;
    }
    if (result_.stoppedByUser || stopRequested_) {
        warn(QStringLiteral("Процесс импорта остановлен пользователем"),
             QStringLiteral("Cписок импортирован не полностью"));  // "C" is the Latin capital, as always shown
        QDialog::done(QDialog::Rejected);
        return;
    }
    ggImp->setValue(ggImp->maximum());
    bbnClose->setText(QStringLiteral("! Готово !"));
    setButtonTextColour(bbnClose, kGreen);
}

void TfmImpSpis::bbnCloseClick() {
    if (running_) {
        stopRequested_ = true;  // noticed at the next source taxpayer
        return;
    }
    QDialog::done(QDialog::Rejected);
}

void TfmImpSpis::reject() { bbnCloseClick(); }

void TfmImpSpis::closeEvent(QCloseEvent* event) {
    if (running_) {
        // The run cannot be left in the middle of a taxpayer: it stops before
        // the next one and then closes the window itself.
        stopRequested_ = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void RunImpSpisWindow(data::TdmKVZT& dm, const QString& directory, quint8 kind, const ImpSpisEntryHooks& hooks) {
    const QString srcDir = withoutTrailingSeparator(directory);
    data::SpisDblFound = false;
    data::SvedDblFound = false;
    if (kind < quint8(SourceKind::Dos1) || kind > quint8(SourceKind::Win32)) return;  // no such command

    const auto warn = hooks.warn ? hooks.warn : [](const QString& first, const QString& second) {
        data::ShowWarning(first, second);
    };
    ImportRequest request;
    request.srcDir = srcDir;
    request.kind = SourceKind(kind);
    request.impDir = DefaultImpDir();
    if (const auto warning = CheckImportFiles(request.srcDir, request.kind, request.impDir)) {
        warn(warning->line1, warning->line2);
        return;
    }

    TfmImpSpis fmImpSpis(dm, request);
    if (hooks.warn) fmImpSpis.warn = hooks.warn;
    if (hooks.showError) fmImpSpis.showError = hooks.showError;
    if (hooks.runWindow) {
        fmImpSpis.show();
        hooks.runWindow(fmImpSpis);
        if (fmImpSpis.isVisible()) fmImpSpis.hide();
    } else {
        fmImpSpis.exec();
    }
    data::SpisDblFound = fmImpSpis.importResult().spisDblFound;
    data::SvedDblFound = fmImpSpis.importResult().svedDblFound;
}

}  // namespace kvzt::import::ui
