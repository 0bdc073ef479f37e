#include "app/about_box.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

TfmAbout::TfmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("fmAbout");
    setWindowTitle(QStringLiteral("О программе"));
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(QStringLiteral("<b>Квазитор \"Таксанта\"</b>"), this);
    auto* version = new QLabel(QStringLiteral("Версия 3.2w"), this);
    auto* what = new QLabel(QStringLiteral("Обслуживание базы данных программы \"Таксант\": импорт данных прежних "
                                           "версий, классификатор адресов, переиндексация и уплотнение таблиц."),
                            this);
    what->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(what);
    layout->addWidget(buttons);
}
