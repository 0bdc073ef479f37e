#include "duplicates/ui/sved_find_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kvzt::duplicates::ui {

SvedFindDialog::SvedFindDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FindDlg"));
    setWindowTitle(QStringLiteral("Найти"));
    setModal(false);

    edText = new QLineEdit(this);
    edText->setObjectName(QStringLiteral("edText"));
    auto* direction = new QGroupBox(QStringLiteral("Направление"), this);
    rbUp = new QRadioButton(QStringLiteral("&Вверх"), direction);
    rbDown = new QRadioButton(QStringLiteral("В&низ"), direction);
    rbDown->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(rbUp);
    directionLayout->addWidget(rbDown);

    bnFindNext = new QPushButton(QStringLiteral("&Найти далее"), this);
    bnFindNext->setDefault(true);
    bnFindNext->setEnabled(false);
    bnCancel = new QPushButton(QStringLiteral("Отмена"), this);

    auto* left = new QVBoxLayout;
    auto* textRow = new QHBoxLayout;
    textRow->addWidget(new QLabel(QStringLiteral("&Что:"), this));
    textRow->addWidget(edText, 1);
    left->addLayout(textRow);
    left->addWidget(direction);
    auto* right = new QVBoxLayout;
    right->addWidget(bnFindNext);
    right->addWidget(bnCancel);
    right->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);

    connect(edText, &QLineEdit::textChanged, this,
            [this](const QString& text) { bnFindNext->setEnabled(!text.isEmpty()); });
    connect(bnFindNext, &QPushButton::clicked, this, [this] {
        if (findNext && !edText->text().isEmpty()) findNext(edText->text(), rbDown->isChecked());
    });
    connect(bnCancel, &QPushButton::clicked, this, &QDialog::hide);
}

}  // namespace kvzt::duplicates::ui
