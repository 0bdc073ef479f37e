#include "classifier/ui/imp_kladr_window.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "classifier/kladr_process.h"
#include "classifier/ui/imp_exec_window.h"
#include "classifier/ui/region_cell_delegate.h"
#include "data/data_module.h"
#include "data/path_helpers.h"
#include "data/table_helpers.h"
#include "data/ui/file_dialog_folders.h"
#include "data/ui/form_layout.h"
#include "data/ui/grid_type_ahead.h"
#include "data/ui/question_dialog.h"
#include "data/ui/table_model.h"
#include "data/ui/warning_dialog.h"
#include "engine/errors.h"
#include "engine/session.h"
#include "engine/table.h"

namespace kvzt::classifier::ui {

namespace {

const QColor kNavy(0x00, 0x00, 0x80);
const QColor kAqua(0x00, 0xFF, 0xFF);
const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kYellow(0xFF, 0xFF, 0x00);

constexpr int kWindowWidth = 639;
constexpr int kWindowHeight = 403;
constexpr int kNameWidth = 316;
constexpr int kCodeWidth = 23;
constexpr int kButtonWidth = 96;
constexpr int kNameRegWidth = 50;  // characters of the calculated name column
constexpr int kMarksColumn = 4;

QFont arial(int pixelSize, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, QStyle::StandardPixmap glyph) {
    auto* button = new QPushButton(parent->style()->standardIcon(glyph), text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setMinimumWidth(kButtonWidth);
    return button;
}

// The mode's hints of the buttons (bbnExit's is the same in both).
struct ModeTexts {
    const char* edit;
    const char* edNot;
    const char* selAll;
    const char* unSelAll;
    const char* imp;
};

const ModeTexts kImportTexts{"Включить для импорта", "Исключить из импорта", "Включить все регионы для импорта",
                             "Исключить все регионы из импорта", "Выполнить импорт"};
const ModeTexts kDeletionTexts{"Включить для удаления", "Исключить из удаления", "Включить все регионы для удаления",
                               "Исключить все регионы из удаления", "Выполнить удаление записей"};

const QString kKladrFolderKey = QStringLiteral("KladrImport");

QString chooseWithDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

}  // namespace

TfmImpKladr::TfmImpKladr(data::TdmKVZT& dm, bool importMode, QWidget* parent)
    : QDialog(parent), dm_(dm), importMode_(importMode) {
    setObjectName(QStringLiteral("fmImpKladr"));
    setProperty("tag", kImpKladrTag);
    setWindowTitle(QStringLiteral("Импорт классификатора адресов (КЛАДР ОРЦИС)"));

    chooseFile = chooseWithDialog;
    warn = [this](const QString& first, const QString& second) { data::ShowWarning(first, second, this); };
    ask = [this](const QString& first, const QString& second, const QString& question, bool withCancel) {
        return data::Ask(first, second, question, withCancel, this);
    };
    runKladrExec = [this](const QString& directory, bool streets) {
        RunKladrExec(dm_, directory, streets, this);
    };
    showError = [this](const QString& message) {
        QMessageBox::critical(this, QCoreApplication::applicationName(), message);
    };

    // FormCreate: the window's own cursor on the regions, by name.
    tbReg_ = dm_.session().openTable("VX_S", "K1REG", engine::OpenMode::Shared);
    tbReg_->setIndex("NAMEX");
    tbReg_->first();

    std::vector<data::TableColumn> columns;
    columns.push_back({QStringLiteral("NameReg"), QStringLiteral("Наименование региона"), Qt::AlignLeft,
                       [this](const engine::Table& t) {
                           const QString type =
                               data::LookupField(dm_.tbTip.table(), QStringLiteral("CODEX"),
                                                 {{QStringLiteral("Code"), QString::fromStdString(t.asString("TIP"))}}, 1);
                           return QString::fromStdString(t.asString("NAME")) + QStringLiteral("  ") + type;
                       }});
    columns.push_back({QStringLiteral("KODREG"), QStringLiteral("Код"), Qt::AlignHCenter, {}});
    columns.push_back({QStringLiteral("GNINMB"), QStringLiteral("ГНИ"), Qt::AlignHCenter, {}});
    columns.push_back({QStringLiteral("YesC"), QStringLiteral("Установл."), Qt::AlignHCenter,
                       [](const engine::Table& t) {
                           return t.asBoolean("YES") ? QStringLiteral("*****") : QStringLiteral("     ");
                       }});
    columns.push_back({QStringLiteral("Yes2InsC"), QStringLiteral("Импорт"), Qt::AlignHCenter,
                       [](const engine::Table& t) {
                           return t.asBoolean("YES2INS") ? QStringLiteral("!!!!!") : QStringLiteral("     ");
                       }});
    model_ = new data::TableModel(tbReg_.get(), std::move(columns), this);
    model_->setRowValue([](const engine::Table& t) {
        return QVariant(RegionFlags(t.asBoolean("YES"), t.asBoolean("YES2INS")));
    });

    buildWidgets();

    dlgOpnKladr = new QFileDialog(this);
    dlgOpnKladr->setObjectName(QStringLiteral("dlgOpnKladr"));
    dlgOpnKladr->setWindowTitle(QStringLiteral("Выбор файла классификатора"));
    dlgOpnKladr->setAcceptMode(QFileDialog::AcceptOpen);
    dlgOpnKladr->setFileMode(QFileDialog::ExistingFile);  // path and file must exist
    dlgOpnKladr->setOption(QFileDialog::ReadOnly, true);
    dlgOpnKladr->setOption(QFileDialog::HideNameFilterDetails, true);
    // "Файлы КЛАДР (Kladr.dbf;Street.dbf)|Kladr.dbf;Street.dbf"; the names in
    // any letter case, as the files come on case-sensitive systems.
    dlgOpnKladr->setNameFilter(QStringLiteral(
        "Файлы КЛАДР (Kladr.dbf;Street.dbf) (Kladr.dbf Street.dbf kladr.dbf street.dbf KLADR.DBF STREET.DBF)"));
    // The folder last used for the classifier, or else the VX_S directory.
    data::PrepareFileDialog(*dlgOpnKladr, kKladrFolderKey, QStringLiteral("Kladr.dbf"),
                            data::AliasPath(dm_.session(), QStringLiteral("VX_S")));
}

TfmImpKladr::~TfmImpKladr() {
    data::EndTypeAhead();
    // The grid lets go of the model before the table it reads is closed.
    if (dbgImpKladr) dbgImpKladr->setModel(nullptr);
    if (model_) model_->setTable(nullptr);
    tbReg_.reset();
}

void TfmImpKladr::buildWidgets() {
    resize(kWindowWidth, kWindowHeight);
    setFont(arial(12));
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, kNavy);
    windowPalette.setColor(QPalette::WindowText, kAqua);
    setPalette(windowPalette);
    setAutoFillBackground(true);

    dbgImpKladr = new QTableView(this);
    dbgImpKladr->setObjectName(QStringLiteral("dbgImpKladr"));
    dbgImpKladr->setFont(arial(13));
    dbgImpKladr->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgImpKladr->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgImpKladr->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgImpKladr->setItemDelegate(new RegionCellDelegate(dbgImpKladr));
    dbgImpKladr->setWordWrap(false);
    dbgImpKladr->setTabKeyNavigation(false);
    dbgImpKladr->verticalHeader()->hide();
    QPalette gridPalette = dbgImpKladr->palette();
    gridPalette.setColor(QPalette::Base, kNavy);
    gridPalette.setColor(QPalette::Window, kNavy);
    gridPalette.setColor(QPalette::Text, kAqua);
    dbgImpKladr->setPalette(gridPalette);
    const QFontMetrics gridMetrics(QFont(arial(13, true)));
    dbgImpKladr->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    dbgImpKladr->verticalHeader()->setDefaultSectionSize(gridMetrics.height() + kRegionTextTop + 2);

    // Bold black titles on silver.
    QHeaderView* titles = dbgImpKladr->horizontalHeader();
    titles->setFont(arial(13, true));
    QPalette titlePalette = titles->palette();
    titlePalette.setColor(QPalette::Button, kSilver);
    titlePalette.setColor(QPalette::Window, kSilver);
    titlePalette.setColor(QPalette::ButtonText, Qt::black);
    titles->setPalette(titlePalette);
    titles->setHighlightSections(false);
    titles->setStretchLastSection(false);

    dbgImpKladr->setModel(model_);
    const QFontMetrics titleMetrics(titles->font());
    const auto titleWidth = [&](const QString& title) { return titleMetrics.horizontalAdvance(title) + 10; };
    dbgImpKladr->setColumnWidth(0, kNameWidth);
    dbgImpKladr->setColumnWidth(1, std::max(kCodeWidth, titleWidth(QStringLiteral("Код"))));
    dbgImpKladr->setColumnWidth(2, std::max(titleWidth(QStringLiteral("ГНИ")), gridMetrics.horizontalAdvance(QStringLiteral("0000")) + 10));
    dbgImpKladr->setColumnWidth(3, titleWidth(QStringLiteral("Установл.")));
    dbgImpKladr->setColumnWidth(4, std::max(titleWidth(QStringLiteral("Импорт")), titleWidth(QStringLiteral("Удален."))));

    bbnEdit = makeButton(this, "bbnEdit", QStringLiteral("Включить"), QStyle::SP_DialogApplyButton);
    bbnEdNot = makeButton(this, "bbnEdNot", QStringLiteral("Исключить"), QStyle::SP_DialogCancelButton);
    bbnSelAll = makeButton(this, "bbnSelAll", QStringLiteral("Включ. все"), QStyle::SP_DialogYesButton);
    bbnUnSelAll = makeButton(this, "bbnUnSelAll", QStringLiteral("Искл. все"), QStyle::SP_DialogNoButton);
    bbnImp = makeButton(this, "bbnImp", QStringLiteral("Выполнить"), QStyle::SP_DialogOkButton);
    bbnExit = makeButton(this, "bbnExit", QStringLiteral("Закрыть"), QStyle::SP_DialogCloseButton);
    const ModeTexts& hints = kImportTexts;
    bbnEdit->setToolTip(QString::fromUtf8(hints.edit));
    bbnEdNot->setToolTip(QString::fromUtf8(hints.edNot));
    bbnSelAll->setToolTip(QString::fromUtf8(hints.selAll));
    bbnUnSelAll->setToolTip(QString::fromUtf8(hints.unSelAll));
    bbnImp->setToolTip(QString::fromUtf8(hints.imp));
    bbnExit->setToolTip(QStringLiteral("Закрыть список"));
    bbnEdit->hide();
    bbnEdNot->hide();
    bbnImp->setEnabled(false);
    // Buttons keep the program's usual black text on the navy window.
    for (QPushButton* b : {bbnEdit, bbnEdNot, bbnSelAll, bbnUnSelAll, bbnImp, bbnExit}) {
        QPalette p = b->palette();
        p.setColor(QPalette::ButtonText, Qt::black);
        p.setColor(QPalette::Button, kSilver);
        b->setPalette(p);
    }

    // "Включить" and "Исключить" share one place.
    auto* markPlace = new QWidget(this);
    markPlace->setObjectName(QStringLiteral("plMark"));
    markPlace->setFixedHeight(bbnEdit->sizeHint().height());
    auto* markLayout = new QGridLayout(markPlace);
    markLayout->setContentsMargins(0, 0, 0, 0);
    markLayout->addWidget(bbnEdit, 0, 0);
    markLayout->addWidget(bbnEdNot, 0, 0);

    auto* plButtons = new QWidget(this);
    plButtons->setObjectName(QStringLiteral("plButtons"));
    auto* buttons = new QVBoxLayout(plButtons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(markPlace);
    buttons->addSpacing(12);
    buttons->addWidget(bbnSelAll);
    buttons->addWidget(bbnUnSelAll);
    buttons->addStretch(1);
    buttons->addWidget(bbnImp);
    buttons->addSpacing(12);
    buttons->addWidget(bbnExit);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(dbgImpKladr, 1);
    layout->addWidget(plButtons, 0);

    connect(bbnEdit, &QPushButton::clicked, this, &TfmImpKladr::bbnEditClick);
    connect(bbnEdNot, &QPushButton::clicked, this, &TfmImpKladr::bbnEditClick);
    connect(bbnSelAll, &QPushButton::clicked, this, &TfmImpKladr::bbnSelAllClick);
    connect(bbnUnSelAll, &QPushButton::clicked, this, &TfmImpKladr::bbnUnSelAllClick);
    connect(bbnImp, &QPushButton::clicked, this, &TfmImpKladr::bbnImpClick);
    connect(bbnExit, &QPushButton::clicked, this, &TfmImpKladr::bbnExitClick);
    connect(dbgImpKladr, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex&) { bbnEditClick(); });
    // tbRegAfterScroll: another record ends the type-ahead.
    connect(dbgImpKladr->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex&, const QModelIndex&) {
                data::EndTypeAhead();
                showMarkButton();
            });

    if (model_->rowCount() > 0) dbgImpKladr->setCurrentIndex(model_->index(0, 0));
    showMarkButton();

    // Wide enough for every column beside the buttons (the bold titles take
    // more room than the design width gave them).
    int columnsWidth = 0;
    for (int c = 0; c < model_->columnCount(); ++c) columnsWidth += dbgImpKladr->columnWidth(c);
    const int gridWidth = columnsWidth + dbgImpKladr->verticalScrollBar()->sizeHint().width() +
                          2 * dbgImpKladr->frameWidth() + 2;
    const int needed = gridWidth + plButtons->sizeHint().width() + layout->contentsMargins().left() +
                       layout->contentsMargins().right() + layout->spacing();
    setMinimumWidth(needed);
    resize(std::max(kWindowWidth, needed), kWindowHeight);

    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
    dbgImpKladr->setFocus();
}

void TfmImpKladr::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous() && !shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfmImpKladr::FormShow() {
    data::LoadFormLayout(this);
    data::LoadGridLayout(dbgImpKladr);
    // Both modes share the saved grid layout, so each sets its own title of
    // the marks column after loading it.
    if (importMode_) {
        model_->setHeaderData(kMarksColumn, Qt::Horizontal, QStringLiteral("Импорт"), Qt::DisplayRole);
    } else {
        setWindowTitle(QStringLiteral("Удалаение записей из установленного классификатора адресов (КЛАДР ОРЦИС)"));
        const ModeTexts& hints = kDeletionTexts;
        bbnEdit->setToolTip(QString::fromUtf8(hints.edit));
        bbnEdNot->setToolTip(QString::fromUtf8(hints.edNot));
        bbnSelAll->setToolTip(QString::fromUtf8(hints.selAll));
        bbnUnSelAll->setToolTip(QString::fromUtf8(hints.unSelAll));
        bbnImp->setToolTip(QString::fromUtf8(hints.imp));
        model_->setHeaderData(kMarksColumn, Qt::Horizontal, QStringLiteral("Удален."), Qt::DisplayRole);
    }
    // Every opening starts with no region marked.
    setAllMarks(false);
}

bool TfmImpKladr::guarded(const std::function<void()>& operation) {
    try {
        operation();
        return true;
    } catch (const engine::EngineError& e) {
        showError(QString::fromStdString(e.what()));
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    }
    return false;
}

void TfmImpKladr::bbnEditClick() { toggleCurrent(); }

bool TfmImpKladr::toggleCurrent() {
    const int row = dbgImpKladr->currentIndex().row();
    bool toggled = false;
    if (row >= 0) {
        toggled = guarded([&] {
            model_->editRow(row, [](engine::Table& t) { t.setBoolean("YES2INS", !t.asBoolean("YES2INS")); });
        });
    }
    focusGrid();
    showMarkButton();
    updateExecEnabled();
    return toggled;
}

void TfmImpKladr::bbnSelAllClick() { setAllMarks(true); }

void TfmImpKladr::bbnUnSelAllClick() { setAllMarks(false); }

void TfmImpKladr::bbnExitClick() { reject(); }

void TfmImpKladr::setAllMarks(bool marked) {
    const std::uint32_t remembered = model_->recordAt(dbgImpKladr->currentIndex().row());
    const int column = std::max(dbgImpKladr->currentIndex().column(), 0);
    dbgImpKladr->setUpdatesEnabled(false);
    guarded([&] { SetAllRegionMarks(dm_, marked); });
    refreshKeepingRow();
    if (const int row = model_->rowOfRecord(remembered); row >= 0) {
        dbgImpKladr->setCurrentIndex(model_->index(row, column));
    }
    dbgImpKladr->setUpdatesEnabled(true);
    showMarkButton();
    updateExecEnabled();
    focusGrid();
}

void TfmImpKladr::refreshKeepingRow() {
    const int oldRow = dbgImpKladr->currentIndex().row();
    const std::uint32_t remembered = model_->recordAt(oldRow);
    const int column = std::max(dbgImpKladr->currentIndex().column(), 0);
    guarded([&] { model_->refresh(); });
    int row = model_->rowOfRecord(remembered);
    if (row < 0 && model_->rowCount() > 0) row = std::clamp(oldRow, 0, model_->rowCount() - 1);
    if (row >= 0) dbgImpKladr->setCurrentIndex(model_->index(row, column));
}

void TfmImpKladr::updateExecEnabled() {
    bool anyMarked = false;
    for (int row = 0; row < model_->rowCount() && !anyMarked; ++row) {
        anyMarked = RegionMarked(model_->index(row, 0).data(data::RowValueRole));
    }
    bbnImp->setEnabled(anyMarked);
}

void TfmImpKladr::showMarkButton() {
    const QModelIndex current = dbgImpKladr->currentIndex();
    if (!current.isValid()) {
        bbnEdit->hide();
        bbnEdNot->hide();
        return;
    }
    const bool marked = RegionMarked(current.data(data::RowValueRole));
    bbnEdit->setVisible(!marked);
    bbnEdNot->setVisible(marked);
}

void TfmImpKladr::moveToNextRow() {
    const QModelIndex current = dbgImpKladr->currentIndex();
    if (current.row() + 1 < model_->rowCount()) {
        dbgImpKladr->setCurrentIndex(model_->index(current.row() + 1, std::max(current.column(), 0)));
    }
}

void TfmImpKladr::focusGrid() {
    if (dbgImpKladr->isEnabled()) dbgImpKladr->setFocus();
}

void TfmImpKladr::bbnImpClick() {
    if (!bbnImp->isEnabled()) return;
    data::EndTypeAhead();
    if (importMode_) {
        runImport();
    } else {
        runDeletion();
    }
    focusGrid();
    done(QDialog::Accepted);
}

void TfmImpKladr::runImport() {
    const QString file = chooseFile(*dlgOpnKladr);
    if (file.isEmpty()) return;
    data::RememberFileDialogFolder(kKladrFolderKey, file);
    const QString directory = QFileInfo(file).absolutePath();
    const auto exists = [&](const char* name) {
        return QFileInfo::exists(data::TableFilePath(dm_.session(), directory, QString::fromLatin1(name)));
    };
    if (!exists("kladr.dbf")) {
        warn(QStringLiteral("Отсутствует файл классификатора (Kladr.dbf)"), QStringLiteral("Импорт не возможен"));
        return;
    }
    bool streets = true;
    if (!exists("street.dbf")) {
        const int answer = ask(QStringLiteral("На указанном пути отсутствует классифи-"),
                               QStringLiteral("катор улиц (файл street.dbf)"),
                               QStringLiteral("Улицы не будут импортированы.  Продолжать?"), false);
        if (answer != data::kAnswerYes) return;
        streets = false;
    }
    runKladrExec(directory, streets);
    refreshKeepingRow();
}

void TfmImpKladr::runDeletion() {
    const int answer = ask(QStringLiteral("Вы уверены, что хотите удалить записи из классифи-"),
                           QStringLiteral("катора для отмеченных регионов?"),
                           QStringLiteral("Если уверены нажмите \"ДА\""), false);
    if (answer != data::kAnswerYes) return;
    runKladrExec(QString(), true);
    refreshKeepingRow();
}

bool TfmImpKladr::FormKeyDown(const QKeyEvent* event) {
    const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    switch (event->key()) {
    case Qt::Key_Insert:
    case Qt::Key_Space:
        if (event->modifiers() & ~Qt::KeypadModifier) return false;
        // The key goes on as the Down arrow: the selection moves to the next region.
        data::EndTypeAhead();
        if (toggleCurrent()) moveToNextRow();
        return true;
    case Qt::Key_Plus:
        if (!keypad) return false;
        setAllMarks(true);
        return true;
    case Qt::Key_Minus:
        if (!keypad) return false;
        setAllMarks(false);
        return true;
    default:
        return false;
    }
}

bool TfmImpKladr::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dbgImpKladr && event->type() == QEvent::FocusOut) {
        data::EndTypeAhead();  // dbgImpKladrExit
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (FormKeyDown(key)) return true;
        // Esc is the short-cut of "Закрыть" before it is a key of the search.
        if (key->key() != Qt::Key_Escape) {
            bool consumed = false;
            if (guarded([&] {
                    consumed = data::GridTypeAhead(*key, dbgImpKladr,
                                                   {QStringLiteral("NAME"), QStringLiteral("NameReg"), kNameRegWidth,
                                                    kYellow, Qt::black});
                })) {
                if (consumed) return true;
            } else {
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfmImpKladr::keyPressEvent(QKeyEvent* event) {
    if (FormKeyDown(event)) return;
    QDialog::keyPressEvent(event);
}

void TfmImpKladr::done(int result) {
    if (!closed_) {
        closed_ = true;
        // FormClose: the table goes, the search ends (its title is given
        // back before the layout is written), then the layouts are saved.
        dbgImpKladr->setUpdatesEnabled(false);
        model_->setTable(nullptr);
        tbReg_.reset();
        data::EndTypeAhead();
        try {
            data::SaveGridLayout(dbgImpKladr);
            data::SaveFormLayout(this);
        } catch (const std::exception& e) {
            showError(QString::fromLocal8Bit(e.what()));
        }
    }
    QDialog::done(result);
}

void RunImpKladrWindow(data::TdmKVZT& dm, bool importMode, QWidget* owner) {
    TfmImpKladr fmImpKladr(dm, importMode, owner);
    fmImpKladr.exec();
}

}  // namespace kvzt::classifier::ui
