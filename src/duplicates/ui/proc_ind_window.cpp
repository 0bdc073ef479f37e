#include "duplicates/ui/proc_ind_window.h"

namespace kvzt::duplicates::ui {

TfmProcInd::TfmProcInd(data::TdmKVZT& dm, engine::Table* duplicates, QWidget* parent)
    : StopProgressWindow(QStringLiteral("fmProcInd"), QStringLiteral("Выполнение процесса включения таксантов"),
                         QSize(418, 92), QRect(173, 35, 98, 25), QPoint(200, 108), parent),
      dm_(dm),
      duplicates_(duplicates) {}

TfmProcInd::Outcome TfmProcInd::runProcess() {
    ListInclusionRequest request;
    request.duplicates = duplicates_;
    request.hooks = hooks;
    // After an error the rows before the failed one stay written.
    result_ = RunListInclusion(dm_, request, *this);
    return {result_.errorText(), result_.stoppedByUser};
}

void TfmProcInd::warnStopped() { warn(StoppedByUserText(), QString()); }

InclusionResult IncludeSpis(data::TdmKVZT& dm, engine::Table* duplicates, QWidget* owner,
                            const std::function<void(TfmProcInd&)>& prepare) {
    TfmProcInd fmProcInd(dm, duplicates, owner);
    if (prepare) prepare(fmProcInd);
    fmProcInd.exec();
    return fmProcInd.result();
}

}  // namespace kvzt::duplicates::ui
