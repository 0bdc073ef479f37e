// The desktop program's entry: the application title, the main window, the
// data module on the configured (or embedded default) database, then the
// message loop until the main window closes.

#include <QTranslator>

#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/engine_error_box.h"
#include "app/main_window.h"
#include "app/toolkit_translation.h"
#include "data/data_module.h"
#include "data/program_places.h"
#include "engine/errors.h"
#include "engine/run_lock.h"
#include "engine/session.h"
#include "schema/pack_error.h"

namespace {

int run(kvzt::app::KvztApplication& app) {
    QApplication::setApplicationName(kvzt::app::kApplicationTitle);
    // The toolkit's own dialogs (file dialog, message boxes) in Russian too.
    QTranslator toolkitTexts;
    if (kvzt::app::LoadToolkitTranslation(toolkitTexts, kvzt::data::Places().dataDirectory)) {
        app.installTranslator(&toolkitTexts);
    }

    // A failed pack sounds the exclamation beep before its error is shown.
    kvzt::schema::SetPackErrorAlert([] { QApplication::beep(); });

    // Creating the main window opens the settings file and sets the regional formats.
    kvzt::app::TfmMain fmMain;

    std::unique_ptr<kvzt::engine::Session> session;
    try {
        session = kvzt::data::OpenProgramSession();
    } catch (const kvzt::engine::EngineError& e) {
        kvzt::app::ShowEngineError(nullptr, QString::fromStdString(e.what()));
        // No alias is known: every command reports that, and the program stays usable.
        session = std::make_unique<kvzt::engine::Session>(kvzt::engine::AliasConfig{});
    }
    // One maintenance run at a time per database: the program holds the run
    // lock of its VX_B database for its whole life, since nearly every
    // command writes. While another of our programs holds it, this one does
    // not start.
    std::unique_ptr<kvzt::engine::RunLock> runLock;
    const std::optional<std::string> base = session->config().directory("VX_B");
    if (base && std::filesystem::is_directory(*base)) {
        try {
            runLock = kvzt::engine::RunLock::acquire(*base, "программа Квазитор");
        } catch (const kvzt::engine::EngineError& e) {
            kvzt::app::ShowEngineError(nullptr, QString::fromStdString(e.what()));
            if (e.code() == kvzt::engine::code::TableInUse) {
                return 1;
            }
        }
    }
    kvzt::data::TdmKVZT dmKVZT(std::move(session), kvzt::data::TdmKVZT::Connect::Later);
    try {
        dmKVZT.connect();
    } catch (const kvzt::engine::EngineError&) {
        // A first start has no tables yet: the start-up check of the main
        // window's first show creates them, and the module is connected
        // after it (an error then is shown).
    }
    fmMain.setDataModule(&dmKVZT);

    fmMain.show();
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    kvzt::app::KvztApplication app(argc, argv);
    // The last resort: an error that escaped every window (say a full disk
    // while the main window closes its tables) is shown, never an abort.
    try {
        return run(app);
    } catch (const std::exception& e) {
        kvzt::app::ShowEngineError(nullptr, QString::fromUtf8(e.what()));
    } catch (...) {
        kvzt::app::ShowEngineError(nullptr, QStringLiteral("Непредвиденная ошибка программы."));
    }
    return 1;
}
