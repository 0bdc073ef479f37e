#include "data/ui/question_dialog.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "data/ui/dialog_look.h"

namespace kvzt::data {

namespace {

constexpr int kWidth = 399;
constexpr int kBevelWidth = 383;
constexpr int kLineWidth = 345;
constexpr int kButtonTop = 99;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 28;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QStyle::StandardPixmap icon) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(parent->style()->standardIcon(icon));
    button->setGeometry(0, kButtonTop, kButtonWidth, kButtonHeight);
    return button;
}

}  // namespace

TfmQueston::TfmQueston(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmQueston"));
    dialog_look::setUpWindow(this, QStringLiteral("Скажите пожалуйста ..."), kWidth, 130);

    bevel = dialog_look::makeBevel(this, 8, 6, kBevelWidth, 87);

    imQestion = new QLabel(this);
    imQestion->setObjectName(QStringLiteral("imQestion"));
    imQestion->setScaledContents(true);
    imQestion->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    imQestion->setGeometry(16, 32, 32, 32);

    lbMes1 = dialog_look::makeLine(this, "lbMes1", 40, 17, kLineWidth, 17);
    lbMes2 = dialog_look::makeLine(this, "lbMes2", 40, 36, kLineWidth, 17);
    lbQuest = dialog_look::makeLine(this, "lbQuest", 40, 61, kLineWidth, 17);
    for (QLabel* line : {lbMes1, lbMes2, lbQuest}) line->setContentsMargins(10, 0, 10, 0);  // clear of the picture

    OKBtn = makeButton(this, "OKBtn", QStringLiteral("&Да"), QStyle::SP_DialogYesButton);
    CancelBtn = makeButton(this, "CancelBtn", QStringLiteral("&Нет"), QStyle::SP_DialogNoButton);
    bbnCanc = makeButton(this, "bbnCanc", QStringLiteral("&Отмена"), QStyle::SP_DialogCancelButton);
    connect(OKBtn, &QPushButton::clicked, this, [this] { done(kAnswerYes); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { done(kAnswerNo); });
    connect(bbnCanc, &QPushButton::clicked, this, [this] { done(kAnswerCancel); });
}

void TfmQueston::setMessages(const QString& first, const QString& second, const QString& question,
                             bool withCancel) {
    first_ = first.left(dialog_look::kTextLength);
    second_ = second.left(dialog_look::kTextLength);
    question_ = question.left(dialog_look::kTextLength);
    withCancel_ = withCancel;
}

void TfmQueston::reject() { done(withCancel_ ? kAnswerCancel : kAnswerNo); }

void TfmQueston::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TfmQueston::FormShow() {
    lbMes1->setText(first_);
    lbMes2->setText(second_);
    lbQuest->setText(question_);
    // The window grows to its longest line (its own size is the least), the
    // buttons staying in the middle.
    const int extra = dialog_look::extraWidthFor({lbMes1, lbMes2, lbQuest}, kLineWidth);
    bevel->resize(kBevelWidth + extra, bevel->height());
    for (QLabel* line : {lbMes1, lbMes2, lbQuest}) line->resize(kLineWidth + extra, line->height());
    const int shift = extra / 2;
    if (withCancel_) {
        OKBtn->move(51 + shift, kButtonTop);
        CancelBtn->move(150 + shift, kButtonTop);
        bbnCanc->move(252 + shift, kButtonTop);
        bbnCanc->setVisible(true);
    } else {
        OKBtn->move(67 + shift, kButtonTop);
        CancelBtn->move(236 + shift, kButtonTop);
        bbnCanc->setVisible(false);
    }
    setFixedSize(kWidth + extra, height());
    // "Отмена" is the default button; the focused "Да" takes Enter first.
    bbnCanc->setDefault(withCancel_);
    dialog_look::centreOnScreen(this);
    OKBtn->setFocus();
}

int Ask(const QString& first, const QString& second, const QString& question, bool withCancel, QWidget* parent) {
    TfmQueston dialog(parent ? parent : QApplication::activeWindow());
    dialog.setMessages(first, second, question, withCancel);
    const int result = dialog.exec();
    return result == kAnswerYes || result == kAnswerCancel ? result : kAnswerNo;
}

}  // namespace kvzt::data
