#include "duplicates/ui/find_text_dialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kvzt::duplicates::ui {

FindTextDialog::FindTextDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FindDlg"));
    setWindowTitle(QStringLiteral("Найти"));
    setModal(false);

    edText = new QLineEdit(this);
    edText->setObjectName(QStringLiteral("edText"));
    auto* label = new QLabel(QStringLiteral("&Образец:"), this);
    label->setBuddy(edText);

    auto* direction = new QGroupBox(QStringLiteral("Направление"), this);
    rbUp = new QRadioButton(QStringLiteral("&Вверх"), direction);
    rbDown = new QRadioButton(QStringLiteral("Вн&из"), direction);
    rbDown->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(rbUp);
    directionLayout->addWidget(rbDown);

    bnFindNext = new QPushButton(QStringLiteral("&Найти далее"), this);
    bnFindNext->setDefault(true);
    bnCancel = new QPushButton(QStringLiteral("Отмена"), this);
    connect(bnFindNext, &QPushButton::clicked, this, [this] {
        if (findNext && !findText().isEmpty()) findNext(findText(), forward());
    });
    connect(bnCancel, &QPushButton::clicked, this, &QDialog::hide);
    connect(edText, &QLineEdit::textChanged, this,
            [this](const QString& text) { bnFindNext->setEnabled(!text.isEmpty()); });
    bnFindNext->setEnabled(false);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(edText, 0, 1);
    layout->addWidget(direction, 1, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(bnFindNext);
    buttons->addWidget(bnCancel);
    buttons->addStretch(1);
    layout->addLayout(buttons, 0, 2, 2, 1);
}

QString FindTextDialog::findText() const { return edText->text(); }

bool FindTextDialog::forward() const { return rbDown->isChecked(); }

}  // namespace kvzt::duplicates::ui
