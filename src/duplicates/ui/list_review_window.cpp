#include "duplicates/ui/list_review_window.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
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
#include "duplicates/ui/mark_cell_delegate.h"
#include "duplicates/ui/find_text_dialog.h"
#include "duplicates/ui/person_view.h"
#include "duplicates/ui/person_views.h"
#include "duplicates/ui/proc_ind_window.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/session.h"
#include "engine/table.h"

namespace kvzt::duplicates::ui {

namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kGrey(0x80, 0x80, 0x80);
const QColor kYellow(0xFF, 0xFF, 0x00);

constexpr int kFioiWidth = 40;  // characters of the calculated name column

QFont arial(int pixelSize, bool bold = false) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QString& hint) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setAutoDefault(false);
    return button;
}

QString text(const engine::Table& t, const char* field) { return QString::fromStdString(t.asString(field)); }

}  // namespace

TfmSpisDbl::TfmSpisDbl(data::TdmKVZT& dm, QWidget* parent) : QDialog(parent), dm_(dm) {
    setObjectName(QStringLiteral("fmSpisDbl"));
    setWindowTitle(QStringLiteral("Вероятные дубли записей в списках таксантов"));

    warn = [this](const QString& first, const QString& second) { data::ShowWarning(first, second, this); };
    ask = [this](const QString& first, const QString& second, const QString& question, bool withCancel) {
        return data::Ask(first, second, question, withCancel, this);
    };
    showError = [this](const QString& message) {
        QMessageBox::critical(this, QCoreApplication::applicationName(), message);
    };

    tbDubl_ = dm_.session().openTable("VX_S", "Spis_D32", engine::OpenMode::Shared);
    tbDubl_->setIndex("FIOX");
    tbDubl_->first();

    std::vector<data::TableColumn> columns;
    columns.push_back({QStringLiteral("FIOI"), QStringLiteral("Фамилия И.О."), Qt::AlignLeft,
                       [](const engine::Table& t) {
                           return (text(t, "FAM") + QStringLiteral("  ") + text(t, "NAME") + QStringLiteral("  ") +
                                   text(t, "OTC"))
                               .left(kFioiWidth);
                       }});
    columns.push_back({QStringLiteral("DataRogF"), QStringLiteral("Дата рожд."), Qt::AlignHCenter,
                       [](const engine::Table& t) {
                           return QString::fromStdString(t.asDate("DATEROG").toDisplay());
                       }});
    columns.push_back({QStringLiteral("INCL"), QStringLiteral("Отм."), Qt::AlignHCenter, {}});
    model_ = new data::TableModel(tbDubl_.get(), std::move(columns), this);
    model_->setRowValue([](const engine::Table& t) { return QVariant(text(t, "INCL")); });

    buildWidgets();
    buildMenu();

    FindDlg = new FindTextDialog(this);
    FindDlg->findNext = [this](const QString& searched, bool forward) { findSurname(searched, forward); };

    // The person views read the current duplicate from this window's cursor,
    // and belong to this window while it runs so that its modality spares them.
    AttachPersonViews(this);
    fmIFLData().setSource(&dm_, tbDubl_.get());
    fmSFLData().setSource(&dm_, tbDubl_.get());
}

TfmSpisDbl::~TfmSpisDbl() {
    try {
        closeTable();
    } catch (...) {  // closing syncs the marks; a full disk here cannot be reported any more
    }
}

void TfmSpisDbl::closeTable() {
    DetachPersonViews();
    fmIFLData().setSource(nullptr, nullptr);
    fmSFLData().setSource(nullptr, nullptr);
    data::EndTypeAhead();
    if (dbgDubl) dbgDubl->setModel(nullptr);
    if (model_) model_->setTable(nullptr);
    tbDubl_.reset();
}

void TfmSpisDbl::buildWidgets() {
    resize(538, 417);
    move(164, 127);
    setFont(QFont(QStringLiteral("MS Sans Serif")));

    // Right panel: the mark commands in pairs, the search under them.
    auto* pnOper = new QWidget(this);
    pnOper->setObjectName(QStringLiteral("pnOper"));
    pnOper->setMinimumWidth(121);  // wider when the font needs it
    gbOper = new QGroupBox(QStringLiteral("Операции по виду"), pnOper);
    gbOper->setObjectName(QStringLiteral("gbOper"));
    bbnReplAll = makeButton(gbOper, "bbnReplAll", QStringLiteral("Заменить все"),
                            QStringLiteral("Заменить импортируемыми записями записи в БД \"Таксант\""));
    bbnAddAll = makeButton(gbOper, "bbnAddAll", QStringLiteral("Добавить все"),
                           QStringLiteral("Добавить импортируемые записи  в  БД \"Таксант\""));
    bbnRepl = makeButton(gbOper, "bbnRepl", QStringLiteral("Заменить"),
                         QStringLiteral("Заменить данной записью запись в БД \"Таксант\""));
    bbnAdd = makeButton(gbOper, "bbnAdd", QStringLiteral("Добавить"),
                        QStringLiteral("Добавить данную запись в БД \"Таксант\""));
    bbnCancAll = makeButton(gbOper, "bbnCancAll", QStringLiteral("Отмен. все вкл. "),
                            QStringLiteral("Снять все отметки о вкл. записей в БД \"Таксант\""));
    bbnCanc = makeButton(gbOper, "bbnCanc", QStringLiteral("Отменить вкл. "),
                         QStringLiteral("Снять отметку о вкл. записи в БД \"Таксант\""));
    auto* groupLayout = new QVBoxLayout(gbOper);
    groupLayout->setContentsMargins(4, 2, 4, 6);
    groupLayout->setSpacing(3);
    auto* label = new QLabel(QStringLiteral("  включения"), gbOper);
    groupLayout->addWidget(label);
    for (QPushButton* pair : {bbnReplAll, bbnRepl, bbnCancAll}) {
        groupLayout->addSpacing(pair == bbnReplAll ? 2 : 14);
        groupLayout->addWidget(pair);
        groupLayout->addWidget(pair == bbnReplAll ? bbnAddAll : pair == bbnRepl ? bbnAdd : bbnCanc);
    }
    for (QPushButton* b : gbOper->findChildren<QPushButton*>()) {
        b->setFixedHeight(25);
        b->setMinimumWidth(std::max(111, b->sizeHint().width()));
    }
    bbnFind = makeButton(pnOper, "bbnFind", QStringLiteral("Поиск"), QStringLiteral("Поиск в списке по фамилии"));
    bbnFind->setFixedHeight(25);
    auto* operLayout = new QVBoxLayout(pnOper);
    operLayout->setContentsMargins(5, 0, 5, 0);
    operLayout->addWidget(gbOper);
    operLayout->addSpacing(8);
    operLayout->addWidget(bbnFind);
    operLayout->addStretch(1);

    // Client panel: the grid and the two person-view buttons under it.
    auto* pnProp = new QWidget(this);
    pnProp->setObjectName(QStringLiteral("pnProp"));
    dbgDubl = new QTableView(pnProp);
    dbgDubl->setObjectName(QStringLiteral("dbgDubl"));
    dbgDubl->setFont(arial(12));
    dbgDubl->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgDubl->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgDubl->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgDubl->setItemDelegate(new MarkCellDelegate(dbgDubl));
    dbgDubl->setWordWrap(false);
    dbgDubl->setTabKeyNavigation(false);
    dbgDubl->verticalHeader()->hide();
    QPalette gridPalette = dbgDubl->palette();
    gridPalette.setColor(QPalette::Base, kSilver);
    gridPalette.setColor(QPalette::Window, kGrey);
    gridPalette.setColor(QPalette::Text, Qt::black);
    dbgDubl->setPalette(gridPalette);
    const QFontMetrics rowMetrics(arial(12, true));
    dbgDubl->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    dbgDubl->verticalHeader()->setDefaultSectionSize(rowMetrics.height() + kMarkCellTextTop + 2);
    QHeaderView* titles = dbgDubl->horizontalHeader();
    titles->setFont(arial(12, true));
    QPalette titlePalette = titles->palette();
    titlePalette.setColor(QPalette::Button, kGrey);
    titlePalette.setColor(QPalette::Window, kGrey);
    titlePalette.setColor(QPalette::ButtonText, kSilver);
    titles->setPalette(titlePalette);
    titles->setHighlightSections(false);
    titles->setStretchLastSection(false);
    titles->setSectionsMovable(true);  // a dragged column is put back (keepColumnOrder)
    dbgDubl->setModel(model_);
    // The name column's text is left-aligned under a centred title.
    model_->setHeaderData(0, Qt::Horizontal, QVariant::fromValue(Qt::Alignment(Qt::AlignCenter)), Qt::TextAlignmentRole);
    dbgDubl->setColumnWidth(0, 238);
    const QFontMetrics titleMetrics(titles->font());
    dbgDubl->setColumnWidth(1, std::max(64, titleMetrics.horizontalAdvance(QStringLiteral("Дата рожд.")) + 12));
    dbgDubl->setColumnWidth(2, std::max(40, titleMetrics.horizontalAdvance(QStringLiteral("Отм.")) + 12));

    auto* pnRec = new QWidget(pnProp);
    pnRec->setObjectName(QStringLiteral("pnRec"));
    pnRec->setFixedHeight(34);
    bnImp = makeButton(pnRec, "bnImp", QStringLiteral("Импортирумая запись"),
                       QStringLiteral("Импортируемая запись о таксанте"));
    bnImp->setProperty("tag", 1);
    bnNp = makeButton(pnRec, "bnNp", QStringLiteral("Существующая запись "),
                      QStringLiteral("Существующая запись в БД \"Таксанта\""));
    bnNp->setProperty("tag", 0);
    for (QPushButton* b : {bnImp, bnNp}) {
        b->setMinimumWidth(std::max(146, b->sizeHint().width()));
        b->setFixedHeight(26);
    }
    // bnNp keeps its right edge 5 pixels from the panel's.
    auto* recLayout = new QHBoxLayout(pnRec);
    recLayout->setContentsMargins(6, 4, 5, 4);
    recLayout->addWidget(bnImp);
    recLayout->addStretch(1);
    recLayout->addWidget(bnNp);

    auto* propLayout = new QVBoxLayout(pnProp);
    propLayout->setContentsMargins(0, 0, 0, 0);
    propLayout->setSpacing(0);
    propLayout->addWidget(dbgDubl, 1);
    propLayout->addWidget(pnRec);

    // Bottom panel.
    auto* pnExec = new QWidget(this);
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
    execLayout->addSpacing(12);
    execLayout->addWidget(bbnCancel);
    execLayout->addStretch(1);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    top->addWidget(pnProp, 1);
    top->addWidget(pnOper);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(top, 1);
    layout->addWidget(pnExec);

    connect(bbnReplAll, &QPushButton::clicked, this, &TfmSpisDbl::replaceAll);
    connect(bbnAddAll, &QPushButton::clicked, this, &TfmSpisDbl::addAll);
    connect(bbnRepl, &QPushButton::clicked, this, &TfmSpisDbl::replaceOne);
    connect(bbnAdd, &QPushButton::clicked, this, &TfmSpisDbl::addOne);
    connect(bbnCancAll, &QPushButton::clicked, this, &TfmSpisDbl::cancelAll);
    connect(bbnCanc, &QPushButton::clicked, this, &TfmSpisDbl::cancelOne);
    connect(bbnFind, &QPushButton::clicked, this, &TfmSpisDbl::openFind);
    connect(OKBtn, &QPushButton::clicked, this, &TfmSpisDbl::execute);
    connect(bbnCancel, &QPushButton::clicked, this, &TfmSpisDbl::reject);
    connect(bnImp, &QPushButton::clicked, this, [this] { showPersonView(1); });
    connect(bnNp, &QPushButton::clicked, this, [this] { showPersonView(0); });
    connect(dbgDubl, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex&) { dblClick(); });
    connect(dbgDubl->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { currentRowChanged(current.row()); });
    connect(titles, &QHeaderView::sectionMoved, this,
            [this](int, int oldVisual, int newVisual) { keepColumnOrder(oldVisual, newVisual); });

    if (model_->rowCount() > 0) dbgDubl->setCurrentIndex(model_->index(0, 0));
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TfmSpisDbl::buildMenu() {
    pmFL = new QMenu(this);
    pmFL->setObjectName(QStringLiteral("pmFL"));
    // The keys are the window's own (FormKeyDown); the menu only shows them.
    const auto item = [this](const char* name, const QString& caption, const QKeySequence& keys, auto slot) {
        QAction* action = pmFL->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    item("miReplAll", QStringLiteral("Заменить все"), {}, &TfmSpisDbl::replaceAll);
    item("miAddAll", QStringLiteral("Добавить все"), {}, &TfmSpisDbl::addAll);
    item("miRepl", QStringLiteral("Заменить"), QKeySequence(Qt::Key_Insert), &TfmSpisDbl::replaceOne);
    item("miAdd", QStringLiteral("Добавить"), QKeySequence(Qt::ALT | Qt::Key_Insert), &TfmSpisDbl::addOne);
    item("miCancAll", QStringLiteral("Отменить все включения"), {}, &TfmSpisDbl::cancelAll);
    item("miCanc", QStringLiteral("Отменить включение"), QKeySequence(Qt::Key_Delete), &TfmSpisDbl::cancelOne);
    pmFL->addSeparator();
    item("miFind", QStringLiteral("&Поиск по фамилии"), QKeySequence(Qt::Key_F7), &TfmSpisDbl::openFind);
    pmFL->addSeparator();
    item("miExec", QStringLiteral("Выполнить"), QKeySequence(Qt::CTRL | Qt::Key_Return), &TfmSpisDbl::execute);
    item("Exit", QStringLiteral("Закрыть"), QKeySequence(Qt::Key_Escape), &TfmSpisDbl::reject);
}

void TfmSpisDbl::contextMenuEvent(QContextMenuEvent* event) { pmFL->popup(event->globalPos()); }

void TfmSpisDbl::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous() && !shown_) {
        shown_ = true;
        data::LoadFormLayout(this);
        data::LoadGridLayout(dbgDubl);
        OKBtn->setEnabled(false);
        focusGrid();
    }
}

bool TfmSpisDbl::guarded(const std::function<void()>& operation) {
    try {
        operation();
        return true;
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    }
    return false;
}

void TfmSpisDbl::focusGrid() { dbgDubl->setFocus(); }

void TfmSpisDbl::selectRecord(std::uint32_t recno, int fallbackRow) {
    int row = model_->rowOfRecord(recno);
    if (row < 0 && model_->rowCount() > 0) row = std::clamp(fallbackRow, 0, model_->rowCount() - 1);
    const int column = std::max(dbgDubl->currentIndex().column(), 0);
    if (row >= 0) {
        dbgDubl->setCurrentIndex(model_->index(row, column));
        model_->seekRow(row);
    }
}

void TfmSpisDbl::SetAllIncl(const QString& value) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int row = dbgDubl->currentIndex().row();
    const std::uint32_t remembered = model_->recordAt(row);
    guarded([&] { SetAllMarks(dm_, kSpisDupTable, value); });
    guarded([&] { model_->refresh(); });
    selectRecord(remembered, row);
    QApplication::restoreOverrideCursor();
}

void TfmSpisDbl::SetIncl(const QString& value) {
    const int row = dbgDubl->currentIndex().row();
    if (row < 0) return;
    guarded([&] {
        model_->editRow(row, [&](engine::Table& t) { t.setString("INCL", value.toStdString()); });
    });
}

bool TfmSpisDbl::UpdateExecEnabled() {
    long long marked = 0;
    ++countQueries_;
    guarded([&] {
        const engine::SqlResult result =
            dm_.session().database("VX_S").execSql("SELECT Count(*) Qt From Spis_D32 Where Incl <> \"\"");
        if (!result.rows.empty() && !result.rows.front().empty()) {
            if (const auto* n = std::get_if<std::int64_t>(&result.rows.front().front())) marked = *n;
            else if (const auto* d = std::get_if<double>(&result.rows.front().front())) marked = (long long)*d;
        }
    });
    OKBtn->setEnabled(marked >= 1);
    focusGrid();
    return marked >= 1;
}

void TfmSpisDbl::replaceAll() {
    SetAllIncl(kMarkReplace);
    UpdateExecEnabled();
    focusGrid();
}

void TfmSpisDbl::addAll() {
    SetAllIncl(kMarkAdd);
    UpdateExecEnabled();
    focusGrid();
}

void TfmSpisDbl::cancelAll() {
    SetAllIncl(QString());
    OKBtn->setEnabled(false);  // nothing is marked now: no need to count
    focusGrid();
}

void TfmSpisDbl::replaceOne() {
    SetIncl(kMarkReplace);
    UpdateExecEnabled();
}

void TfmSpisDbl::addOne() {
    SetIncl(kMarkAdd);
    UpdateExecEnabled();
}

void TfmSpisDbl::cancelOne() {
    SetIncl(QString());
    UpdateExecEnabled();
}

void TfmSpisDbl::dblClick() {
    const QModelIndex current = dbgDubl->currentIndex();
    if (!current.isValid() || current.data(data::RowValueRole).toString().isEmpty()) return;
    SetIncl(QString());
    UpdateExecEnabled();
}

void TfmSpisDbl::currentRowChanged(int row) {
    if (row >= 0) guarded([&] { model_->seekRow(row); });
    // Hidden views ignore this.
    guarded([] {
        fmIFLData().RefreshView();
        fmSFLData().RefreshView();
    });
    data::EndTypeAhead();
}

void TfmSpisDbl::openFind() {
    data::EndTypeAhead();
    FindDlg->show();
    FindDlg->raise();
    FindDlg->activateWindow();
}

void TfmSpisDbl::findSurname(const QString& searched, bool forward) {
    const int row = dbgDubl->currentIndex().row();
    bool found = false;
    guarded([&] {
        if (row >= 0) model_->seekRow(row);
        data::SearchHooks hooks;
        hooks.begin = [this] {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            dbgDubl->setUpdatesEnabled(false);
        };
        hooks.end = [this] {
            dbgDubl->setUpdatesEnabled(true);
            QApplication::restoreOverrideCursor();
        };
        found = model_->rowCount() > 0 && data::FindInColumn(*tbDubl_, QStringLiteral("FAM"), searched, forward, hooks);
    });
    if (found) {
        const int foundRow = model_->currentRecordRow();
        if (foundRow >= 0) dbgDubl->setCurrentIndex(model_->index(foundRow, std::max(dbgDubl->currentIndex().column(), 0)));
    } else {
        if (row >= 0) guarded([&] { model_->seekRow(row); });
        warn(QStringLiteral("Значение ") + searched, QStringLiteral("Не найдено"));
    }
}

void TfmSpisDbl::showPersonView(int tag) {
    const int row = dbgDubl->currentIndex().row();
    if (row >= 0) guarded([&] { model_->seekRow(row); });
    guarded([&] {
        if (tag == 1) {
            fmIFLData().show();
            fmIFLData().raise();
        } else {
            fmSFLData().show();
            fmSFLData().raise();
        }
    });
}

void TfmSpisDbl::execute() {
    if (!OKBtn->isEnabled()) return;
    data::EndTypeAhead();
    ClosePersonViews();
    // The grid does not follow the table while the run deletes rows.
    dbgDubl->setUpdatesEnabled(false);
    InclusionResult result;
    try {
        result = IncludeSpis(dm_, tbDubl_.get(), this, prepareProcInd);
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    }
    guarded([&] {
        tbDubl_->first();
        model_->refresh();
    });
    if (model_->rowCount() > 0) {
        dbgDubl->setCurrentIndex(model_->index(0, 0));
        guarded([&] { model_->seekRow(0); });
    }
    dbgDubl->setUpdatesEnabled(true);
    if (!UpdateExecEnabled()) done(QDialog::Accepted);
}

void TfmSpisDbl::keepColumnOrder(int oldVisual, int newVisual) {
    if (movingBack_) return;
    // Widths, titles and alignments travel with the column; putting the
    // section back at its old place restores the fixed order.
    movingBack_ = true;
    dbgDubl->horizontalHeader()->moveSection(newVisual, oldVisual);
    movingBack_ = false;
}

bool TfmSpisDbl::FormKeyDown(const QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Insert:
        if (mods == Qt::NoModifier) replaceOne();
        else if (mods == Qt::AltModifier) addOne();
        else return false;
        return true;
    case Qt::Key_Delete:
        if (mods != Qt::NoModifier) return false;
        cancelOne();
        return true;
    case Qt::Key_F7:
        if (mods != Qt::NoModifier) return false;
        openFind();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (mods != Qt::ControlModifier) return false;
        execute();
        return true;
    case Qt::Key_Escape:
        if (mods != Qt::NoModifier) return false;
        data::EndTypeAhead();
        reject();
        return true;
    default:
        return false;
    }
}

bool TfmSpisDbl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dbgDubl && event->type() == QEvent::FocusOut) data::EndTypeAhead();
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (FormKeyDown(key)) return true;
        bool consumed = false;
        if (!guarded([&] {
                consumed = data::GridTypeAhead(*key, dbgDubl,
                                               {QStringLiteral("FAM"), QStringLiteral("FIOI"), kFioiWidth, kYellow,
                                                Qt::black});
            })) {
            return true;
        }
        if (consumed) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmSpisDbl::keyPressEvent(QKeyEvent* event) {
    if (FormKeyDown(event)) return;
    QDialog::keyPressEvent(event);
}

void TfmSpisDbl::done(int result) {
    if (!closed_ && result != QDialog::Accepted) {
        const int answer = ask(QString(), QStringLiteral("Вы действительно хотите закрыть форму?"), QString(), false);
        if (answer != data::kAnswerYes) {
            focusGrid();
            return;
        }
    }
    if (!closed_) {
        closed_ = true;
        if (FindDlg) FindDlg->hide();
        // The search gives its title back before the layout is written.
        data::EndTypeAhead();
        try {
            data::SaveGridLayout(dbgDubl);
            data::SaveFormLayout(this);
        } catch (const std::exception& e) {
            showError(QString::fromUtf8(e.what()));
        }
        dbgDubl->setUpdatesEnabled(false);
        closeTable();
    }
    QDialog::done(result);
}

void ReviewSpisDblWindow(data::TdmKVZT& dm, QWidget* owner) {
    TfmSpisDbl fmSpisDbl(dm, owner);
    fmSpisDbl.exec();
}

}  // namespace kvzt::duplicates::ui
