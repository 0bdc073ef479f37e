// The main window: its menus, buttons and hints, the commands with their tags,
// the start-up refusal while the host runs, the import's questions and the
// host launch.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolButton>

#include <filesystem>
#include <map>
#include <fstream>
#include <vector>

#include "app/main_window.h"
#include "app/top_window_finder.h"
#include "data/data_module.h"
#include "data/program_flags.h"
#include "data/settings_file.h"
#include "data/ui/question_dialog.h"
#include "engine/errors.h"
#include "engine/table.h"
#include "support/qt_app_support.h"
#include "support/catalogue_database.h"

using namespace kvzt;
using app::MainWindowServices;
using app::TfmMain;

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

struct Question {
    QString first, second, question;
    bool withCancel;
};

// Reports the titles listed as open; each check may close one (counts down).
class ScriptedFinder : public app::TopWindowFinder {
public:
    std::map<QString, int> openFor;  // title → how many more checks find it
    QStringList asked;
    bool topLevelWindowExists(const QString& title) override {
        asked << title;
        auto it = openFor.find(title);
        if (it == openFor.end() || it->second == 0) return false;
        --it->second;
        return true;
    }
};

// Services that record every call and answer from a script.
struct Harness {
    test::TempDir dir;
    std::vector<Question> questions;
    std::vector<int> answers;  // popped in order; "Нет" when they run out
    QStringList warnings, errors, calls;
    QString chosenFile;
    std::shared_ptr<ScriptedFinder> finder = std::make_shared<ScriptedFinder>();
    bool startCheckRan = false;
    int quits = 0;
    std::function<void()> onRunFile;
    std::function<void()> duringStartCheck;
    std::function<void(quint8)> onDataServ;

    MainWindowServices services() {
        MainWindowServices s;
        s.ask = [this](const QString& a, const QString& b, const QString& q, bool c) {
            questions.push_back({a, b, q, c});
            if (answers.empty()) return data::kAnswerNo;
            const int answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        };
        s.warn = [this](const QString& a, const QString& b) { warnings << a + "|" + b; };
        s.showError = [this](QWidget*, const QString& m) { errors << m; };
        s.chooseFile = [this](QFileDialog& d) {
            calls << "dialog:" + d.windowTitle();
            return chosenFile;
        };
        s.windowFinder = finder;
        s.startCheck = [this](QWidget*, data::TdmKVZT&) -> QWidget* {
            startCheckRan = true;
            if (duringStartCheck) duringStartCheck();
            return nullptr;
        };
        s.delay = [](int) {};
        s.runFile = [this](const QString& file) {
            calls << "run:" + QString::fromStdString(std::filesystem::path(file.toStdString()).filename().string());
            if (onRunFile) onRunFile();
            return true;
        };
        s.quit = [this] { ++quits; };
        s.runImpSpis = [this](const QString& d, quint8 kind) { calls << QString("imp:%1:%2").arg(kind).arg(d); };
        s.reviewSpisDbl = [this] { calls << "reviewSpis"; };
        s.reviewSvedDbl = [this](quint8 kind) { calls << QString("reviewSved:%1").arg(kind); };
        s.runImpKladr = [this](bool mode) { calls << QString("kladr:%1").arg(mode); };
        s.runSprTools = [this](quint8 tag) { calls << QString("spr:%1").arg(tag); };
        s.runDataServ = [this](quint8 tag) {
            calls << QString("serv:%1").arg(tag);
            if (onDataServ) onDataServ(tag);
        };
        s.showAbout = [this](QWidget*) { calls << "about"; };
        s.settingsBaseName = QString::fromStdString(dir.file("KvZt32"));
        s.hostDirectory = QString::fromStdString(dir.path());
        return s;
    }
};

QStringList menuTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* a : menu->actions()) texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

}  // namespace

TEST(MainWindow, LaidOutWithItsMenusButtonsAndStatusBar) {
    test::qtApp();
    Harness h;
    TfmMain w(h.services());
    EXPECT_EQ(w.windowTitle(), u("Квазитор для программы \"Таксант\""));
    EXPECT_EQ(w.objectName(), u("fmMain"));
    EXPECT_EQ(w.size(), QSize(544, 122));

    QStringList titles;
    for (const QAction* a : w.menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{u("&Функции"), u("КЛАДР"), u("&Настройка справочников"), u("&Сервис Данных"),
                                   u("&Помощь")}));
    EXPECT_EQ(menuTexts(w.FuncMenu),
              (QStringList{u("Импорт данных программы \"Таксант\" DOS-версий &2.*"),
                           u("Импорт списка таксантов программы \"Таксант\"DOS-версии &1.*"),
                           u("Импорт данных программы \"Таксант\"  &Win-версии 3.2"), "-",
                           u("&Вызов программы \"Таксант\""), "-", u("Выход")}));
    EXPECT_FALSE(w.miImpSp->isVisible());
    EXPECT_EQ(w.ExitItem->shortcut(), QKeySequence(Qt::ALT | Qt::Key_X));
    EXPECT_EQ(menuTexts(w.miDB), (QStringList{u("&Переиндексация"), u("&Уплотнение"), u("Очистка")}));
    EXPECT_EQ(menuTexts(w.miReINdex), (QStringList{u("&Списка, Карточек и Справок"), u("&Классификатора адресов"),
                                                   u("Справо&чников"), "-", u("&Всех данных")}));
    EXPECT_EQ(menuTexts(w.miPack), menuTexts(w.miReINdex));
    EXPECT_EQ(menuTexts(w.miEmpty), (QStringList{u("&Сведений о доходах (Справок и Налоговых карточек)"), "-",
                                                 u("Сведений о доходах и списка таксантов")}));
    EXPECT_EQ(menuTexts(w.HelpMenu), QStringList{u("&О программе...")});
    EXPECT_EQ(w.HelpMenu->menuAction()->statusTip(), u("В состоянии разработки"));
    EXPECT_EQ(w.miEmpty->menuAction()->statusTip(), u("Очистка (удаление всех записей) "));

    // Buttons: place, size, visibility, and the hint of their menu item.
    struct Button {
        QToolButton* button;
        int left;
        QAction* item;
    };
    for (const Button& b : {Button{w.sbnVXDOS2, 9, w.miImpSved25}, Button{w.sbnVXW2, 42, w.Win21},
                            Button{w.sbnVXDOS1, 42, w.miImpSp}, Button{w.sbnKladrI, 113, w.imClassImport},
                            Button{w.sbnKladrD, 146, w.DelKlas}, Button{w.sbnVXExec, 184, w.VXwsExec},
                            Button{w.sbnExit, 234, w.ExitItem}}) {
        EXPECT_EQ(b.button->x(), b.left) << b.button->objectName().toStdString();
        EXPECT_EQ(b.button->size(), QSize(30, 29));
        EXPECT_EQ(b.button->statusTip(), b.item->statusTip());
        EXPECT_EQ(b.button->defaultAction()->property("tag"), b.item->property("tag"));
        EXPECT_FALSE(b.item->statusTip().isEmpty());
    }
    EXPECT_TRUE(w.sbnVXDOS1->isHidden());
    EXPECT_EQ(w.SpeedPanel->height(), 33);

    EXPECT_EQ(w.StatusBarPanel0->text(), u("Версия 3.2w"));
    EXPECT_EQ(w.StatusBarPanel0->width(), 100);
    EXPECT_EQ(w.StatusBarPanel0->alignment(), Qt::AlignCenter);

    // The design-time dialog settings.
    EXPECT_EQ(w.dlgOpnSpis->windowTitle(), u("Выбор файла списка таксантов"));
    EXPECT_EQ(w.openDialogFilter(),
              u("Данные \"Таксант\" DOS-версии 2.*|Spisok.dbf;Doxod.dbf;Vicet.dbf;Object.dbf"));
    EXPECT_EQ(w.dlgOpnSpis->fileMode(), QFileDialog::ExistingFile);
    EXPECT_TRUE(w.dlgOpnSpis->testOption(QFileDialog::ReadOnly));
}

TEST(MainWindow, HintOfThePointedAtCommandReachesStatusPanelOne) {
    test::qtApp();
    Harness h;
    TfmMain w(h.services());
    test::showActive(w);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(w.sbnVXExec, &enter);
    EXPECT_EQ(w.StatusBarPanel1->text(), u("Вызов программы \"Таксант\""));
    w.miAllData->showStatusText(w.menuBar());  // as an open menu reports its pointed-at item
    EXPECT_EQ(w.StatusBarPanel1->text(), u("Переиндексация всех данных программы"));
    EXPECT_EQ(w.StatusBarPanel0->text(), u("Версия 3.2w"));  // the version panel stays
    w.hide();
}

TEST(MainWindow, EveryItemAndButtonHandsItsTagToItsCommand) {
    test::qtApp();
    Harness h;
    h.chosenFile = QString::fromStdString(h.dir.file("Spisok.dbf"));
    TfmMain w(h.services());
    const QString dir = QString::fromStdString(h.dir.path()) + QLatin1Char('/');

    struct Case {
        QAction* action;
        QString call;
    };
    const std::vector<Case> cases = {
        {w.miImpSved25, "imp:2:" + dir},
        {w.sbnVXDOS2->defaultAction(), "imp:2:" + dir},
        {w.miImpSp, "imp:1:" + dir},
        {w.sbnVXDOS1->defaultAction(), "imp:1:" + dir},
        {w.Win21, "imp:3:" + dir},
        {w.sbnVXW2->defaultAction(), "imp:3:" + dir},
        {w.imClassImport, "kladr:1"},
        {w.sbnKladrI->defaultAction(), "kladr:1"},
        {w.DelKlas, "kladr:0"},
        {w.sbnKladrD->defaultAction(), "kladr:0"},
        {w.miSpDUl, "spr:0"},
        {w.miDoh, "spr:1"},
        {w.miVichet, "spr:2"},
        {w.miAllData, "serv:0"},
        {w.miFuncDB, "serv:1"},
        {w.miReindKLadr, "serv:2"},
        {w.miReindSprav, "serv:3"},
        {w.miPackAll, "serv:4"},
        {w.miPackFuncDB, "serv:5"},
        {w.miPackKladr, "serv:6"},
        {w.miPackSprav, "serv:7"},
        {w.miEmptySved, "serv:10"},
        {w.miEmptyDB, "serv:11"},
        {w.AboutItem, "about"},
    };
    for (const Case& c : cases) {
        h.calls.clear();
        // "Нет" at the import's emptying question, "Да" at the clearing confirmation.
        const bool clearing = c.action == w.miEmptySved || c.action == w.miEmptyDB;
        h.answers = {clearing ? data::kAnswerYes : data::kAnswerNo};
        c.action->trigger();
        EXPECT_TRUE(h.calls.contains(c.call)) << c.action->objectName().toStdString() << ": "
                                              << h.calls.join(", ").toStdString();
    }

    // A click on a visible button runs its command too.
    h.calls.clear();
    w.sbnKladrD->click();
    EXPECT_EQ(h.calls, QStringList{"kladr:0"});
    EXPECT_TRUE(h.errors.isEmpty());
}

TEST(MainWindow, ClearingAsksWithoutCancelAndRunsOnlyOnYes) {
    test::qtApp();
    Harness h;
    TfmMain w(h.services());
    h.answers = {data::kAnswerNo};
    w.miEmptyDB->trigger();
    EXPECT_TRUE(h.calls.isEmpty());
    ASSERT_EQ(h.questions.size(), 1u);
    EXPECT_EQ(h.questions[0].first, u("Вы совершенно уверены в выполнении"));
    EXPECT_EQ(h.questions[0].second, u("операции очистки ?"));
    EXPECT_TRUE(h.questions[0].question.isEmpty());
    EXPECT_FALSE(h.questions[0].withCancel);
    h.answers = {data::kAnswerYes};
    w.miEmptyDB->trigger();
    EXPECT_EQ(h.calls, QStringList{"serv:11"});
}

TEST(MainWindow, AnEngineErrorInACommandReachesTheErrorBoxAndTheWindowGoesOn) {
    test::qtApp();
    Harness h;
    h.onDataServ = [](quint8 tag) {
        if (tag == 2) throw engine::EngineError(engine::code::TableInUse, "Таблица K1REG занята");
    };
    TfmMain w(h.services());
    w.miReindKLadr->trigger();
    EXPECT_EQ(h.errors, QStringList{u("Таблица K1REG занята")});
    w.miReindSprav->trigger();
    EXPECT_TRUE(h.calls.contains("serv:3"));
}

TEST(MainWindow, OpenDialogSettingsFollowTheTagAndTheHiddenCommandKeepsThem) {
    test::qtApp();
    Harness h;  // no file chosen: each command stops after the dialog
    TfmMain w(h.services());
    w.miImpSp->trigger();
    EXPECT_EQ(w.dlgOpnSpis->windowTitle(), u("Выбор файла списка таксантов"));
    w.Win21->trigger();
    EXPECT_EQ(w.dlgOpnSpis->windowTitle(), u("Выбор файлов данных \"Таксант\" Win-версии 2.3"));
    EXPECT_EQ(w.openDialogFilter(), u("Данные \"Таксант\" Win-версии 3.2|Spisok32.dbf;SvBase32.dbf;Doxod22.dbf;"
                                      "Vicet22.dbf;NH22.dbf;Spisok32.mdx;SvBase32.mdx;Doxod22.mdx;Vicet22.mdx;"
                                      "NH22.mdx"));
    EXPECT_EQ(w.dlgOpnSpis->nameFilters().value(0),
              u("Данные \"Таксант\" Win-версии 3.2 (Spisok32.dbf SvBase32.dbf Doxod22.dbf Vicet22.dbf NH22.dbf "
                "Spisok32.mdx SvBase32.mdx Doxod22.mdx Vicet22.mdx NH22.mdx)"));
    w.miImpSp->trigger();  // DOS 1.* keeps what the last command left
    EXPECT_EQ(w.dlgOpnSpis->windowTitle(), u("Выбор файлов данных \"Таксант\" Win-версии 2.3"));
    w.miImpSved25->trigger();
    EXPECT_EQ(w.dlgOpnSpis->windowTitle(), u("Выбор файлов данных \"Таксант\" DOS-версии 2.*"));
    EXPECT_EQ(w.dlgOpnSpis->nameFilters().value(0),
              u("Данные \"Таксант\" DOS-версии 2.* (Spisok.dbf Doxod.dbf Vicet.dbf Object.dbf)"));
    // Cancelled dialogs ask nothing and run nothing.
    EXPECT_TRUE(h.questions.empty());
    EXPECT_EQ(h.calls.filter("imp:").size(), 0);
}

TEST(MainWindow, TheImportEmptiesTheTargetTablesOnlyAfterYesTwice) {
    test::qtApp();
    test::CatalogueDatabase db;
    data::TdmKVZT dm(*db.session);
    const QStringList targets = data::ImportTargetTables();
    auto fillAll = [&] {
        for (const QString& t : targets) {
            auto table = db.session->openTable("VX_B", t.toStdString());
            table->append();
            for (const engine::FieldDef& f : table->fields()) {
                if (f.type == 'C') {
                    table->setString(f.name, "1");
                    break;
                }
            }
            table->post();
        }
    };
    auto emptyCount = [&] {
        int n = 0;
        for (const QString& t : targets) n += db.session->openTable("VX_B", t.toStdString())->isEmpty();
        return n;
    };
    fillAll();

    Harness h;
    h.chosenFile = QString::fromStdString(h.dir.file("Spisok.dbf"));
    TfmMain w(h.services());
    w.setDataModule(&dm);

    const int Y = data::kAnswerYes, N = data::kAnswerNo, C = data::kAnswerCancel;
    struct Case {
        std::vector<int> answers;
        bool imports;
    };
    for (const Case& c : {Case{{N}, true}, Case{{Y, N}, true}, Case{{C}, false}, Case{{Y, C}, false}}) {
        h.calls.clear();
        h.questions.clear();
        h.answers = c.answers;
        w.miImpSved25->trigger();
        EXPECT_EQ(emptyCount(), 0);
        EXPECT_EQ(h.calls.filter("imp:").size(), c.imports ? 1 : 0);
    }
    ASSERT_EQ(h.questions.size(), 2u);  // from the last case
    EXPECT_EQ(h.questions[0].first, u("Перед выполнением импорта"));
    EXPECT_EQ(h.questions[0].second, u("произвести очистку целевой БД \"Таксанта\"?"));
    EXPECT_TRUE(h.questions[0].withCancel);
    EXPECT_EQ(h.questions[1].first, u("Вы совершенно уверены в необходимости"));
    EXPECT_EQ(h.questions[1].second, u("очистки целевой БД \"Таксанта\"?"));
    EXPECT_TRUE(h.questions[1].withCancel);

    h.calls.clear();
    h.answers = {Y, Y};
    w.Win21->trigger();
    EXPECT_EQ(emptyCount(), targets.size());
    const QString dir = QString::fromStdString(h.dir.path()) + QLatin1Char('/');
    EXPECT_EQ(h.calls, (QStringList{"dialog:" + u("Выбор файлов данных \"Таксант\" Win-версии 2.3"), "imp:3:" + dir}));
    EXPECT_TRUE(h.errors.isEmpty()) << h.errors.join("\n").toStdString();
}

TEST(MainWindow, TheImportOpensTheReviewsTheFlagsAskFor) {
    test::qtApp();
    Harness h;
    h.chosenFile = QString::fromStdString(h.dir.file("Spisok32.dbf"));
    auto services = h.services();
    bool spis = false, sved = false;
    services.runImpSpis = [&](const QString&, quint8) {
        data::SpisDblFound = spis;
        data::SvedDblFound = sved;
    };
    TfmMain w(services);
    for (auto [s, v] : {std::pair{false, false}, std::pair{true, false}, std::pair{false, true}, std::pair{true, true}}) {
        spis = s;
        sved = v;
        h.calls.clear();
        w.Win21->trigger();
        QStringList expected;
        if (s) expected << "reviewSpis";
        if (v) expected << "reviewSved:3";
        EXPECT_EQ(h.calls.filter("review"), expected);
    }
    data::SpisDblFound = data::SvedDblFound = false;
}

TEST(MainWindow, GivingUpWhileTheHostRunsEndsTheProgramWithoutTheCheck) {
    test::qtApp();
    Harness h;
    test::TempDir emptyBase;
    engine::AliasConfig config;
    config.setAlias("VX_B", emptyBase.path());
    config.setAlias("VX_S", emptyBase.path());
    engine::Session session(config);
    data::TdmKVZT dm(session, data::TdmKVZT::Connect::Later);

    h.finder->openFor[u("\"Таксант\"")] = 100;
    h.answers = {data::kAnswerYes, data::kAnswerYes, data::kAnswerNo};
    {
        TfmMain w(h.services());
        w.setDataModule(&dm);
        w.FormShow();
        EXPECT_EQ(h.quits, 1);
        EXPECT_TRUE(w.terminated());
        EXPECT_FALSE(h.startCheckRan);
        ASSERT_EQ(h.questions.size(), 3u);  // asked again after each "Да"
        EXPECT_EQ(h.questions[0].first, u("Выполняется программа \"Таксант\""));
        EXPECT_EQ(h.questions[0].second, u("для работы \"Квазитора\" ее надо закрыть"));
        EXPECT_EQ(h.questions[0].question, u("Продолжать?"));
        EXPECT_FALSE(h.questions[0].withCancel);
        EXPECT_FALSE(h.finder->asked.contains(u("Модификатор \"Таксанта\"")));
    }
    // Nothing was written: no table, no settings file.
    EXPECT_TRUE(std::filesystem::is_empty(emptyBase.path()));
    EXPECT_FALSE(std::filesystem::exists(h.dir.file("KvZt32.ini")));
}

TEST(MainWindow, StartUpWaitsForBothProgramsThenChecksAndRestoresTheLayout) {
    test::qtApp();
    test::CatalogueDatabase db;
    data::TdmKVZT dm(*db.session, data::TdmKVZT::Connect::Later);  // as on a first start
    Harness h;
    {
        data::SettingsFile ini(QString::fromStdString(h.dir.file("KvZt32.ini")));
        ini.writeString("FORMS", "fmMain0", "0,  50,  60,  130,  600");
    }
    h.finder->openFor[u("\"Таксант\"")] = 1;
    h.finder->openFor[u("Модификатор \"Таксанта\"")] = 2;
    h.answers = {data::kAnswerYes, data::kAnswerYes, data::kAnswerYes};
    data::RunHostOnExit = true;

    TfmMain w(h.services());
    w.setDataModule(&dm);
    w.FormShow();
    EXPECT_FALSE(data::RunHostOnExit);
    EXPECT_EQ(h.quits, 0);
    ASSERT_EQ(h.questions.size(), 3u);
    EXPECT_EQ(h.questions[1].first, u("Выполняется программа \"Модификатор версий\""));
    EXPECT_TRUE(h.startCheckRan);
    EXPECT_TRUE(dm.connected());  // opened after the check
    EXPECT_EQ(w.size(), QSize(600, 130));
    EXPECT_EQ(w.pos(), QPoint(60, 50));
}

// The user closes the window while the start-up check runs: the check goes
// on to its end, then the window closes and its layout is written.
TEST(MainWindow, ClosingDuringTheStartUpCheckWaitsForItAndKeepsTheLayout) {
    test::qtApp();
    test::CatalogueDatabase db;
    data::TdmKVZT dm(*db.session, data::TdmKVZT::Connect::Later);
    Harness h;
    {
        TfmMain w(h.services());
        w.setDataModule(&dm);
        test::showActive(w);
        bool stillOpen = false;
        h.duringStartCheck = [&] {
            w.close();
            stillOpen = w.isVisible();
        };
        w.FormShow();
        EXPECT_TRUE(h.startCheckRan);
        EXPECT_TRUE(stillOpen) << "the window waits for the check";
        EXPECT_TRUE(dm.connected()) << "the check finished";
        EXPECT_FALSE(w.isVisible()) << "and then the window closed";
    }
    data::SettingsFile ini(QString::fromStdString(h.dir.file("KvZt32.ini")));
    EXPECT_NE(ini.readString("FORMS", "fmMain0"), data::SettingsFile::kMissing);
}

TEST(MainWindow, HostLaunchSavesTheLayoutBeforeStartingTheHost) {
    test::qtApp();
    Harness h;
    std::ofstream(h.dir.file("VXWS32.exe")) << "host";
    const std::string ini = h.dir.file("KvZt32.ini");
    bool savedFirst = false;
    h.onRunFile = [&] {
        data::SettingsFile file(QString::fromStdString(ini));
        savedFirst = file.readString("FORMS", "fmMain0") != data::SettingsFile::kMissing &&
                     data::CurrentSettings() == nullptr;
    };
    auto w = std::make_unique<TfmMain>(h.services());
    w->FormShow();
    test::showActive(*w);

    h.answers = {data::kAnswerNo};
    w->VXwsExec->trigger();
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(data::RunHostOnExit);

    h.answers = {data::kAnswerYes};
    w->sbnVXExec->click();
    ASSERT_EQ(h.questions.size(), 2u);
    EXPECT_EQ(h.questions[1].first, u("Вызов программы \"Таксант\""));
    EXPECT_EQ(h.questions[1].second, u("автоматически закроет \"Квазитор\""));
    EXPECT_EQ(h.questions[1].question, u("Продолжать?"));
    EXPECT_FALSE(h.questions[1].withCancel);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(h.calls.contains("run:VXWS32.exe"));  // found whatever its letter case
    EXPECT_TRUE(savedFirst);
    w.reset();
    EXPECT_EQ(h.calls.filter("run:").size(), 1);  // destroying the closed window starts nothing more
    data::RunHostOnExit = false;
}

TEST(MainWindow, AMissingHostIsAWarning) {
    test::qtApp();
    Harness h;
    TfmMain w(h.services());
    w.FormShow();
    h.answers = {data::kAnswerYes};
    w.VXwsExec->trigger();
    EXPECT_TRUE(h.calls.filter("run:").isEmpty());
    ASSERT_EQ(h.warnings.size(), 1);
    EXPECT_TRUE(h.warnings[0].contains(u("vxws32.EXE")));
    data::RunHostOnExit = false;
}

TEST(MainWindow, ExitClosesAndKeepsTheLayout) {
    test::qtApp();
    Harness h;
    {
        TfmMain w(h.services());
        w.FormShow();
        w.move(10, 20);
        w.ExitItem->trigger();
        EXPECT_TRUE(h.calls.filter("run:").isEmpty());
    }
    data::SettingsFile ini(QString::fromStdString(h.dir.file("KvZt32.ini")));
    EXPECT_TRUE(ini.readString("FORMS", "fmMain0").startsWith(u("0,  20,  10,  122,  544")));
}
