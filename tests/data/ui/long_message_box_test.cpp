// The error box of long texts: short texts show whole, long ones scroll
// while the box and its button stay on the screen.

#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include "data/ui/long_message_box.h"
#include "support/qt_app_support.h"

using kvzt::data::LongMessageBox;

TEST(LongMessageBox, LongTextScrollsAndTheButtonStaysOnTheScreen) {
    kvzt::test::qtApp();
    QStringList lines;
    for (int i = 0; i < 120; ++i)
        lines << QStringLiteral("VX_B:TABLE%1.DBF: Ошибка ввода-вывода (нет прав доступа): /home/user/data/base").arg(i);
    LongMessageBox box(nullptr, QStringLiteral("Квазитор"), lines.join(QLatin1Char('\n')));
    box.show();
    const QRect room = box.screen()->availableGeometry();
    EXPECT_LE(box.frameGeometry().height(), room.height());
    EXPECT_LE(box.frameGeometry().width(), room.width());
    EXPECT_TRUE(box.textArea->verticalScrollBar()->isVisible());
    const QRect button = box.buttons->geometry();
    EXPECT_LE(button.bottom(), box.height());
    EXPECT_EQ(box.textLabel->textFormat(), Qt::PlainText);
    if (const QString shots = qEnvironmentVariable("KVZT_SHOT_DIR"); !shots.isEmpty())
        box.grab().save(shots + QStringLiteral("/long_message_box.png"));
    box.hide();

    LongMessageBox shortBox(nullptr, QStringLiteral("Квазитор"), QStringLiteral("Каталог VX_B \"/x\" не найден"));
    shortBox.show();
    EXPECT_FALSE(shortBox.textArea->verticalScrollBar()->isVisible());
    EXPECT_GE(shortBox.textArea->viewport()->width(),
              shortBox.textLabel->fontMetrics().horizontalAdvance(shortBox.textLabel->text()));
}
