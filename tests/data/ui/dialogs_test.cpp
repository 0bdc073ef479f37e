// The warning and question windows: placement, texts, keys and results.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "data/ui/dialog_look.h"
#include "data/ui/question_dialog.h"
#include "data/ui/warning_dialog.h"
#include "support/qt_app_support.h"

using namespace kvzt::data;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

void showAndActivate(QWidget& w) { kvzt::test::showActive(w); }

// Sends one key press to whatever has the focus in the active modal window.
void pressInModal(Qt::Key key) {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : modal;
    kvzt::test::keyClick(target, key);
}

bool centred(const QWidget& w) {
    const QPoint screen = w.screen()->availableGeometry().center();
    const QPoint mine = w.frameGeometry().center();
    return (screen - mine).manhattanLength() <= 2;
}

}  // namespace

TEST(WarningDialog, TwoLinesOneLineAndTheLook) {
    kvzt::test::qtApp();
    TfmAhtung w;
    w.setMessages(u("Первая строка"), u("Вторая строка"));
    showAndActivate(w);
    EXPECT_EQ(w.windowTitle(), u("К Вашему сведению ..."));
    EXPECT_EQ(w.size(), QSize(374, 120));
    EXPECT_TRUE(centred(w));
    EXPECT_EQ(w.palette().color(QPalette::Window), QColor(192, 192, 192));
    EXPECT_EQ(w.lbMes1->y(), 11);
    EXPECT_EQ(w.lbMes2->y(), 36);
    EXPECT_TRUE(w.lbMes1->isVisible() && w.lbMes2->isVisible());
    EXPECT_EQ(w.OKBtn->text(), u("&Продолжить"));
    EXPECT_EQ(w.OKBtn->geometry(), QRect(127, 90, 120, 27));
    EXPECT_TRUE(w.OKBtn->hasFocus());
    w.hide();

    TfmAhtung onlyFirst;
    onlyFirst.setMessages(u("Одна строка"), u(""));
    showAndActivate(onlyFirst);
    EXPECT_EQ(onlyFirst.lbMes1->y(), 30);
    EXPECT_FALSE(onlyFirst.lbMes2->isVisible());
    onlyFirst.hide();

    TfmAhtung onlySecond;
    onlySecond.setMessages(u(""), u("Только вторая"));
    showAndActivate(onlySecond);
    EXPECT_EQ(onlySecond.lbMes2->y(), 30);
    EXPECT_FALSE(onlySecond.lbMes1->isVisible());
    onlySecond.hide();
}

TEST(WarningDialog, ButtonGivesTrueEscapeFalse) {
    kvzt::test::qtApp();
    QTimer::singleShot(0, [] { pressInModal(Qt::Key_Return); });
    EXPECT_TRUE(ShowWarning(u("Таблица не найдена"), u("<b>не разметка</b>")));
    QTimer::singleShot(0, [] { pressInModal(Qt::Key_Escape); });
    EXPECT_FALSE(ShowWarning(u("a"), u("b")));
}

TEST(WarningDialog, LongTextsAreCutTo70AndShownAsPlainText) {
    kvzt::test::qtApp();
    TfmAhtung w;
    const QString eighty = QString(80, QChar(0x0416));
    w.setMessages(eighty, u("<i>x</i> & y"));
    showAndActivate(w);
    EXPECT_EQ(w.lbMes1->text(), eighty.left(70));
    EXPECT_EQ(w.lbMes2->text(), u("<i>x</i> & y"));
    EXPECT_EQ(w.lbMes2->textFormat(), Qt::PlainText);
}

TEST(QuestionDialog, ButtonsWithAndWithoutCancel) {
    kvzt::test::qtApp();
    TfmQueston q;
    q.setMessages(u("Перед выполнением импорта"), u("произвести очистку целевой БД \"Таксанта\"?"), u(""), true);
    showAndActivate(q);
    EXPECT_EQ(q.windowTitle(), u("Скажите пожалуйста ..."));
    EXPECT_EQ(q.size(), QSize(399, 130));
    EXPECT_TRUE(centred(q));
    EXPECT_EQ(q.lbMes1->y(), 17);
    EXPECT_EQ(q.lbMes2->y(), 36);
    EXPECT_EQ(q.lbQuest->y(), 61);
    EXPECT_EQ(q.lbQuest->text(), u(""));
    EXPECT_EQ(q.OKBtn->pos(), QPoint(51, 99));
    EXPECT_EQ(q.CancelBtn->pos(), QPoint(150, 99));
    EXPECT_EQ(q.bbnCanc->pos(), QPoint(252, 99));
    EXPECT_TRUE(q.bbnCanc->isVisible());
    EXPECT_EQ(q.OKBtn->height(), 28);
    EXPECT_EQ(q.OKBtn->text(), u("&Да"));
    EXPECT_EQ(q.CancelBtn->text(), u("&Нет"));
    EXPECT_EQ(q.bbnCanc->text(), u("&Отмена"));
    EXPECT_TRUE(q.OKBtn->hasFocus());
    q.hide();

    TfmQueston two;
    two.setMessages(u("Выполняется программа \"Таксант\""), u("для работы \"Квазитора\" ее надо закрыть"),
                    u("Продолжать?"), false);
    showAndActivate(two);
    EXPECT_EQ(two.OKBtn->pos(), QPoint(67, 99));
    EXPECT_EQ(two.CancelBtn->pos(), QPoint(236, 99));
    EXPECT_FALSE(two.bbnCanc->isVisible());
    two.hide();
}

TEST(QuestionDialog, KeysAndResults) {
    kvzt::test::qtApp();
    // Enter presses the focused "Да".
    QTimer::singleShot(0, [] { pressInModal(Qt::Key_Return); });
    EXPECT_EQ(Ask(u("a"), u("b"), u("c"), true), 1);
    // Escape chooses "Отмена" while it is shown.
    QTimer::singleShot(0, [] { pressInModal(Qt::Key_Escape); });
    EXPECT_EQ(Ask(u("a"), u("b"), u("c"), true), 4);
    // Without it Escape is a "Нет".
    QTimer::singleShot(0, [] { pressInModal(Qt::Key_Escape); });
    EXPECT_EQ(Ask(u("a"), u("b"), u("c"), false), 2);
    // Tab to "Нет", then Enter.
    QTimer::singleShot(0, [] {
        pressInModal(Qt::Key_Tab);
        pressInModal(Qt::Key_Return);
    });
    EXPECT_EQ(Ask(u("a"), u("b"), u("c"), true), 2);
    // A click on "Отмена".
    QTimer::singleShot(0, [] {
        auto* q = qobject_cast<TfmQueston*>(QApplication::activeModalWidget());
        ASSERT_NE(q, nullptr);
        kvzt::test::mouseClick(q->bbnCanc);
    });
    EXPECT_EQ(Ask(u("a"), u("b"), u("c"), true), 4);
}

TEST(QuestionDialog, EightyCharactersShowAsSeventy) {
    kvzt::test::qtApp();
    TfmQueston q;
    const QString eighty = u("0123456789").repeated(8);
    q.setMessages(eighty, eighty, eighty, false);
    showAndActivate(q);
    EXPECT_EQ(q.lbMes1->text(), eighty.left(70));
    EXPECT_EQ(q.lbMes2->text(), eighty.left(70));
    EXPECT_EQ(q.lbQuest->text(), eighty.left(70));
}

// Lines longer than the windows' own width: the window grows so that no line
// is cut (and stays centred), the buttons stay in the middle; short lines keep
// the windows' own size.
TEST(Dialogs, GrowToTheirLongestLineWithTheirOwnSizeTheLeast) {
    kvzt::test::qtApp();
    const auto fits = [](const QLabel* line) {
        return line->fontMetrics().horizontalAdvance(line->text()) + line->contentsMargins().left() +
                   line->contentsMargins().right() <= line->width();
    };
    TfmQueston q;
    q.setMessages(u("Вы уверены, что хотите удалить записи из классификатора адресов"),
                  u("по всем выбранным регионам Российской Федерации, без возврата?"), u("Продолжать?"), true);
    showAndActivate(q);
    EXPECT_GT(q.width(), 399);
    EXPECT_EQ(q.height(), 130);
    EXPECT_TRUE(fits(q.lbMes1) && fits(q.lbMes2) && fits(q.lbQuest));
    EXPECT_LE(q.bevel->geometry().right(), q.width());
    EXPECT_TRUE(centred(q));
    const int middle = (q.OKBtn->geometry().left() + q.bbnCanc->geometry().right()) / 2;
    EXPECT_NEAR(middle, q.width() / 2, 8);
    // KVZT_SHOT_DIR=/some/dir keeps pictures for a look by eye.
    const QString shots = qEnvironmentVariable("KVZT_SHOT_DIR");
    if (!shots.isEmpty()) q.grab().save(shots + QStringLiteral("/question_long.png"));
    q.hide();

    TfmAhtung w;
    w.setMessages(u("Таблица SPISOK32 псевдонима VX_B повреждена и не может быть открыта сейчас"), u("x"));
    showAndActivate(w);
    EXPECT_GT(w.width(), 374);
    EXPECT_TRUE(fits(w.lbMes1));
    EXPECT_NEAR(w.OKBtn->geometry().center().x(), w.width() / 2, 8);
    EXPECT_TRUE(centred(w));
    if (!shots.isEmpty()) w.grab().save(shots + QStringLiteral("/warning_long.png"));
    w.hide();

    TfmAhtung shortOne;
    shortOne.setMessages(u("Коротко"), u("и ясно"));
    showAndActivate(shortOne);
    EXPECT_EQ(shortOne.size(), QSize(374, 120));
}

// A coloured caption ("! Готово !" in green) keeps its colour only while its
// button is enabled: disabled, it is drawn grey and so looks disabled.
TEST(Dialogs, ColouredButtonLooksDisabledWhenDisabled) {
    kvzt::test::qtApp();
    QPushButton button(u("! Готово !"));
    kvzt::data::dialog_look::setTextColour(&button, QColor(0, 128, 0));
    button.resize(130, 28);
    const QImage enabled = button.grab().toImage();
    button.setEnabled(false);
    const QImage disabled = button.grab().toImage();
    EXPECT_NE(enabled, disabled);
    EXPECT_EQ(button.palette().color(QPalette::Active, QPalette::ButtonText), QColor(0, 128, 0));
    EXPECT_NE(button.palette().color(QPalette::Disabled, QPalette::ButtonText), QColor(0, 128, 0));
}
