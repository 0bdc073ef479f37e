#include "app/engine_error_box.h"

#include <QMessageBox>

#include <exception>

#include "engine/errors.h"

namespace kvzt::app {

void ShowEngineError(QWidget* parent, const QString& message) {
    QMessageBox::critical(parent ? parent : QApplication::activeWindow(), QCoreApplication::applicationName(),
                          message);
}

bool KvztApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const engine::EngineError& e) {
        ShowEngineError(nullptr, QString::fromStdString(e.what()));
    } catch (const std::exception& e) {
        ShowEngineError(nullptr, QString::fromLocal8Bit(e.what()));
    }
    return false;
}

}  // namespace kvzt::app
