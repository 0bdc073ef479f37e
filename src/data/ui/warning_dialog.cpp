#include "data/ui/warning_dialog.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <algorithm>

#include "data/ui/dialog_look.h"

namespace kvzt::data {

namespace {
constexpr int kOk = 1;
constexpr int kWidth = 374;
constexpr int kBevelWidth = 358;
constexpr int kLine1Width = 337;
constexpr int kLine2Width = 332;
constexpr int kButtonLeft = 127;
}  // namespace

TfmAhtung::TfmAhtung(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fmAhtung"));
    dialog_look::setUpWindow(this, QStringLiteral("К Вашему сведению ..."), kWidth, 120);

    bevel = dialog_look::makeBevel(this, 8, 6, kBevelWidth, 78);

    imVosclick = new QLabel(this);
    imVosclick->setObjectName(QStringLiteral("imVosclick"));
    imVosclick->setScaledContents(true);  // the picture is stretched to its box
    imVosclick->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    imVosclick->setGeometry(14, 26, 32, 32);

    lbMes1 = dialog_look::makeLine(this, "lbMes1", 30, 14, kLine1Width, 17);
    lbMes2 = dialog_look::makeLine(this, "lbMes2", 33, 36, kLine2Width, 40);
    lbMes2->setWordWrap(true);
    // The lines start over the picture: equal inner margins keep the text
    // centred and clear of it.
    lbMes1->setContentsMargins(16, 0, 16, 0);
    lbMes2->setContentsMargins(14, 0, 14, 0);

    OKBtn = new QPushButton(QStringLiteral("&Продолжить"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    OKBtn->setGeometry(kButtonLeft, 90, 120, 27);
    OKBtn->setDefault(true);
    // Escape and the close box reject the window: ShowWarning gives false.
    connect(OKBtn, &QPushButton::clicked, this, [this] { done(kOk); });
}

void TfmAhtung::setMessages(const QString& first, const QString& second) {
    first_ = first.left(dialog_look::kTextLength);
    second_ = second.left(dialog_look::kTextLength);
}

void TfmAhtung::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TfmAhtung::FormShow() {
    lbMes1->setText(first_);
    lbMes2->setText(second_);
    if (!first_.isEmpty()) {
        lbMes2->move(lbMes2->x(), 36);
        lbMes1->setVisible(true);
    } else {
        lbMes1->setVisible(false);
        lbMes2->move(lbMes2->x(), 30);
    }
    if (!second_.isEmpty()) {
        lbMes1->move(lbMes1->x(), 11);
        lbMes2->setVisible(true);
    } else {
        lbMes2->setVisible(false);
        lbMes1->move(lbMes1->x(), 30);
    }
    // The window grows to its first line (its own size is the least); the
    // second one wraps, but a single long word would be cut, so it counts
    // too when it holds no blank.
    int extra = dialog_look::extraWidthFor({lbMes1}, kLine1Width);
    if (!second_.contains(QLatin1Char(' '))) extra = std::max(extra, dialog_look::extraWidthFor({lbMes2}, kLine2Width));
    bevel->resize(kBevelWidth + extra, bevel->height());
    lbMes1->resize(kLine1Width + extra, lbMes1->height());
    lbMes2->resize(kLine2Width + extra, lbMes2->height());
    OKBtn->move(kButtonLeft + extra / 2, OKBtn->y());
    setFixedSize(kWidth + extra, height());
    dialog_look::centreOnScreen(this);
    OKBtn->setFocus();
}

bool ShowWarning(const QString& first, const QString& second, QWidget* parent) {
    TfmAhtung dialog(parent ? parent : QApplication::activeWindow());
    dialog.setMessages(first, second);
    return dialog.exec() == kOk;
}

}  // namespace kvzt::data
