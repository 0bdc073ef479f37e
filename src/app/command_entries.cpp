#include "app/command_entries.h"

#include "data/program_flags.h"
#include "data/ui/warning_dialog.h"

namespace kvzt::app {

namespace {

void notReadyYet() { data::ShowWarning(QStringLiteral("В состоянии разработки"), QString()); }

}  // namespace

void RunImpSpis(const QString& directory, quint8 kind) {
    Q_UNUSED(directory);
    Q_UNUSED(kind);
    data::SpisDblFound = false;
    data::SvedDblFound = false;
    notReadyYet();
}

void ReviewSpisDbl() { notReadyYet(); }

void ReviewSvedDbl(quint8 kind) {
    Q_UNUSED(kind);
    notReadyYet();
}

void RunImpKladr(bool importMode) {
    Q_UNUSED(importMode);
    notReadyYet();
}

void RunSprTools(quint8 tag) {
    Q_UNUSED(tag);
    notReadyYet();
}

void RunDataServ(quint8 tag) {
    Q_UNUSED(tag);
    notReadyYet();
}

}  // namespace kvzt::app
