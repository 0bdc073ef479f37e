// The import window and its entry, offscreen: the file check's warnings
// (no window then), a complete run that leaves the window open with the
// gauge full and "! Готово !", a stop by the button or the close box that
// warns and closes, and an engine error that is shown and leaves the window
// closable. The sources are made by the import tests' fixture.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>

#include <functional>
#include <string>

#include "import/import_test_sources.h"
#include "data/program_flags.h"
#include "data/settings_file.h"
#include "import/ui/imp_spis_window.h"
#include "support/qt_app_support.h"

using namespace kvzt;
using namespace kvzt::test;
using import::SourceKind;
using import::ui::ImpSpisEntryHooks;
using import::ui::RunImpSpisWindow;
using import::ui::TfmImpSpis;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

bool waitFor(const std::function<bool()>& condition, int ms = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return condition();
}

struct Warning {
    QString first;
    QString second;
};

class ImportWindow : public ::testing::Test {
protected:
    void SetUp() override {
        qtApp();
        data::OpenSettings(QString::fromStdString(ini.file("KvZt32")));
        f.makeWinSources();
    }
    void TearDown() override { data::CloseSettings(); }

    // A taxpayer in the source list, or (stored) in the target list.
    void sourcePerson(int nom, const std::string& fam, bool stored = false) {
        auto table = stored ? f.db.session->openTable("VX_B", "SPISOK32") : f.source("SPISOK32");
        addRow(*table, {{"NOM", std::int64_t(nom)},
                        {"FAM", fam},
                        {"NAME", std::string("Иван")},
                        {"OTC", std::string("Петрович")},
                        {"DATEROG", date(1970, 5, 1)},
                        {"DKOD", std::string("21")},
                        {"DNOM", std::string("1")},
                        {"INNFL", std::string("771234567890")},
                        {"JOBSTATUS", std::string("1")},
                        {"STATUS", std::string("1")},
                        {"TABNMB", std::string("T1")}});
    }
    import::ImportRequest request() {
        import::ImportRequest r;
        r.srcDir = QString::fromStdString(f.src.path());
        r.kind = SourceKind::Win32;
        return r;
    }
    size_t stored() { return column(*f.base("SPISOK32"), "NOM").size(); }

    TempDir ini;
    ImportFixture f;
    QList<Warning> warnings;
    QStringList errors;
};

}  // namespace

TEST(ImportEntry, AMissingFileIsWarnedAboutAndNoWindowOpens) {
    qtApp();
    ImportFixture f;
    QList<Warning> warnings;
    bool windowShown = false;
    ImpSpisEntryHooks hooks;
    hooks.warn = [&](const QString& a, const QString& b) { warnings.push_back({a, b}); };
    hooks.runWindow = [&](TfmImpSpis&) { windowShown = true; };

    // Win 3.2: every .dbf is there, one index file is not; with or without
    // the trailing separator the same file is named.
    const QString src = QString::fromStdString(f.src.path());
    for (const char* name : {"spisok32.dbf", "svbase32.dbf", "doxod22.dbf", "vicet22.dbf", "nh22.dbf", "spisok32.mdx",
                             "svbase32.mdx", "doxod22.mdx", "vicet22.mdx"}) {
        QFile file(src + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    for (const QString& dir : {src, src + "/"}) {
        data::SpisDblFound = data::SvedDblFound = true;
        warnings.clear();
        RunImpSpisWindow(*f.dm, dir, 3, hooks);
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_EQ(warnings[0].first, u("На указанном пути нет файла \"nh22.mdx\""));
        EXPECT_EQ(warnings[0].second, u("Импорт не возможен"));
        EXPECT_FALSE(data::SpisDblFound);
        EXPECT_FALSE(data::SvedDblFound);
    }

    // DOS 2.*: the first missing source file is named, and only it.
    warnings.clear();
    QFile(src + "/spisok.dbf").open(QIODevice::WriteOnly);
    RunImpSpisWindow(*f.dm, src, 2, hooks);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_EQ(warnings[0].first, u("На указанном пути нет файла \"doxod.dbf\""));

    // With every source file there, the program's IMP folder is checked next.
    for (const char* name : {"doxod.dbf", "vicet.dbf", "object.dbf"}) QFile(src + "/" + name).open(QIODevice::WriteOnly);
    const QString impDir = import::DefaultImpDir();
    if (!QFile::exists(impDir + "/k0str.dbf")) {
        warnings.clear();
        RunImpSpisWindow(*f.dm, src, 2, hooks);
        ASSERT_EQ(warnings.size(), 1);
        EXPECT_TRUE(warnings[0].first.startsWith(u("На пути ") + impDir)) << warnings[0].first.toStdString();
        EXPECT_TRUE(warnings[0].first.endsWith(u(" нет файла \"k0str.dbf\""))) << warnings[0].first.toStdString();
        EXPECT_EQ(warnings[0].second, u("Импорт не возможен"));
    }

    // The hidden DOS 1.* command is refused with a warning of its own.
    warnings.clear();
    RunImpSpisWindow(*f.dm, src, 1, hooks);
    EXPECT_EQ(warnings.size(), 1);
    EXPECT_FALSE(windowShown);
}

TEST_F(ImportWindow, ACompleteRunStaysOpenWithTheGaugeFullAndSetsTheFlags) {
    sourcePerson(1, "Первый");
    sourcePerson(2, "Второй");
    sourcePerson(3, "Третий");
    sourcePerson(900, "Второй", true);  // a stored twin

    ImpSpisEntryHooks hooks;
    hooks.warn = [&](const QString& a, const QString& b) { warnings.push_back({a, b}); };
    hooks.showError = [&](QWidget*, const QString& message) { errors << message; };
    bool checked = false;
    hooks.runWindow = [&](TfmImpSpis& w) {
        EXPECT_EQ(w.windowTitle(), u("Импорт данных \"Таксант\" Win-версии 3.2"));
        EXPECT_EQ(w.bbnClose->text(), u("? Стоп ?"));
        EXPECT_EQ(w.bbnClose->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
        ASSERT_TRUE(waitFor([&] { return w.finished(); }));
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(w.bbnClose->text(), u("! Готово !"));
        EXPECT_EQ(w.bbnClose->palette().color(QPalette::ButtonText), QColor(0, 128, 0));
        EXPECT_EQ(w.ggImp->maximum(), 3);
        EXPECT_EQ(w.ggImp->value(), 3);
        w.bbnClose->click();
        EXPECT_FALSE(w.isVisible());
        checked = true;
    };
    RunImpSpisWindow(*f.dm, QString::fromStdString(f.src.path()) + "/", 3, hooks);
    EXPECT_TRUE(checked);
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_TRUE(data::SpisDblFound);  // "Второй" has a stored twin
    EXPECT_EQ(stored(), 3u);          // the twin and the two new ones
}

TEST_F(ImportWindow, AStopBeforeTheNextTaxpayerWarnsAndClosesTheWindow) {
    for (int n = 1; n <= 5; ++n) sourcePerson(n, "Фамилия" + std::to_string(n));

    // The stop button, then (on a fresh run's window) the close box: either
    // takes effect once the taxpayer in hand is written.
    for (const bool byCloseBox : {false, true}) {
        SCOPED_TRACE(byCloseBox);
        warnings.clear();
        import::ImportRequest r = request();
        TfmImpSpis* window = nullptr;
        r.afterRecord = [&](int done) {
            if (done != 2) return;
            if (byCloseBox) {
                window->close();
            } else {
                window->bbnClose->click();
            }
            EXPECT_TRUE(window->isVisible());  // the run goes on to the end of the taxpayer
        };
        TfmImpSpis w(*f.dm, r);
        window = &w;
        w.warn = [&](const QString& a, const QString& b) { warnings.push_back({a, b}); };
        w.showError = [&](QWidget*, const QString& message) { errors << message; };
        showActive(w);
        ASSERT_TRUE(waitFor([&] { return w.finished(); }));

        ASSERT_EQ(warnings.size(), 1);
        EXPECT_EQ(warnings[0].first, u("Процесс импорта остановлен пользователем"));
        EXPECT_EQ(warnings[0].second, QStringLiteral("C") + u("писок импортирован не полностью"));
        EXPECT_EQ(warnings[0].second.at(0).unicode(), 0x43);  // the Latin capital C
        EXPECT_FALSE(w.isVisible());
        EXPECT_TRUE(w.importResult().stoppedByUser);
        EXPECT_EQ(w.importResult().processed, 2);
        EXPECT_TRUE(errors.isEmpty());
    }
    // Each run wrote its first two taxpayers; the second run's two are twins
    // of the first run's and went to the duplicates.
    EXPECT_EQ(stored(), 2u);
}

TEST_F(ImportWindow, AnEngineErrorIsShownAndTheWindowCanBeClosed) {
    sourcePerson(1, "Первый");
    // Another cursor holds the duplicate table exclusively: the run cannot empty it.
    auto held = f.db.session->openTable("VX_S", "Spis_D32", engine::OpenMode::Exclusive);

    TfmImpSpis w(*f.dm, request());
    w.warn = [&](const QString& a, const QString& b) { warnings.push_back({a, b}); };
    w.showError = [&](QWidget*, const QString& message) { errors << message; };
    showActive(w);
    ASSERT_TRUE(waitFor([&] { return w.finished(); }));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], w.importResult().errorText());
    EXPECT_FALSE(errors[0].isEmpty());
    EXPECT_TRUE(warnings.isEmpty());
    EXPECT_TRUE(w.isVisible());
    EXPECT_NE(w.bbnClose->text(), u("! Готово !"));

    QCloseEvent close;
    QApplication::sendEvent(&w, &close);
    EXPECT_TRUE(close.isAccepted());
    w.bbnClose->click();
    EXPECT_FALSE(w.isVisible());
}
