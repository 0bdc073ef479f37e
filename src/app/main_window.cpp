#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPointer>
#include <QStatusTipEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>

#include "app/about_box.h"
#include "app/command_entries.h"
#include "app/engine_error_box.h"
#include "app/regional_formats.h"
#include "app/top_window_finder.h"
#include "data/data_module.h"
#include "data/engine_session.h"
#include "data/path_helpers.h"
#include "data/program_flags.h"
#include "data/settings_file.h"
#include "data/ui/file_dialog_folders.h"
#include "data/ui/form_layout.h"
#include "data/ui/question_dialog.h"
#include "data/ui/warning_dialog.h"
#include "engine/errors.h"
#include "engine/path_util.h"

#if __has_include("schema/ui/start_check_window.h")
#include "schema/ui/start_check_window.h"
#define KVZT_HAVE_START_CHECK_WINDOW 1
#else
#include "schema/start_check.h"
#endif

namespace kvzt::app {

const QString kMainCaption = QStringLiteral("Квазитор для программы \"Таксант\"");
const QString kApplicationTitle = QStringLiteral("Квазитор \"Таксанта\"");
const QString kVersionText = QStringLiteral("Версия 3.2w");

namespace {

const QString kHostTitle = QStringLiteral("\"Таксант\"");
const QString kModifierTitle = QStringLiteral("Модификатор \"Таксанта\"");
const QString kHostExecutable = QStringLiteral("vxws32.EXE");

// The dialog's filters as they have always been written: pairs of a caption
// and ";"-separated patterns, separated by "|".
const QString kDos2Filter =
    QStringLiteral("Данные \"Таксант\" DOS-версии 2.*|Spisok.dbf;Doxod.dbf;Vicet.dbf;Object.dbf");
const QString kWin32Filter = QStringLiteral(
    "Данные \"Таксант\" Win-версии 3.2|Spisok32.dbf;SvBase32.dbf;Doxod22.dbf;Vicet22.dbf;NH22.dbf;"
    "Spisok32.mdx;SvBase32.mdx;Doxod22.mdx;Vicet22.mdx;NH22.mdx");

// "caption|a;b|caption2|c" → the file dialog's "caption (a b)" filters.
QStringList nameFiltersOf(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        filters << parts[i] + QStringLiteral(" (") + parts[i + 1].split(QLatin1Char(';')).join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

// The picture shown under the tool bar until the title window hands over its own.
QPixmap defaultPicture() {
    QPixmap picture(544, 120);
    QPainter painter(&picture);
    QLinearGradient gradient(0, 0, 544, 120);
    gradient.setColorAt(0, QColor(0, 96, 96));
    gradient.setColorAt(1, QColor(0, 150, 136));
    painter.fillRect(picture.rect(), gradient);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(34);
    painter.setFont(font);
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(picture.rect(), Qt::AlignCenter, kApplicationTitle);
    return picture;
}

QWidget* runStartCheck(QWidget* parent, data::TdmKVZT& dm) {
#ifdef KVZT_HAVE_START_CHECK_WINDOW
    return schema::ui::RunStartCheckWindow(parent, dm);
#else
    // Without its title window the check still runs, so that a first start
    // gets its tables.
    Q_UNUSED(parent);
    const schema::StartCheckReport report = schema::StartCheck(dm.session());
    if (!report.ok()) {
        throw engine::EngineError(engine::code::Io, report.failures.join(QLatin1Char('\n')).toStdString());
    }
    return nullptr;
#endif
}

// The settings key of the folder each import's file dialog remembers.
QString importFolderKey(quint8 kind) {
    return kind == 2 ? QStringLiteral("ImportDos2") : QStringLiteral("ImportWin32");
}

QString chooseWithDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

// The wait cursor while a block runs.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

MainWindowServices MainWindowServices::defaults() {
    MainWindowServices s;
    s.ask = [](const QString& a, const QString& b, const QString& q, bool cancel) { return data::Ask(a, b, q, cancel); };
    s.warn = [](const QString& a, const QString& b) { data::ShowWarning(a, b); };
    s.showError = [](QWidget* parent, const QString& message) { ShowEngineError(parent, message); };
    s.chooseFile = chooseWithDialog;
    s.windowFinder = std::shared_ptr<TopWindowFinder>(makeTopWindowFinder());
    s.startCheck = runStartCheck;
    s.delay = [](int ms) { data::Delay(ms); };
    s.runFile = [](const QString& file) { return data::RunFile(file, QString(), true); };
    s.quit = [] { QCoreApplication::exit(0); };
    s.runImpSpis = RunImpSpis;
    s.reviewSpisDbl = ReviewSpisDbl;
    s.reviewSvedDbl = ReviewSvedDbl;
    s.runImpKladr = RunImpKladr;
    s.runSprTools = RunSprTools;
    s.runDataServ = RunDataServ;
    s.showAbout = [](QWidget* parent) {
        TfmAbout about(parent);
        about.exec();
    };
    return s;
}

TfmMain::TfmMain(MainWindowServices services, QWidget* parent) : QMainWindow(parent), services_(std::move(services)) {
    setObjectName(QStringLiteral("fmMain"));
    setWindowTitle(kMainCaption);
    if (QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif"))) setFont(QFont(QStringLiteral("MS Sans Serif")));

    createMenus();

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    createSpeedPanel();
    column->addWidget(SpeedPanel);
    imScr = new QLabel(client);
    imScr->setObjectName(QStringLiteral("imScr"));
    imScr->setScaledContents(true);
    imScr->setMinimumSize(1, 1);
    imScr->setPixmap(defaultPicture());
    column->addWidget(imScr, 1);
    setCentralWidget(client);

    createStatusBar();

    dlgOpnSpis = new QFileDialog(this);
    dlgOpnSpis->setObjectName(QStringLiteral("dlgOpnSpis"));
    dlgOpnSpis->setAcceptMode(QFileDialog::AcceptOpen);
    dlgOpnSpis->setFileMode(QFileDialog::ExistingFile);  // path and file must exist
    dlgOpnSpis->setOption(QFileDialog::ReadOnly, true);
    dlgFilter_ = kDos2Filter;
    dlgOpnSpis->setNameFilters(nameFiltersOf(dlgFilter_));
    dlgOpnSpis->selectFile(QStringLiteral("Spisok.dbf"));
    dlgOpnSpis->setWindowTitle(QStringLiteral("Выбор файла списка таксантов"));

    move(200, 108);
    resize(544, 122);

    FormCreate();
}

TfmMain::~TfmMain() {
    if (terminated_) data::CloseSettings();
    // A window destroyed without being closed still leaves its layout behind.
    if (!destroyed_ && !terminated_) {
        data::RunHostOnExit = false;
        try {
            FormDestroy();
        } catch (...) {
        }
    }
}

void TfmMain::FormCreate() {
    data::OpenSettings(services_.settingsBaseName);
    ApplyRegionalFormats();
}

data::TdmKVZT* TfmMain::dataModule() const { return dm_ ? dm_ : data::dmKVZT(); }

data::TdmKVZT& TfmMain::requireDataModule() const {
    data::TdmKVZT* dm = dataModule();
    if (!dm) throw engine::EngineError(engine::code::InvalidHandle, "Модуль данных программы не создан");
    return *dm;
}

quint8 TfmMain::senderTag() const {
    const QObject* from = sender();
    return from ? quint8(from->property("tag").toInt()) : 0;
}

void TfmMain::guarded(const std::function<void()>& command) {
    try {
        command();
    } catch (const engine::EngineError& e) {
        services_.showError(this, QString::fromStdString(e.what()));
    } catch (const std::exception& e) {
        services_.showError(this, QString::fromLocal8Bit(e.what()));
    }
}

bool TfmMain::event(QEvent* event) {
    if (event->type() == QEvent::StatusTip) {
        ShowHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TfmMain::ShowHint(const QString& hint) { StatusBarPanel1->setText(hint); }

void TfmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    // After the window is on screen and inside the message loop, so that a
    // refusal can end the loop.
    QTimer::singleShot(0, this, &TfmMain::FormShow);
}

bool TfmMain::refuseWhileOpen(const QString& title, const QString& firstLine) {
    while (services_.windowFinder && services_.windowFinder->topLevelWindowExists(title)) {
        const int answer = services_.ask(firstLine, QStringLiteral("для работы \"Квазитора\" ее надо закрыть"),
                                         QStringLiteral("Продолжать?"), false);
        if (answer != data::kAnswerYes) return false;
    }
    return true;
}

void TfmMain::FormShow() {
    shownOnce_ = true;
    startingUp_ = true;
    startUp();
    startingUp_ = false;
    if (closeAfterStartUp_ && !terminated_) close();
}

void TfmMain::startUp() {
    data::RunHostOnExit = false;
    services_.delay(300);

    if (!refuseWhileOpen(kHostTitle, QStringLiteral("Выполняется программа \"Таксант\"")) ||
        !refuseWhileOpen(kModifierTitle, QStringLiteral("Выполняется программа \"Модификатор версий\""))) {
        terminated_ = true;
        services_.quit();
        QCoreApplication::processEvents();
        return;
    }

    QPointer<QWidget> title;
    if (data::TdmKVZT* dm = dataModule()) {
        guarded([&] { title = services_.startCheck(this, *dm); });
        // On a first start the always-open tables exist only now that the
        // check has created them.
        if (!dm->connected()) guarded([&] { dm->connect(); });
    }

    data::LoadFormLayout(this);
    layoutLoaded_ = true;

    if (title) {
        if (auto* picture = title->findChild<QLabel*>(QStringLiteral("imTitul"))) {
            const QPixmap pixmap = picture->pixmap();
            if (!pixmap.isNull()) imScr->setPixmap(pixmap);
        }
        title->close();
        if (title) title->deleteLater();
    }
}

void TfmMain::closeEvent(QCloseEvent* event) {
    if (startingUp_) {
        closeAfterStartUp_ = true;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && !destroyed_) FormDestroy();
}

void TfmMain::FormDestroy() {
    destroyed_ = true;
    // A window whose layout was never restored (start-up given up) keeps the
    // stored one.
    if (layoutLoaded_) guarded([&] { data::SaveFormLayout(this); });
    data::CloseSettings();
    if (data::RunHostOnExit) {
        services_.delay(500);
        startHost();
    }
}

void TfmMain::startHost() {
    const QString directory =
        services_.hostDirectory.isEmpty() ? QString::fromStdString(data::ProgramDirectory()) : services_.hostDirectory;
    const auto found = engine::findFileNoCase(directory.toStdString(), kHostExecutable.toStdString());
    if (!found) {
        services_.warn(QStringLiteral("Не найдена программа \"Таксант\" (") + kHostExecutable + QLatin1Char(')'),
                       QStringLiteral("в каталоге ") + QDir::toNativeSeparators(directory));
        return;
    }
    const QString path = QString::fromStdString(*found);
    if (!services_.runFile(path)) {
        services_.warn(QStringLiteral("Не удалось запустить программу \"Таксант\""), QDir::toNativeSeparators(path));
    }
}

void TfmMain::prepareOpenDialog(quint8 tag) {
    QString fileName;
    QString title;
    switch (tag) {
    case 2:
        fileName = QStringLiteral("Spisok.dbf");
        dlgFilter_ = kDos2Filter;
        title = QStringLiteral("Выбор файлов данных \"Таксант\" DOS-версии 2.*");
        break;
    case 3:
        fileName = QStringLiteral("Spisok32.dbf");
        dlgFilter_ = kWin32Filter;
        title = QStringLiteral("Выбор файлов данных \"Таксант\" Win-версии 2.3");
        break;
    default:
        return;  // the dialog keeps what the last command left
    }
    dlgOpnSpis->setNameFilters(nameFiltersOf(dlgFilter_));
    // The folder last used for this kind of import, the file whatever its letter case.
    data::PrepareFileDialog(*dlgOpnSpis, importFolderKey(tag), fileName);
    dlgOpnSpis->setWindowTitle(title);
}

void TfmMain::runImport(quint8 kind) {
    prepareOpenDialog(kind);
    const QString file = services_.chooseFile(*dlgOpnSpis);
    if (file.isEmpty()) return;
    data::RememberFileDialogFolder(importFolderKey(kind), file);

    int answer = services_.ask(QStringLiteral("Перед выполнением импорта"),
                               QStringLiteral("произвести очистку целевой БД \"Таксанта\"?"), QString(), true);
    if (answer == data::kAnswerCancel) return;
    if (answer == data::kAnswerYes) {
        answer = services_.ask(QStringLiteral("Вы совершенно уверены в необходимости"),
                               QStringLiteral("очистки целевой БД \"Таксанта\"?"), QString(), true);
        if (answer == data::kAnswerCancel) return;
        if (answer == data::kAnswerYes) {
            data::TdmKVZT& dm = requireDataModule();
            WaitCursor wait;
            data::EmptyImportTargets(dm);
        }
    }

    QString directory = QDir::toNativeSeparators(QFileInfo(file).absolutePath());
    if (!directory.endsWith(QDir::separator())) directory += QDir::separator();
    services_.runImpSpis(directory, kind);
    if (data::SpisDblFound) services_.reviewSpisDbl();
    if (data::SvedDblFound) services_.reviewSvedDbl(kind);
}

void TfmMain::miImpSved25Click() {
    const quint8 kind = senderTag();
    guarded([&] { runImport(kind); });
}

void TfmMain::VXwsExecClick() {
    guarded([&] {
        if (services_.ask(QStringLiteral("Вызов программы \"Таксант\""),
                          QStringLiteral("автоматически закроет \"Квазитор\""), QStringLiteral("Продолжать?"),
                          false) != data::kAnswerYes) {
            return;
        }
        data::RunHostOnExit = true;
        close();
    });
}

void TfmMain::sbnExitClick() { close(); }

void TfmMain::imClassImportClick() {
    guarded([&] { services_.runImpKladr(true); });
}

void TfmMain::DelKlasClick() {
    guarded([&] { services_.runImpKladr(false); });
}

void TfmMain::miSpDUlClick() {
    const quint8 tag = senderTag();
    guarded([&] { services_.runSprTools(tag); });
}

void TfmMain::miAllDataClick() {
    const quint8 tag = senderTag();
    guarded([&] { services_.runDataServ(tag); });
}

void TfmMain::miEmptySvedClick() {
    const quint8 tag = senderTag();
    guarded([&] {
        if (services_.ask(QStringLiteral("Вы совершенно уверены в выполнении"), QStringLiteral("операции очистки ?"),
                          QString(), false) == data::kAnswerYes) {
            services_.runDataServ(tag);
        }
    });
}

void TfmMain::AboutItemClick() {
    guarded([&] { services_.showAbout(this); });
}

}  // namespace kvzt::app
