#include "app/command_entries.h"

#include "data/data_module.h"
#include "data/program_flags.h"
#include "data/ui/warning_dialog.h"
#include "engine/errors.h"
#include "refbooks/ui/spr_tools_window.h"
#include "schema/ui/data_service_window.h"

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
    data::TdmKVZT* dm = data::dmKVZT();
    if (!dm) throw engine::EngineError(engine::code::InvalidState, "Нет соединения с базой данных");
    refbooks::ui::RunSprTools(dm->session(), tag, nullptr);
}

void RunDataServ(quint8 tag) {
    data::TdmKVZT* dm = data::dmKVZT();
    if (!dm) throw engine::EngineError(engine::code::InvalidHandle, "Модуль данных программы не создан");
    schema::ui::RunDataServWindow(tag, *dm);
}

}  // namespace kvzt::app
