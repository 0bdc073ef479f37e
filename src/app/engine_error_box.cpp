#include "app/engine_error_box.h"


#include <exception>

#include "data/ui/long_message_box.h"
#include "engine/errors.h"

namespace kvzt::app {

void ShowEngineError(QWidget* parent, const QString& message) {
    // A long text (many tables failing at start-up, say) scrolls in its box.
    data::ShowLongError(parent, QCoreApplication::applicationName(), message);
}

bool KvztApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const engine::EngineError& e) {
        ShowEngineError(nullptr, QString::fromStdString(e.what()));
    } catch (const std::exception& e) {
        ShowEngineError(nullptr, QString::fromUtf8(e.what()));
    } catch (...) {
        ShowEngineError(nullptr, QStringLiteral("Непредвиденная ошибка программы."));
    }
    return false;
}

}  // namespace kvzt::app
