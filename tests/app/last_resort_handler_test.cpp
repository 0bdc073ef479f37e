// The desktop program's last resort: an error that escapes a slot or an
// event handler is shown (here recorded) instead of ending the program, and
// the program goes on taking events.

#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

#include "app/engine_error_box.h"
#include "engine/errors.h"
#include "support/qt_app_support.h"

using kvzt::app::KvztApplication;

namespace {

class LastResortTest : public ::testing::Test {
protected:
    LastResortTest() : app(dynamic_cast<KvztApplication*>(&kvzt::test::qtApp())) {
        if (app) app->setUnhandledErrorShower([this](const QString& message) { shown << message; });
    }
    ~LastResortTest() override {
        if (app)
            app->setUnhandledErrorShower(
                [](const QString& message) { ADD_FAILURE() << "unhandled error: " << message.toStdString(); });
    }

    KvztApplication* app;
    QStringList shown;
};

}  // namespace

TEST_F(LastResortTest, AnErrorFromASlotIsShownAndTheProgramGoesOn) {
    ASSERT_TRUE(app) << "the window tests run under the program's application object";
    QPushButton button(QStringLiteral("Упаковать"));
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&clicks] {
        ++clicks;
        throw kvzt::engine::EngineError(kvzt::engine::code::DiskFull, "Нет места на диске: /data/base/SPISOK32.DBF");
    });
    kvzt::test::showActive(button);

    kvzt::test::mouseClick(&button);
    ASSERT_EQ(shown, QStringList{QStringLiteral("Нет места на диске: /data/base/SPISOK32.DBF")});
    // The button still answers.
    kvzt::test::mouseClick(&button);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(shown.size(), 2);
}

TEST_F(LastResortTest, TheEventLoopSurvivesErrorsOfEveryKind) {
    ASSERT_TRUE(app);
    QEventLoop loop;
    bool laterEventRan = false;
    QTimer::singleShot(0, [] { throw kvzt::engine::EngineError(kvzt::engine::code::Io, "Ошибка ввода-вывода: /x/K1REG.DBF"); });
    QTimer::singleShot(0, [] { throw std::runtime_error("bad_alloc"); });
    QTimer::singleShot(0, [] { throw 42; });
    QTimer::singleShot(0, [&laterEventRan] { laterEventRan = true; });
    QTimer::singleShot(50, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(laterEventRan);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Ошибка ввода-вывода: /x/K1REG.DBF"), QStringLiteral("bad_alloc"),
                                  QStringLiteral("Непредвиденная ошибка программы.")}));
}
