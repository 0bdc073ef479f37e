#pragma once
// The main window: a small tool-bar window from which every job of the
// program is started. On its first show it refuses to go on while the host
// program or its version modifier is open, runs the start-up check behind
// the title window and restores its layout; each menu item and tool button
// hands its tag (the QAction's "tag" property) to the part it starts.

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QFileDialog;
class QLabel;
class QMenu;
class QToolButton;

namespace kvzt::data {
class TdmKVZT;
}

namespace kvzt::app {

class TopWindowFinder;

// Everything the main window asks of the world outside it. The defaults are
// the program's dialogs, window finder, start-up check and command entries;
// tests replace single members.
struct MainWindowServices {
    // The question window: 1 "Да", 2 "Нет", 4 "Отмена".
    std::function<int(const QString& first, const QString& second, const QString& question, bool withCancel)> ask;
    std::function<void(const QString& first, const QString& second)> warn;
    // The error box for an engine error's text.
    std::function<void(QWidget* parent, const QString& message)> showError;
    // Shows the file dialog; the chosen file, or empty text when cancelled.
    std::function<QString(QFileDialog& dialog)> chooseFile;
    std::shared_ptr<TopWindowFinder> windowFinder;
    // Runs the start-up check behind the title window; returns the title
    // window still open, or null.
    std::function<QWidget*(QWidget* parent, data::TdmKVZT& dm)> startCheck;
    std::function<void(int ms)> delay;
    // Starts a program file without waiting; false when nothing started.
    std::function<bool(const QString& file)> runFile;
    // Ends the message loop.
    std::function<void()> quit;

    std::function<void(const QString& directory, quint8 kind)> runImpSpis;
    std::function<void()> reviewSpisDbl;
    std::function<void(quint8 kind)> reviewSvedDbl;
    std::function<void(bool importMode)> runImpKladr;
    std::function<void(quint8 tag)> runSprTools;
    std::function<void(quint8 tag)> runDataServ;
    std::function<void(QWidget* parent)> showAbout;

    // The settings file's base name: beside the program unless it is an absolute path.
    QString settingsBaseName = QStringLiteral("KvZt32");
    // Where the host's executable is looked for; empty: the program's own directory.
    QString hostDirectory;

    static MainWindowServices defaults();
};

class TfmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfmMain(MainWindowServices services = MainWindowServices::defaults(), QWidget* parent = nullptr);
    ~TfmMain() override;

    // The data module the commands work on; without one, dmKVZT().
    void setDataModule(data::TdmKVZT* dm) { dm_ = dm; }
    data::TdmKVZT* dataModule() const;

    // True once the start-up refusal ended the program.
    bool terminated() const { return terminated_; }
    // The dialog's filter in its stored form ("caption|pattern;pattern").
    const QString& openDialogFilter() const { return dlgFilter_; }

    // Components.
    QWidget* SpeedPanel = nullptr;
    QToolButton* sbnVXDOS2 = nullptr;
    QToolButton* sbnVXW2 = nullptr;
    QToolButton* sbnVXDOS1 = nullptr;
    QToolButton* sbnKladrI = nullptr;
    QToolButton* sbnKladrD = nullptr;
    QToolButton* sbnVXExec = nullptr;
    QToolButton* sbnExit = nullptr;
    QLabel* imScr = nullptr;
    QLabel* StatusBarPanel0 = nullptr;
    QLabel* StatusBarPanel1 = nullptr;
    QFileDialog* dlgOpnSpis = nullptr;

    QMenu* FuncMenu = nullptr;
    QAction* miImpSved25 = nullptr;
    QAction* miImpSp = nullptr;
    QAction* Win21 = nullptr;
    QAction* VXwsExec = nullptr;
    QAction* ExitItem = nullptr;
    QMenu* miKladr = nullptr;
    QAction* imClassImport = nullptr;
    QAction* DelKlas = nullptr;
    QMenu* miSprTools = nullptr;
    QAction* miSpDUl = nullptr;
    QAction* miDoh = nullptr;
    QAction* miVichet = nullptr;
    QMenu* miDB = nullptr;
    QMenu* miReINdex = nullptr;
    QAction* miFuncDB = nullptr;
    QAction* miReindKLadr = nullptr;
    QAction* miReindSprav = nullptr;
    QAction* miAllData = nullptr;
    QMenu* miPack = nullptr;
    QAction* miPackFuncDB = nullptr;
    QAction* miPackKladr = nullptr;
    QAction* miPackSprav = nullptr;
    QAction* miPackAll = nullptr;
    QMenu* miEmpty = nullptr;
    QAction* miEmptySved = nullptr;
    QAction* miEmptyDB = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* AboutItem = nullptr;

public slots:
    void miImpSved25Click();
    void VXwsExecClick();
    void sbnExitClick();
    void imClassImportClick();
    void DelKlasClick();
    void miSpDUlClick();
    void miAllDataClick();
    void miEmptySvedClick();
    void AboutItemClick();
    // The first show: refusal while the host runs, start-up check, layout.
    void FormShow();
    // Closing: layout saved, settings closed, the host started when asked for.
    void FormDestroy();
    // Puts the current hint into status-bar panel 1.
    void ShowHint(const QString& hint);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // What FormShow does, closes held back meanwhile.
    void startUp();
    void FormCreate();
    void createMenus();
    void createSpeedPanel();
    void createStatusBar();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption, int tag, const QString& hint);
    QToolButton* addSpeedButton(const char* name, int left, const QAction* menuItem, const QIcon& glyph);

    // The sender's tag as a byte.
    quint8 senderTag() const;
    // Runs a command; an engine error reaches the error box and the window stays usable.
    void guarded(const std::function<void()>& command);
    data::TdmKVZT& requireDataModule() const;

    // Returns false when the user gave up waiting for `title` to close.
    bool refuseWhileOpen(const QString& title, const QString& firstLine);
    void prepareOpenDialog(quint8 tag);
    void runImport(quint8 kind);
    void startHost();

    MainWindowServices services_;
    data::TdmKVZT* dm_ = nullptr;
    QString dlgFilter_;
    bool shownOnce_ = false;
    bool terminated_ = false;
    bool layoutLoaded_ = false;
    // A close asked for while FormShow runs the start-up checks waits for
    // their end, so that the check is not cut short and the layout is saved.
    bool startingUp_ = false;
    bool closeAfterStartUp_ = false;
    bool destroyed_ = false;
};

// The window's caption, the application's title and the status-bar version.
extern const QString kMainCaption;
extern const QString kApplicationTitle;
extern const QString kVersionText;

}  // namespace kvzt::app
