// The main window's menus, tool-bar buttons and status bar, as the window has
// always been laid out: names, captions, tags, short-cuts and hints.

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>

#include "app/main_window.h"

namespace kvzt::app {

namespace {

constexpr int kSpeedPanelHeight = 33;
constexpr int kButtonTop = 2;
constexpr int kButtonWidth = 30;
constexpr int kButtonHeight = 29;
constexpr int kVersionPanelWidth = 100;

QMenu* addMenu(QMenuBar* bar, QMenu* parentMenu, const char* name, const QString& caption, const QString& hint) {
    QMenu* menu = parentMenu ? parentMenu->addMenu(caption) : bar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setStatusTip(hint);
    return menu;
}

// A short-cut that opens a menu of the menu bar.
void openMenuOn(QMainWindow* window, const QKeySequence& keys, QMenu* menu) {
    auto* shortcut = new QShortcut(keys, window);
    QObject::connect(shortcut, &QShortcut::activated, window,
                     [window, menu] { window->menuBar()->setActiveAction(menu->menuAction()); });
}

}  // namespace

QAction* TfmMain::addItem(QMenu* menu, const char* name, const QString& caption, int tag, const QString& hint) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setProperty("tag", tag);
    action->setStatusTip(hint);
    menu->addAction(action);
    return action;
}

void TfmMain::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));

    FuncMenu = addMenu(bar, nullptr, "FuncMenu", QStringLiteral("&Функции"),
                       QStringLiteral("Функции, выполняемые программой"));
    miImpSved25 = addItem(FuncMenu, "miImpSved25", QStringLiteral("Импорт данных программы \"Таксант\" DOS-версий &2.*"),
                          2,
                          QStringLiteral("Импорт списка таксантов и  сведений о доходах программы \"Таксант\" "
                                         "DOS-версий 2.*"));
    miImpSp = addItem(FuncMenu, "miImpSp",
                      QStringLiteral("Импорт списка таксантов программы \"Таксант\"DOS-версии &1.*"), 1,
                      QStringLiteral("Импорт списка таксантов программы \"Таксант\"DOS-версии 1.*"));
    miImpSp->setVisible(false);
    Win21 = addItem(FuncMenu, "Win21", QStringLiteral("Импорт данных программы \"Таксант\"  &Win-версии 3.2"), 3,
                    QStringLiteral("Импорт списка таксантов и  сведений о доходах программы \"Таксант\" "
                                   "Win-версии 3.2"));
    FuncMenu->addSeparator();
    VXwsExec = addItem(FuncMenu, "VXwsExec", QStringLiteral("&Вызов программы \"Таксант\""), 0,
                       QStringLiteral("Вызов программы \"Таксант\""));
    FuncMenu->addSeparator();
    ExitItem = addItem(FuncMenu, "ExitItem", QStringLiteral("Выход"), 0, QStringLiteral("Выход из программы"));
    ExitItem->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));

    miKladr = addMenu(bar, nullptr, "miKladr", QStringLiteral("КЛАДР"),
                      QStringLiteral("Работа с классификатором адресов РФ (КЛАДР)"));
    imClassImport = addItem(miKladr, "imClassImport",
                            QStringLiteral("Импорт записей &Классификатора адресов России (КЛАДР) ОРЦИС"), 1,
                            QStringLiteral("Импорт записей Kлассификатора адресов России от ОРЦИС"));
    DelKlas = addItem(miKladr, "DelKlas",
                      QStringLiteral("&Удаление записей из установленного классификатора адресов России (КЛАДР)"), 2,
                      QStringLiteral("Удаление записей из установленного классификатора адресов России от ОРЦИС"));

    miSprTools = addMenu(bar, nullptr, "miSprTools", QStringLiteral("&Настройка справочников"),
                         QStringLiteral("Настройка справочников на конкретное использование их значений"));
    miSpDUl = addItem(miSprTools, "miSpDUl", QStringLiteral("Документы, удост. личность"), 0,
                      QStringLiteral("Документы, удостоверяющие личность"));
    miDoh = addItem(miSprTools, "miDoh", QStringLiteral("Доходы"), 1, QStringLiteral("Виды доходов"));
    miVichet = addItem(miSprTools, "miVichet", QStringLiteral("Вычеты"), 2, QStringLiteral("Виды вычетов"));

    miDB = addMenu(bar, nullptr, "miDB", QStringLiteral("&Сервис Данных"),
                   QStringLiteral("Сервис по обслуживанию структур данных программы"));
    miReINdex = addMenu(bar, miDB, "miReINdex", QStringLiteral("&Переиндексация"),
                        QStringLiteral("Переиндексация данных программы"));
    miFuncDB = addItem(miReINdex, "miFuncDB", QStringLiteral("&Списка, Карточек и Справок"), 1,
                       QStringLiteral("Переиндексация списка таксантов, налог. карточек и справок"));
    miReindKLadr = addItem(miReINdex, "miReindKLadr", QStringLiteral("&Классификатора адресов"), 2,
                           QStringLiteral("Переиндексация классификатора адресов (КЛАДР)"));
    miReindSprav = addItem(miReINdex, "miReindSprav", QStringLiteral("Справо&чников"), 3,
                           QStringLiteral("Переиндексация справочников"));
    miReINdex->addSeparator();
    miAllData = addItem(miReINdex, "miAllData", QStringLiteral("&Всех данных"), 0,
                        QStringLiteral("Переиндексация всех данных программы"));

    miPack = addMenu(bar, miDB, "miPack", QStringLiteral("&Уплотнение"), QStringLiteral("Уплотнение данных программы"));
    miPackFuncDB = addItem(miPack, "miPackFuncDB", QStringLiteral("&Списка, Карточек и Справок"), 5,
                           QStringLiteral("Уплотнение списка таксантов, налог. карточек и справок"));
    miPackKladr = addItem(miPack, "miPackKladr", QStringLiteral("&Классификатора адресов"), 6,
                          QStringLiteral("Уплотнение классификатора адресов (КЛАДР)"));
    miPackSprav = addItem(miPack, "miPackSprav", QStringLiteral("Справо&чников"), 7,
                          QStringLiteral("Уплотнение справочников"));
    miPack->addSeparator();
    miPackAll = addItem(miPack, "miPackAll", QStringLiteral("&Всех данных"), 4,
                        QStringLiteral("Уплотнение всех данных программы"));

    miEmpty = addMenu(bar, miDB, "miEmpty", QStringLiteral("Очистка"),
                      QStringLiteral("Очистка (удаление всех записей) "));
    miEmptySved = addItem(miEmpty, "miEmptySved",
                          QStringLiteral("&Сведений о доходах (Справок и Налоговых карточек)"), 10,
                          QStringLiteral("Очистка сведений о доходах "));
    miEmpty->addSeparator();
    miEmptyDB = addItem(miEmpty, "miEmptyDB", QStringLiteral("Сведений о доходах и списка таксантов"), 11,
                        QStringLiteral("Очистка сведений о доходах и списка таксантов"));

    HelpMenu = addMenu(bar, nullptr, "HelpMenu", QStringLiteral("&Помощь"), QStringLiteral("В состоянии разработки"));
    AboutItem = addItem(HelpMenu, "AboutItem", QStringLiteral("&О программе..."), 0,
                        QStringLiteral("Краткая информация о программе"));

    // Alt+J and Ctrl+G sit on the keys of "Ф" and "П" of the Russian layout.
    openMenuOn(this, QKeySequence(Qt::ALT | Qt::Key_J), FuncMenu);
    openMenuOn(this, QKeySequence(Qt::CTRL | Qt::Key_G), HelpMenu);

    for (QAction* item : {miImpSved25, miImpSp, Win21}) connect(item, &QAction::triggered, this, &TfmMain::miImpSved25Click);
    connect(VXwsExec, &QAction::triggered, this, &TfmMain::VXwsExecClick);
    connect(ExitItem, &QAction::triggered, this, &TfmMain::sbnExitClick);
    connect(imClassImport, &QAction::triggered, this, &TfmMain::imClassImportClick);
    connect(DelKlas, &QAction::triggered, this, &TfmMain::DelKlasClick);
    for (QAction* item : {miSpDUl, miDoh, miVichet}) connect(item, &QAction::triggered, this, &TfmMain::miSpDUlClick);
    for (QAction* item : {miFuncDB, miReindKLadr, miReindSprav, miAllData, miPackFuncDB, miPackKladr, miPackSprav,
                          miPackAll}) {
        connect(item, &QAction::triggered, this, &TfmMain::miAllDataClick);
    }
    for (QAction* item : {miEmptySved, miEmptyDB}) connect(item, &QAction::triggered, this, &TfmMain::miEmptySvedClick);
    connect(AboutItem, &QAction::triggered, this, &TfmMain::AboutItemClick);
}

// Each button carries its own action, with the tag and hint of its menu item,
// so that the handler finds the tag on whichever sender it is given.
QToolButton* TfmMain::addSpeedButton(const char* name, int left, const QAction* menuItem, const QIcon& glyph) {
    auto* action = new QAction(glyph, menuItem->text(), this);
    action->setObjectName(QString::fromLatin1(name));
    action->setProperty("tag", menuItem->property("tag"));
    action->setStatusTip(menuItem->statusTip());
    action->setToolTip(menuItem->statusTip());

    auto* button = new QToolButton(SpeedPanel);
    button->setObjectName(QString::fromLatin1(name));
    button->setDefaultAction(action);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setIconSize(QSize(20, 20));
    button->setGeometry(left, kButtonTop, kButtonWidth, kButtonHeight);
    return button;
}

void TfmMain::createSpeedPanel() {
    SpeedPanel = new QWidget(this);
    SpeedPanel->setObjectName(QStringLiteral("SpeedPanel"));
    SpeedPanel->setFixedHeight(kSpeedPanelHeight);
    SpeedPanel->setAutoFillBackground(true);

    QStyle* s = style();
    sbnVXDOS2 = addSpeedButton("sbnVXDOS2", 9, miImpSved25, s->standardIcon(QStyle::SP_DriveFDIcon));
    sbnVXW2 = addSpeedButton("sbnVXW2", 42, Win21, s->standardIcon(QStyle::SP_ComputerIcon));
    sbnVXDOS1 = addSpeedButton("sbnVXDOS1", 42, miImpSp, s->standardIcon(QStyle::SP_DriveFDIcon));
    sbnVXDOS1->setVisible(false);
    sbnKladrI = addSpeedButton("sbnKladrI", 113, imClassImport, s->standardIcon(QStyle::SP_DirOpenIcon));
    sbnKladrD = addSpeedButton("sbnKladrD", 146, DelKlas, s->standardIcon(QStyle::SP_TrashIcon));
    sbnVXExec = addSpeedButton("sbnVXExec", 184, VXwsExec, s->standardIcon(QStyle::SP_MediaPlay));
    sbnExit = addSpeedButton("sbnExit", 234, ExitItem, s->standardIcon(QStyle::SP_DialogCloseButton));

    for (QToolButton* b : {sbnVXDOS2, sbnVXW2, sbnVXDOS1}) {
        connect(b->defaultAction(), &QAction::triggered, this, &TfmMain::miImpSved25Click);
    }
    connect(sbnKladrI->defaultAction(), &QAction::triggered, this, &TfmMain::imClassImportClick);
    connect(sbnKladrD->defaultAction(), &QAction::triggered, this, &TfmMain::DelKlasClick);
    connect(sbnVXExec->defaultAction(), &QAction::triggered, this, &TfmMain::VXwsExecClick);
    connect(sbnExit->defaultAction(), &QAction::triggered, this, &TfmMain::sbnExitClick);
}

void TfmMain::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);

    StatusBarPanel0 = new QLabel(kVersionText, bar);
    StatusBarPanel0->setObjectName(QStringLiteral("StatusBarPanel0"));
    StatusBarPanel0->setFixedWidth(kVersionPanelWidth);
    StatusBarPanel0->setAlignment(Qt::AlignCenter);
    StatusBarPanel0->setFrameShape(QFrame::Panel);
    StatusBarPanel0->setFrameShadow(QFrame::Sunken);

    StatusBarPanel1 = new QLabel(bar);
    StatusBarPanel1->setObjectName(QStringLiteral("StatusBarPanel1"));
    StatusBarPanel1->setFrameShape(QFrame::Panel);
    StatusBarPanel1->setFrameShadow(QFrame::Sunken);
    StatusBarPanel1->setMinimumWidth(1);

    bar->addWidget(StatusBarPanel0);
    bar->addWidget(StatusBarPanel1, 1);
}

}  // namespace kvzt::app
