#pragma once
// The program's default error box: the text of an error that no window
// handled, shown over the active window. The program carries on afterwards.

#include <QApplication>
#include <QString>

namespace kvzt::app {

// A critical message box with the application's title and `message`.
void ShowEngineError(QWidget* parent, const QString& message);

// The desktop program's application object: an engine error (or any other
// exception) escaping an event handler reaches the error box instead of
// ending the program.
class KvztApplication : public QApplication {
public:
    KvztApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace kvzt::app
