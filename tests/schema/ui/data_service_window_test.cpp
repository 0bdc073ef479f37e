// The data service window: it runs its command from the timer while the
// data module's always-open tables are closed, ignores every key, and can be
// closed only through "! Готово !", also after a command that stopped.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <cstdlib>
#include <functional>

#include "data/data_module.h"
#include "engine/session.h"
#include "engine/table.h"
#include "schema/index_catalogue.h"
#include "schema/ui/data_service_window.h"
#include "support/catalogue_database.h"
#include "support/qt_app_support.h"

using namespace kvzt;
using schema::ui::TfmDataServ;

namespace {

bool waitUntil(const std::function<bool()>& condition, int ms = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// KVZT_GRAB_DIR=/some/dir keeps a picture of the window for a look by eye.
void grabIfAsked(QWidget& window, const char* name) {
    if (const char* dir = std::getenv("KVZT_GRAB_DIR")) {
        window.grab().save(QString::fromUtf8(dir) + QLatin1Char('/') + QLatin1String(name));
    }
}

std::vector<std::string> tagsOf(engine::Session& s, const char* alias, const char* table) {
    return s.openTable(alias, table, engine::OpenMode::ReadOnly)->tagNames();
}

}  // namespace

TEST(DataServWindow, ReindexesTheClassifierWhileTheProgramRunsAndIgnoresKeys) {
    test::qtApp();
    test::CatalogueDatabase db;
    db.session->openTable("VX_S", "K1REG")->addIndex("EXTRA", "TIP");
    db.session->openTable("VX_S", "K7SOCR")->addIndex("EXTRA", "NAME");
    data::TdmKVZT dm(*db.session);
    ASSERT_TRUE(dm.connected());

    TfmDataServ window(2, *db.session, &dm);
    QStringList errors;
    window.showError = [&](QWidget*, const QString& m) { errors << m; };

    // While the command runs: Esc, Enter and a close request change nothing.
    bool sawRun = false;
    bool closedWhileRunning = false;
    bool enabledWhileRunning = false;
    QObject::connect(window.ggImp, &QProgressBar::valueChanged, &window, [&](int value) {
        if (sawRun || value != 1) return;
        sawRun = true;
        EXPECT_FALSE(dm.connected());  // the always-open tables let go of their files
        test::keyClick(&window, Qt::Key_Escape);
        test::keyClick(&window, Qt::Key_Return);
        test::keyClick(window.bbnClose, Qt::Key_Enter);
        test::keyClick(window.bbnClose, Qt::Key_Space);
        window.close();
        closedWhileRunning = !window.isVisible();
        enabledWhileRunning = window.bbnClose->isEnabled();
    });

    test::showActive(window);
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Переиндексация классификатора адресов (КЛАДР)"));
    EXPECT_EQ(window.property("tag").toInt(), 2);
    EXPECT_FALSE(window.bbnClose->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return window.finished(); }));
    EXPECT_TRUE(sawRun);
    EXPECT_FALSE(closedWhileRunning);
    EXPECT_FALSE(enabledWhileRunning);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();

    EXPECT_TRUE(window.bbnClose->isEnabled());
    EXPECT_EQ(window.ggImp->maximum(), 14);
    EXPECT_EQ(window.ggImp->value(), 14);
    EXPECT_TRUE(window.lbTbl->text().isEmpty());
    grabIfAsked(window, "data_serv_done.png");

    // After the run keys still do nothing; only the button closes.
    window.bbnClose->setFocus();
    test::keyClick(&window, Qt::Key_Escape);
    test::keyClick(window.bbnClose, Qt::Key_Return);
    test::keyClick(window.bbnClose, Qt::Key_Space);
    EXPECT_TRUE(window.isVisible());
    test::mouseClick(window.bbnClose);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);

    // Hidden: the catalogue list freed, the four tables open again.
    EXPECT_FALSE(schema::IndexListBuilt());
    EXPECT_TRUE(dm.connected());
    EXPECT_EQ(tagsOf(*db.session, "VX_S", "K1REG"), (std::vector<std::string>{"NAMEX", "KODREGX"}));
    EXPECT_EQ(tagsOf(*db.session, "VX_S", "K7SOCR"), (std::vector<std::string>{"CODEX", "LEVNAME"}));
}

TEST(DataServWindow, AStoppedCommandNamesItsTableAndTheWindowCanBeClosed) {
    test::qtApp();
    test::CatalogueDatabase db;
    db.session->openTable("VX_B", "SPISOK32")->addIndex("EXTRA", "FAM");
    auto holder = db.session->openTable("VX_B", "DOXOD22");  // as if the host had it open

    TfmDataServ window(1, *db.session, nullptr);
    QStringList errors;
    window.showError = [&](QWidget*, const QString& m) { errors << m; };
    test::showActive(window);
    ASSERT_TRUE(waitUntil([&] { return window.finished(); }));

    ASSERT_EQ(errors.size(), 1);
    EXPECT_NE(errors[0].indexOf(QStringLiteral("VX_B:DOXOD22")), -1) << errors[0].toStdString();
    EXPECT_NE(window.lbTbl->text().indexOf(QStringLiteral("DOXOD22")), -1) << window.lbTbl->text().toStdString();
    EXPECT_LT(window.ggImp->value(), window.ggImp->maximum());
    grabIfAsked(window, "data_serv_stopped.png");

    test::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    ASSERT_TRUE(window.bbnClose->isEnabled());
    test::mouseClick(window.bbnClose);
    EXPECT_FALSE(window.isVisible());

    // The table before the held one was reindexed.
    EXPECT_EQ(tagsOf(*db.session, "VX_B", "SPISOK32"), (std::vector<std::string>{"FIOBORN", "NOMX"}));
}
