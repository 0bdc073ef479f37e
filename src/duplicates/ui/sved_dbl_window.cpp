#include "duplicates/ui/sved_dbl_window.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "data/data_module.h"
#include "data/table_helpers.h"
#include "data/ui/form_layout.h"
#include "data/ui/grid_type_ahead.h"
#include "data/ui/question_dialog.h"
#include "data/ui/table_model.h"
#include "data/ui/warning_dialog.h"
#include "duplicates/inclusion_run.h"
#include "duplicates/mark_all.h"
#include "duplicates/ui/proc_sved_window.h"
#include "duplicates/ui/mark_cell_delegate.h"
#include "duplicates/ui/find_text_dialog.h"
#include "duplicates/ui/sved_rec_view.h"
#include "duplicates/ui/sved_texts.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/session.h"
#include "engine/table.h"

namespace kvzt::duplicates::ui {

namespace {

constexpr int kWindowWidth = 626;
constexpr int kWindowHeight = 382;
constexpr int kOperWidth = 130;
constexpr int kButtonWidth = 120;
constexpr int kFioWidth = 238;
constexpr int kFioChars = 25;  // the width of FIO: the most the type-ahead text takes

const QColor kSilver(192, 192, 192);
const QColor kGrey(128, 128, 128);
const QColor kYellow(255, 255, 0);

QFont arial(int pixelSize, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QString trimmedMark(const QVariant& value) { return value.toString().trimmed(); }

}  // namespace

TfmSvedDbl::TfmSvedDbl(data::TdmKVZT& dm, quint8 kind, QWidget* parent) : QDialog(parent), dm_(dm), kind_(kind) {
    setObjectName(QStringLiteral("fmSvedDbl"));
    setWindowTitle(QStringLiteral("Вероятные дубли в записях Справок о доходах"));

    warn = [this](const QString& first, const QString& second) { data::ShowWarning(first, second, this); };
    ask = [this](const QString& first, const QString& second, const QString& question, bool withCancel) {
        return data::Ask(first, second, question, withCancel, this);
    };
    showError = [this](const QString& message) {
        QMessageBox::critical(this, QCoreApplication::applicationName(), message);
    };
    runProcWindow = [](TfmSvedProc& window) { window.exec(); };

    // FormCreate: the stored-twin view, then the duplicates by name.
    tbSved_ = dm_.session().openTable("VX_B", "SvBase32", engine::OpenMode::Shared);
    tbSved_->setIndex("IDDOKX");
    tbSvDubl_ = dm_.session().openTable("VX_S", "SvB_32", engine::OpenMode::Shared);
    tbSvDubl_->setIndex("FIOX");
    tbSvDubl_->first();

    std::vector<data::TableColumn> columns;
    columns.push_back({QStringLiteral("FIO"), QStringLiteral("Фамилия И.О."), Qt::AlignLeft, {}});
    columns.push_back({QStringLiteral("DSvedI"), QStringLiteral("Дата имп. свед."), Qt::AlignHCenter,
                       [](const engine::Table& t) { return DateText(t.asDate("DSVED")); }});
    columns.push_back({QStringLiteral("DSvedS"), QStringLiteral("Дата свед. в БД"), Qt::AlignHCenter,
                       [this](const engine::Table& t) {
                           if (!tbSved_->findKey({engine::Value(t.asString("IDDOK"))})) return QString();
                           return DateText(tbSved_->asDate("DSVED"));
                       }});
    columns.push_back({QStringLiteral("INCL"), QStringLiteral("Отм."), Qt::AlignHCenter, {}});
    model_ = new data::TableModel(tbSvDubl_.get(), std::move(columns), this);
    model_->setRowValue([](const engine::Table& t) { return QVariant(QString::fromStdString(t.asString("INCL"))); });

    fmSvedRecI = new TfmSvedRecI(this);
    fmSvedRecS = new TfmSvedRecS(this);
    fmSvedRecI->source = [this] { return importedRecord(); };
    fmSvedRecS->source = [this] { return storedRecord(); };

    buildWidgets();
    buildMenu();

    FindDlg = new FindTextDialog(this);
    FindDlg->findNext = [this](const QString& text, bool forward) { findSurname(text, forward); };
}

TfmSvedDbl::~TfmSvedDbl() {
    data::EndTypeAhead();
    try {
        closeTables();
    } catch (...) {  // closing syncs the marks; a full disk here cannot be reported any more
    }
}

void TfmSvedDbl::closeTables() {
    if (fmSvedRecI) fmSvedRecI->hide();
    if (fmSvedRecS) fmSvedRecS->hide();
    // The grid lets go of the model before the table it reads is closed.
    if (dbgSvDubl) dbgSvDubl->setModel(nullptr);
    if (model_) model_->setTable(nullptr);
    tbSvDubl_.reset();
    tbSved_.reset();
}

QPushButton* TfmSvedDbl::makeButton(QWidget* parent, const char* name, const QString& text, const QString& hint) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setAutoDefault(false);
    return button;
}

void TfmSvedDbl::buildWidgets() {
    resize(kWindowWidth, kWindowHeight);
    move(143, 100);
    setFont(arial(12));

    // The right panel with the marking operations and the search.
    auto* pnOper = new QFrame(this);
    pnOper->setObjectName(QStringLiteral("pnOper"));
    pnOper->setFixedWidth(kOperWidth);
    auto* gbOper = new QGroupBox(QStringLiteral("Операции по виду"), pnOper);
    gbOper->setObjectName(QStringLiteral("gbOper"));
    const QString db = QStringLiteral("БД \"Таксант\"");
    bbnReplAll = makeButton(gbOper, "bbnReplAll", QStringLiteral("Заменить все"),
                            QStringLiteral("Заменить импортируемыми записями записи в ") + db);
    bbnAddAll = makeButton(gbOper, "bbnAddAll", QStringLiteral("Добавить все"),
                           QStringLiteral("Добавить импортируемые записи  в  ") + db);
    bbnRepl = makeButton(gbOper, "bbnRepl", QStringLiteral("Заменить"),
                         QStringLiteral("Заменить данной записью запись в ") + db);
    bbnAdd = makeButton(gbOper, "bbnAdd", QStringLiteral("Добавить"), QStringLiteral("Добавить данную запись в ") + db);
    bbnCancAll = makeButton(gbOper, "bbnCancAll", QStringLiteral("Отмен. все вкл. "),
                            QStringLiteral("Снять все отметки о вкл. записей в ") + db);
    bbnCanc = makeButton(gbOper, "bbnCanc", QStringLiteral("Отменить вкл. "),
                         QStringLiteral("Снять отметку о вкл. записи в ") + db);
    auto* operLayout = new QVBoxLayout(gbOper);
    operLayout->setContentsMargins(4, 4, 4, 6);
    operLayout->setSpacing(3);
    operLayout->addWidget(new QLabel(QStringLiteral("  включения"), gbOper));
    for (QPushButton* pair : {bbnReplAll, bbnRepl, bbnCancAll}) {
        operLayout->addSpacing(pair == bbnReplAll ? 2 : 14);
        operLayout->addWidget(pair);
        operLayout->addWidget(pair == bbnReplAll ? bbnAddAll : pair == bbnRepl ? bbnAdd : bbnCanc);
    }
    bbnFind = makeButton(pnOper, "bbnFind", QStringLiteral("Поиск"), QStringLiteral("Поиск в списке по фамилии"));
    for (QPushButton* b : {bbnReplAll, bbnAddAll, bbnRepl, bbnAdd, bbnCancAll, bbnCanc, bbnFind}) {
        b->setFixedWidth(kButtonWidth);
    }
    auto* pnOperLayout = new QVBoxLayout(pnOper);
    pnOperLayout->setContentsMargins(1, 0, 1, 0);
    pnOperLayout->addWidget(gbOper);
    pnOperLayout->addSpacing(8);
    pnOperLayout->addWidget(bbnFind, 0, Qt::AlignHCenter);
    pnOperLayout->addStretch(1);

    // The grid, owner-drawn over its own drawing.
    dbgSvDubl = new QTableView(this);
    dbgSvDubl->setObjectName(QStringLiteral("dbgSvDubl"));
    dbgSvDubl->setFont(arial(12));
    dbgSvDubl->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgSvDubl->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgSvDubl->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgSvDubl->setItemDelegate(new MarkCellDelegate(dbgSvDubl));
    dbgSvDubl->setWordWrap(false);
    dbgSvDubl->setTabKeyNavigation(false);
    dbgSvDubl->verticalHeader()->hide();
    dbgSvDubl->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    dbgSvDubl->verticalHeader()->setDefaultSectionSize(QFontMetrics(arial(12, true)).height() + 8);
    QPalette gridPalette = dbgSvDubl->palette();
    gridPalette.setColor(QPalette::Base, kSilver);
    gridPalette.setColor(QPalette::Window, kGrey);
    dbgSvDubl->setPalette(gridPalette);
    QHeaderView* titles = dbgSvDubl->horizontalHeader();
    titles->setFont(arial(12, true));
    titles->setDefaultAlignment(Qt::AlignCenter);
    titles->setSectionsMovable(true);  // the user may reorder the columns
    titles->setHighlightSections(false);
    titles->setStretchLastSection(false);
    QPalette titlePalette = titles->palette();
    // Bold silver titles on the grey of the fixed cells, as in the list review.
    titlePalette.setColor(QPalette::Button, kGrey);
    titlePalette.setColor(QPalette::Window, kGrey);
    titlePalette.setColor(QPalette::ButtonText, kSilver);
    titles->setPalette(titlePalette);
    dbgSvDubl->setModel(model_);
    // The name column's text is left-aligned under a centred title.
    model_->setHeaderData(0, Qt::Horizontal, QVariant::fromValue(Qt::Alignment(Qt::AlignCenter)), Qt::TextAlignmentRole);
    const QFontMetrics titleMetrics(titles->font());
    dbgSvDubl->setColumnWidth(0, kFioWidth);
    for (int c = 1; c < model_->columnCount(); ++c) {
        const QString title = model_->headerData(c, Qt::Horizontal).toString();
        dbgSvDubl->setColumnWidth(c, std::max(64, titleMetrics.horizontalAdvance(title) + 12));
    }

    // Under the grid: the two views.
    auto* pnRec = new QFrame(this);
    pnRec->setObjectName(QStringLiteral("pnRec"));
    pnRec->setFixedHeight(37);
    bnImp = makeButton(pnRec, "bnImp", QStringLiteral("Импортирумая запись"),
                       QStringLiteral("Импортируемая запись Справки о доходах"));
    bnImp->setProperty("tag", 1);
    bnNp = makeButton(pnRec, "bnNp", QStringLiteral("Существующая запись "),
                      QStringLiteral("Существующая запись в БД \"Таксанта\""));
    bnNp->setProperty("tag", 2);
    for (QPushButton* b : {bnImp, bnNp}) b->setFixedSize(146, 26);
    auto* recLayout = new QHBoxLayout(pnRec);
    recLayout->setContentsMargins(6, 5, 5, 6);  // bnNp stays 5 pixels from the right edge
    recLayout->addWidget(bnImp);
    recLayout->addStretch(1);
    recLayout->addWidget(bnNp);

    auto* pnProp = new QFrame(this);
    pnProp->setObjectName(QStringLiteral("pnProp"));
    auto* propLayout = new QVBoxLayout(pnProp);
    propLayout->setContentsMargins(0, 0, 0, 0);
    propLayout->setSpacing(0);
    propLayout->addWidget(dbgSvDubl, 1);
    propLayout->addWidget(pnRec);

    // The bottom panel.
    auto* pnExec = new QFrame(this);
    pnExec->setObjectName(QStringLiteral("pnExec"));
    pnExec->setFixedHeight(33);
    OKBtn = makeButton(pnExec, "OKBtn", QStringLiteral("Выполнить"),
                       QStringLiteral("Выполнить операции по включению-(Ctrl+Enter)"));
    OKBtn->setEnabled(false);
    bbnCancel = makeButton(pnExec, "bbnCancel", QStringLiteral("Закрыть"),
                           QStringLiteral("Закрыть форму без выполнения операций -(Esc)| "));
    auto* execLayout = new QHBoxLayout(pnExec);
    execLayout->setContentsMargins(6, 3, 6, 3);
    execLayout->addStretch(1);
    execLayout->addWidget(OKBtn);
    execLayout->addSpacing(20);
    execLayout->addWidget(bbnCancel);
    execLayout->addStretch(1);

    auto* top = new QHBoxLayout;
    top->setSpacing(2);
    top->addWidget(pnProp, 1);
    top->addWidget(pnOper);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addLayout(top, 1);
    layout->addWidget(pnExec);

    connect(bbnReplAll, &QPushButton::clicked, this, &TfmSvedDbl::bbnReplAllClick);
    connect(bbnAddAll, &QPushButton::clicked, this, &TfmSvedDbl::bbnAddAllClick);
    connect(bbnRepl, &QPushButton::clicked, this, &TfmSvedDbl::bbnReplClick);
    connect(bbnAdd, &QPushButton::clicked, this, &TfmSvedDbl::bbnAddClick);
    connect(bbnCancAll, &QPushButton::clicked, this, &TfmSvedDbl::bbnCancAllClick);
    connect(bbnCanc, &QPushButton::clicked, this, &TfmSvedDbl::bbnCancClick);
    connect(bbnFind, &QPushButton::clicked, this, &TfmSvedDbl::bbnFindClick);
    connect(OKBtn, &QPushButton::clicked, this, &TfmSvedDbl::OKBtnClick);
    connect(bbnCancel, &QPushButton::clicked, this, &TfmSvedDbl::reject);
    connect(bnImp, &QPushButton::clicked, this, [this] { fmSvedRecI->show(); });
    connect(bnNp, &QPushButton::clicked, this, [this] { fmSvedRecS->show(); });
    connect(dbgSvDubl, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex&) { dbgSvDublDblClick(); });
    connect(dbgSvDubl->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex&, const QModelIndex&) { currentChanged(); });

    // Wide enough for every column beside the operations (the bold titles
    // take more room than the design width gave them).
    int columnsWidth = 0;
    for (int c = 0; c < model_->columnCount(); ++c) columnsWidth += dbgSvDubl->columnWidth(c);
    const int needed = columnsWidth + dbgSvDubl->verticalScrollBar()->sizeHint().width() +
                       2 * dbgSvDubl->frameWidth() + 2 + kOperWidth + top->spacing() +
                       layout->contentsMargins().left() + layout->contentsMargins().right();
    resize(std::max(kWindowWidth, needed), kWindowHeight);

    if (model_->rowCount() > 0) dbgSvDubl->setCurrentIndex(model_->index(0, 0));
    for (QWidget* child : findChildren<QWidget*>()) {
        if (child->window() == this) child->installEventFilter(this);
    }
    dbgSvDubl->setFocus();
}

void TfmSvedDbl::buildMenu() {
    pmFL = new QMenu(this);
    pmFL->setObjectName(QStringLiteral("pmFL"));
    const auto item = [this](const char* name, const QString& text, const QKeySequence& key, auto handler) {
        QAction* action = pmFL->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        // The keys are taken by the window's key preview; the menu shows them.
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    miReplAll = item("miReplAll", QStringLiteral("Заменить все"), {}, &TfmSvedDbl::bbnReplAllClick);
    miAddAll = item("miAddAll", QStringLiteral("Добавить все"), {}, &TfmSvedDbl::bbnAddAllClick);
    miRepl = item("miRepl", QStringLiteral("Заменить"), QKeySequence(Qt::Key_Insert), &TfmSvedDbl::bbnReplClick);
    miAdd = item("miAdd", QStringLiteral("Добавить"), QKeySequence(Qt::ALT | Qt::Key_Insert), &TfmSvedDbl::bbnAddClick);
    miCancAll = item("miCancAll", QStringLiteral("Отменить все включения"), {}, &TfmSvedDbl::bbnCancAllClick);
    miCanc = item("miCanc", QStringLiteral("Отменить включение"), QKeySequence(Qt::Key_Delete),
                  &TfmSvedDbl::bbnCancClick);
    pmFL->addSeparator();
    miFind = item("miFind", QStringLiteral("&Поиск по фамилии"), QKeySequence(Qt::Key_F7), &TfmSvedDbl::bbnFindClick);
    pmFL->addSeparator();
    miExec = item("miExec", QStringLiteral("Выполнить"), QKeySequence(Qt::CTRL | Qt::Key_Return),
                  &TfmSvedDbl::OKBtnClick);
    miExit = item("Exit", QStringLiteral("&Закрыть"), QKeySequence(Qt::Key_Escape), &TfmSvedDbl::reject);
    miExec->setEnabled(false);

    setContextMenuPolicy(Qt::CustomContextMenu);
    dbgSvDubl->setContextMenuPolicy(Qt::CustomContextMenu);
    const auto popup = [this](QWidget* source) {
        connect(source, &QWidget::customContextMenuRequested, this,
                [this, source](const QPoint& at) { pmFL->popup(source->mapToGlobal(at)); });
    };
    popup(this);
    popup(dbgSvDubl->viewport());
    dbgSvDubl->viewport()->setContextMenuPolicy(Qt::CustomContextMenu);
}

void TfmSvedDbl::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous() && !shown_) {
        shown_ = true;
        data::LoadFormLayout(this);
        data::LoadGridLayout(dbgSvDubl);
        focusGrid();
    }
}

bool TfmSvedDbl::guarded(const std::function<void()>& operation) {
    try {
        operation();
        return true;
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    }
    return false;
}

int TfmSvedDbl::currentRow() const { return dbgSvDubl->currentIndex().row(); }

void TfmSvedDbl::setCurrentRow(int row) {
    if (row < 0 || row >= model_->rowCount()) return;
    dbgSvDubl->setCurrentIndex(model_->index(row, std::max(dbgSvDubl->currentIndex().column(), 0)));
}

void TfmSvedDbl::focusGrid() {
    if (dbgSvDubl->isEnabled()) dbgSvDubl->setFocus();
}

void TfmSvedDbl::refreshKeepingRow() {
    const int oldRow = currentRow();
    const std::uint32_t remembered = model_->recordAt(oldRow);
    guarded([&] { model_->refresh(); });
    int row = model_->rowOfRecord(remembered);
    if (row < 0 && model_->rowCount() > 0) row = std::clamp(oldRow, 0, model_->rowCount() - 1);
    setCurrentRow(row);
    currentChanged();
}

void TfmSvedDbl::setAllIncl(const QString& value) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    guarded([&] { SetAllMarks(dm_, kSvedDupTable, value); });
    refreshKeepingRow();
    QApplication::restoreOverrideCursor();
}

void TfmSvedDbl::setIncl(const QString& value) {
    const int row = currentRow();
    if (row < 0) return;
    guarded([&] {
        model_->editRow(row, [&](engine::Table& t) { t.setString("INCL", value.toStdString()); });
    });
}

bool TfmSvedDbl::updateExecEnabled() {
    long long marked = 0;
    guarded([&] {
        const engine::SqlResult result =
            dm_.session().database("VX_S").execSql("SELECT Count(*) Qt From SvB_32 Where Incl <> \"\"");
        if (!result.rows.empty() && !result.rows.front().empty()) {
            if (const auto* n = std::get_if<std::int64_t>(&result.rows.front().front())) marked = *n;
            if (const auto* d = std::get_if<double>(&result.rows.front().front())) marked = static_cast<long long>(*d);
        }
    });
    const bool enabled = marked >= 1;
    OKBtn->setEnabled(enabled);
    miExec->setEnabled(enabled);
    focusGrid();
    return enabled;
}

void TfmSvedDbl::bbnReplAllClick() {
    setAllIncl(kMarkReplace);
    updateExecEnabled();
    focusGrid();
}

void TfmSvedDbl::bbnAddAllClick() {
    setAllIncl(kMarkAdd);
    updateExecEnabled();
    focusGrid();
}

void TfmSvedDbl::bbnCancAllClick() {
    setAllIncl(QString());
    OKBtn->setEnabled(false);
    miExec->setEnabled(false);
    focusGrid();
}

void TfmSvedDbl::bbnReplClick() {
    setIncl(kMarkReplace);
    updateExecEnabled();
}

void TfmSvedDbl::bbnAddClick() {
    setIncl(kMarkAdd);
    updateExecEnabled();
}

void TfmSvedDbl::bbnCancClick() {
    setIncl(QString());
    updateExecEnabled();
}

void TfmSvedDbl::dbgSvDublDblClick() {
    const QModelIndex current = dbgSvDubl->currentIndex();
    if (!current.isValid() || trimmedMark(current.data(data::RowValueRole)).isEmpty()) return;
    setIncl(QString());
    updateExecEnabled();
}

void TfmSvedDbl::bbnFindClick() {
    FindDlg->show();
    FindDlg->raise();
    FindDlg->activateWindow();
}

bool TfmSvedDbl::findSurname(const QString& text, bool forward) {
    const int startRow = currentRow();
    bool found = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    guarded([&] {
        if (startRow < 0 || !model_->seekRow(startRow)) return;
        found = data::FindInColumn(*tbSvDubl_, QStringLiteral("FIO"), text, forward);
    });
    QApplication::restoreOverrideCursor();
    if (found) {
        setCurrentRow(model_->currentRecordRow());
    } else {
        setCurrentRow(startRow);
        warn(QStringLiteral("Значение ") + text, QStringLiteral("Не найдено"));
    }
    return found;
}

const engine::Table* TfmSvedDbl::importedRecord() {
    const int row = currentRow();
    if (!tbSvDubl_ || row < 0 || !model_->seekRow(row)) return nullptr;
    return tbSvDubl_.get();
}

const engine::Table* TfmSvedDbl::storedRecord() {
    const engine::Table* imported = importedRecord();
    if (!imported || !tbSved_) return nullptr;
    if (!tbSved_->findKey({engine::Value(imported->asString("IDDOK"))})) return nullptr;
    return tbSved_.get();
}

void TfmSvedDbl::currentChanged() {
    guarded([&] {
        fmSvedRecS->RefreshView();
        fmSvedRecI->RefreshView();
    });
    data::EndTypeAhead();
}

void TfmSvedDbl::OKBtnClick() {
    if (!OKBtn->isEnabled()) return;
    data::EndTypeAhead();
    fmSvedRecI->hide();
    fmSvedRecS->hide();

    IncomeInclusionRequest request;
    request.kind = kind_ == quint8(import::SourceKind::Dos2) ? import::SourceKind::Dos2 : import::SourceKind::Win32;
    request.duplicates = tbSvDubl_.get();
    {
        TfmSvedProc fmSvedProc(dm_, request, this);
        runProcWindow(fmSvedProc);
    }
    refreshKeepingRow();
    if (!updateExecEnabled()) done(QDialog::Accepted);
}

void TfmSvedDbl::reject() { done(QDialog::Rejected); }

bool TfmSvedDbl::FormKeyDown(const QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Insert:
        if (mods == Qt::NoModifier) {
            bbnReplClick();
            return true;
        }
        if (mods == Qt::AltModifier) {
            bbnAddClick();
            return true;
        }
        return false;
    case Qt::Key_Delete:
        if (mods != Qt::NoModifier) return false;
        bbnCancClick();
        return true;
    case Qt::Key_F7:
        if (mods != Qt::NoModifier) return false;
        bbnFindClick();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mods != Qt::ControlModifier) return false;
        OKBtnClick();
        return true;
    case Qt::Key_Escape:
        if (mods != Qt::NoModifier) return false;
        reject();
        return true;
    default:
        return false;
    }
}

bool TfmSvedDbl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dbgSvDubl && event->type() == QEvent::FocusOut) {
        data::EndTypeAhead();
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (FormKeyDown(key)) {
            data::EndTypeAhead();
            return true;
        }
        bool consumed = false;
        if (!guarded([&] {
                consumed = data::GridTypeAhead(*key, dbgSvDubl,
                                               {QStringLiteral("FIO"), QStringLiteral("FIO"), kFioChars, kYellow,
                                                Qt::black});
            })) {
            return true;
        }
        if (consumed) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmSvedDbl::done(int result) {
    if (closed_) {
        QDialog::done(result);
        return;
    }
    if (result != QDialog::Accepted) {
        const int answer = ask(QString(), QStringLiteral("Вы действительно хотите закрыть форму?"), QString(), false);
        if (answer != data::kAnswerYes) {
            focusGrid();
            return;
        }
    }
    closed_ = true;
    // FormDestroy: the duplicates go, the views close, the search ends (its
    // title is given back before the layout is written), the layouts are
    // saved, the stored-twin view goes.
    dbgSvDubl->setUpdatesEnabled(false);
    FindDlg->hide();
    data::EndTypeAhead();
    try {
        data::SaveGridLayout(dbgSvDubl);
        data::SaveFormLayout(this);
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    }
    closeTables();
    QDialog::done(result);
}

void ReviewSvedDblWindow(data::TdmKVZT& dm, quint8 kind, QWidget* owner) {
    TfmSvedDbl fmSvedDbl(dm, kind, owner);
    fmSvedDbl.exec();
}

}  // namespace kvzt::duplicates::ui
