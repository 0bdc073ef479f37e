#include "support/qt_app_support.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTableView>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/engine_error_box.h"

namespace kvzt::test {

QApplication& qtApp() {
    static QApplication* app = [] {
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "kvzt_ui_tests";
        static char* argv[] = {name, nullptr};
        // The program's own application object, so that windows are tested
        // as they run; an error escaping an event handler is a failure of
        // the test (one that expects it installs its own shower).
        auto* application = new kvzt::app::KvztApplication(argc, argv);
        application->setUnhandledErrorShower(
            [](const QString& message) { ADD_FAILURE() << "unhandled error in an event: " << message.toStdString(); });
        return application;
    }();
    return *app;
}

void showActive(QWidget& window) {
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    QApplication::processEvents();
}

void keyClick(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(target, &release);
    QApplication::processEvents();
}

void mouseClick(QWidget* target) {
    const QPointF local = QRectF(target->rect()).center();
    const QPointF global = target->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
    QApplication::processEvents();
}

void doubleClickCell(QTableView* view, int row, int column) {
    QWidget* port = view->viewport();
    const QPointF local = QRectF(view->visualRect(view->model()->index(row, column))).center();
    const QPointF global = port->mapToGlobal(local);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, local, global, Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(port, &event);
    }
    QApplication::processEvents();
}

}  // namespace kvzt::test
