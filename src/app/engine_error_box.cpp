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
        showUnhandled(QString::fromStdString(e.what()));
    } catch (const std::exception& e) {
        showUnhandled(QString::fromUtf8(e.what()));
    } catch (...) {
        showUnhandled(QStringLiteral("Непредвиденная ошибка программы."));
    }
    return false;
}

void KvztApplication::showUnhandled(const QString& message) {
    // Nothing may leave notify(): an error escaping the box's own event loop
    // comes back through notify() and gets a box of its own; a box that
    // cannot be shown at all is given up.
    try {
        if (shower_)
            shower_(message);
        else
            ShowEngineError(nullptr, message);
    } catch (...) {
        // Nothing is left to show it with; the program carries on.
    }
}

}  // namespace kvzt::app
