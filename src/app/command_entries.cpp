#include "app/command_entries.h"

#include "app/engine_error_box.h"
#include "classifier/ui/imp_kladr_window.h"
#include "data/data_module.h"
#include "data/program_flags.h"
#include "data/ui/warning_dialog.h"
#include "duplicates/ui/list_review_window.h"
#include "duplicates/ui/sved_dbl_window.h"
#include "engine/errors.h"
#include "import/ui/imp_spis_window.h"
#include "refbooks/ui/spr_tools_window.h"
#include "schema/ui/data_service_window.h"

namespace kvzt::app {

void RunImpSpis(const QString& directory, quint8 kind) {
    data::SpisDblFound = false;
    data::SvedDblFound = false;
    data::TdmKVZT* dm = data::dmKVZT();
    if (!dm) throw engine::EngineError(engine::code::InvalidHandle, "Модуль данных программы не создан");
    import::ui::ImpSpisEntryHooks hooks;
    hooks.showError = ShowEngineError;
    import::ui::RunImpSpisWindow(*dm, directory, kind, hooks);
}

void ReviewSpisDbl() {
    data::TdmKVZT* dm = data::dmKVZT();
    if (!dm) throw engine::EngineError(engine::code::InvalidHandle, "Модуль данных программы не создан");
    duplicates::ui::ReviewSpisDblWindow(*dm, nullptr);
}

void ReviewSvedDbl(quint8 kind) {
    data::TdmKVZT* dm = data::dmKVZT();
    if (!dm) throw engine::EngineError(engine::code::InvalidHandle, "Модуль данных программы не создан");
    duplicates::ui::ReviewSvedDblWindow(*dm, kind, nullptr);
}

void RunImpKladr(bool importMode) {
    data::TdmKVZT* dm = data::dmKVZT();
    if (!dm) throw engine::EngineError(engine::code::InvalidHandle, "Модуль данных программы не создан");
    classifier::ui::RunImpKladrWindow(*dm, importMode, nullptr);
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
