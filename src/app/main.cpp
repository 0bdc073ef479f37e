// The desktop program's entry.

#include <QApplication>

#include "app/about_box.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Квазитор \"Таксанта\""));
    TfmAbout about;
    about.show();
    return app.exec();
}
