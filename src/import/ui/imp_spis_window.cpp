#include "import/ui/imp_spis_window.h"

#include <QShowEvent>

#include "data/program_flags.h"
#include "data/ui/warning_dialog.h"

namespace kvzt::import::ui {

namespace {

constexpr int kWidth = 465;
constexpr int kHeight = 72;
constexpr int kButtonWidth = 130;

QString withoutTrailingSeparator(QString directory) {
    if (directory.endsWith(QLatin1Char('\\')) || directory.endsWith(QLatin1Char('/'))) directory.chop(1);
    return directory;
}

}  // namespace

TfmImpSpis::TfmImpSpis(data::TdmKVZT& dm, ImportRequest request, QWidget* parent)
    : StopProgressWindow(QStringLiteral("fmImpSpis"), QStringLiteral("Выполнение импорта "), QSize(kWidth, kHeight),
                         QRect((kWidth - kButtonWidth) / 2, 36, kButtonWidth, 28), std::nullopt, parent),
      dm_(dm),
      request_(std::move(request)) {}

QString TfmImpSpis::CaptionFor(SourceKind kind) {
    return QStringLiteral("Импорт данных \"Таксант\" ") +
           (kind == SourceKind::Dos2 ? QStringLiteral("DOS-версии 2.*") : QStringLiteral("Win-версии 3.2"));
}

void TfmImpSpis::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) setWindowTitle(CaptionFor(request_.kind));
    StopProgressWindow::showEvent(event);
}

TfmImpSpis::Outcome TfmImpSpis::runProcess() {
    result_ = RunImport(dm_, request_, *this);
    // After an error: which record and why; the records before it stay written.
    return {result_.errorText(), result_.stoppedByUser};
}

void TfmImpSpis::warnStopped() {
    warn(QStringLiteral("Процесс импорта остановлен пользователем"),
         QStringLiteral("Cписок импортирован не полностью"));  // "C" is the Latin capital, as always shown
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
