#pragma once
// The program's default error box: the text of an error that no window
// handled, shown over the active window. The program carries on afterwards.

#include <QApplication>
#include <QString>

#include <functional>

namespace kvzt::app {

// A critical message box with the application's title and `message`.
void ShowEngineError(QWidget* parent, const QString& message);

// The desktop program's application object: an engine error (or any other
// exception) escaping an event handler or a slot reaches the error box
// instead of ending the program, and the event loop goes on.
class KvztApplication : public QApplication {
public:
    using ErrorShower = std::function<void(const QString& message)>;

    KvztApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;

    // What shows such an error (the error box unless replaced; the window
    // tests record it instead of waiting on a modal box).
    void setUnhandledErrorShower(ErrorShower shower) { shower_ = std::move(shower); }

private:
    void showUnhandled(const QString& message);

    ErrorShower shower_;
};

}  // namespace kvzt::app
