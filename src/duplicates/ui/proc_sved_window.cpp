#include "duplicates/ui/proc_sved_window.h"

namespace kvzt::duplicates::ui {

TfmSvedProc::TfmSvedProc(data::TdmKVZT& dm, IncomeInclusionRequest request, QWidget* parent)
    : StopProgressWindow(QStringLiteral("fmSvedProc"), QStringLiteral("Выполнение процесса включения сведений о доходах"),
                         QSize(474, 89), QRect(173, 35, 98 + 30, 25 + 3),  // room for the bold text of the styles
                         std::nullopt, parent),
      dm_(dm),
      request_(std::move(request)) {}

TfmSvedProc::Outcome TfmSvedProc::runProcess() {
    // After an error its row is rolled back and keeps its mark; the rows
    // before it stay written.
    result_ = RunIncomeInclusion(dm_, request_, *this);
    return {result_.errorText(), result_.stoppedByUser};
}

void TfmSvedProc::warnStopped() { warn(StoppedByUserText(), QString()); }

}  // namespace kvzt::duplicates::ui
