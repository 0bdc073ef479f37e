#include "refbooks/ui/spr_tools_window.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QHelpEvent>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

#include "data/table_component.h"
#include "data/table_helpers.h"
#include "data/ui/form_layout.h"
#include "data/ui/table_model.h"
#include "engine/errors.h"
#include "engine/table.h"
#include "refbooks/usage_flags.h"

namespace kvzt::refbooks::ui {

namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kTeal(0x00, 0x80, 0x80);
const QColor kYellow(0xFF, 0xFF, 0x00);

constexpr int kWindowWidth = 544;
constexpr int kWindowHeight = 375;
constexpr int kCodeWidth = 42;
constexpr int kNameWidth = 300;
constexpr int kFlagWidth = 64;  // at least; wide enough for its bold title
constexpr int kButtonWidth = 92;
constexpr int kTextTop = 4;  // the cell's text starts this far below its top

data::TextAlignment textAlignmentOf(Qt::Alignment alignment) {
    if (alignment & Qt::AlignHCenter) return data::TextAlignment::Center;
    if (alignment & Qt::AlignRight) return data::TextAlignment::Right;
    return data::TextAlignment::Left;
}

// The grid's own cell drawing: the selected row on teal in bold, entries in
// use in yellow, the others in silver, on the grid's navy.
class SprCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        const bool used = index.data(data::RowValueRole).toBool();
        QFont font = option.font;
        font.setBold(selected);
        const QFontMetrics metrics(font);
        const QString text = index.data(Qt::DisplayRole).toString();
        const auto alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());

        painter->save();
        painter->fillRect(option.rect, selected ? kTeal : kNavy);
        painter->setFont(font);
        painter->setPen(used ? kYellow : kSilver);
        painter->setClipRect(option.rect);
        const int x =
            data::ColumnTextLeft(option.rect, metrics.horizontalAdvance(text), textAlignmentOf(alignment));
        painter->drawText(QPoint(x, option.rect.top() + kTextTop + metrics.ascent()), text);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QFont font = option.font;
        font.setBold(true);
        const QFontMetrics metrics(font);
        return {metrics.horizontalAdvance(index.data().toString()) + 6, metrics.height() + kTextTop + 2};
    }

    // A text the column cuts (long names of incomes and documents) shows
    // whole as a tooltip; a text that fits shows none.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() != QEvent::ToolTip || !index.isValid()) {
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        }
        const QString text = index.data(Qt::DisplayRole).toString();
        QFont font = option.font;
        font.setBold(true);  // the widest the text is drawn (in the selected row)
        if (QFontMetrics(font).horizontalAdvance(text) + 4 > option.rect.width()) {
            QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
};

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, const QString& hint,
                        QStyle::StandardPixmap glyph) {
    auto* button = new QPushButton(parent->style()->standardIcon(glyph), text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setAutoDefault(false);
    button->setMinimumWidth(kButtonWidth);
    return button;
}

}  // namespace

TfmSprTools::TfmSprTools(engine::Session& session, quint8 mode, QWidget* parent)
    : QDialog(parent), mode_(mode), book_(&UsageBookOf(mode)) {
    // FormCreate: the window's tag, the caption with the mode's suffix, the
    // mode's table opened and bound to the grid, then the saved layouts.
    setObjectName(QStringLiteral("fmSprTools"));
    setProperty("tag", int(mode_));
    setWindowTitle(QStringLiteral("Справочник") + QString::fromUtf8(book_->captionSuffix));
    showError_ = [this](const QString& message) {
        QMessageBox::critical(this, QCoreApplication::applicationName(), message);
    };

    tbCurrent_ = MakeUsageBookComponent(session, *book_);
    tbCurrent_->open();

    std::vector<data::TableColumn> columns;
    columns.push_back({QString::fromLatin1(book_->codeField), QStringLiteral("Код"), Qt::AlignHCenter, {}});
    columns.push_back({QString::fromLatin1(book_->nameField), QStringLiteral("Наименование"), Qt::AlignLeft, {}});
    columns.push_back({QStringLiteral("SUSED"), QStringLiteral("Использ."), Qt::AlignHCenter,
                       [](const engine::Table& t) { return UsedFlagText(t.asBoolean(kUsedField)); }});
    model_ = new data::TableModel(&tbCurrent_->table(), std::move(columns), this);
    model_->setRowValue([](const engine::Table& t) { return QVariant(t.asBoolean(kUsedField)); });

    buildWidgets();
    dbgSpr->setModel(model_);
    dbgSpr->setProperty("tag", int(mode_));
    dbgSpr->setColumnWidth(0, kCodeWidth);
    dbgSpr->setColumnWidth(1, kNameWidth);
    const int flagTitleWidth =
        QFontMetrics(dbgSpr->horizontalHeader()->font()).horizontalAdvance(QStringLiteral("Использ.")) + 10;
    dbgSpr->setColumnWidth(2, std::max(kFlagWidth, flagTitleWidth));
    connect(dbgSpr->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex&, const QModelIndex&) { showFlagButton(); });
    connect(dbgSpr, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex&) { bbnEditClick(); });
    if (model_->rowCount() > 0) dbgSpr->setCurrentIndex(model_->index(0, 0));
    showFlagButton();

    data::LoadFormLayout(this);
    data::LoadGridLayout(dbgSpr);
}

TfmSprTools::~TfmSprTools() {
    // The grid lets go of the model before the table it reads is closed.
    if (dbgSpr) dbgSpr->setModel(nullptr);
    if (model_) model_->setTable(nullptr);
    if (tbCurrent_) tbCurrent_->close();
}

void TfmSprTools::buildWidgets() {
    resize(kWindowWidth, kWindowHeight);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, kSilver);
    windowPalette.setColor(QPalette::Button, kSilver);
    setPalette(windowPalette);
    setAutoFillBackground(true);

    dbgSpr = new QTableView(this);
    dbgSpr->setObjectName(QStringLiteral("dbgSpr"));
    dbgSpr->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgSpr->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgSpr->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgSpr->setItemDelegate(new SprCellDelegate(dbgSpr));
    dbgSpr->setWordWrap(false);
    dbgSpr->setTabKeyNavigation(false);
    dbgSpr->verticalHeader()->hide();
    QPalette gridPalette = dbgSpr->palette();
    gridPalette.setColor(QPalette::Base, kNavy);
    gridPalette.setColor(QPalette::Text, kSilver);
    dbgSpr->setPalette(gridPalette);
    const QFontMetrics gridMetrics(dbgSpr->font());
    dbgSpr->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    dbgSpr->verticalHeader()->setDefaultSectionSize(gridMetrics.height() + kTextTop + 2);

    // Bold black titles on the window's silver.
    QHeaderView* titles = dbgSpr->horizontalHeader();
    QFont titleFont = titles->font();
    titleFont.setBold(true);
    titles->setFont(titleFont);
    QPalette titlePalette = titles->palette();
    titlePalette.setColor(QPalette::Button, kSilver);
    titlePalette.setColor(QPalette::Window, kSilver);
    titlePalette.setColor(QPalette::ButtonText, Qt::black);
    titles->setPalette(titlePalette);
    titles->setHighlightSections(false);
    titles->setStretchLastSection(false);

    bbnEdit = makeButton(this, "bbnEdit", QStringLiteral("Включить"), QStringLiteral("Включить использование"),
                         QStyle::SP_DialogApplyButton);
    bbnEdNot = makeButton(this, "bbnEdNot", QStringLiteral("Исключить"),
                          QStringLiteral("Исключить из использования"), QStyle::SP_DialogCancelButton);
    bbnSelAll = makeButton(this, "bbnSelAll", QStringLiteral("Включ. все"),
                           QStringLiteral("Включить все записи для использования"), QStyle::SP_DialogYesButton);
    bbnUnSelAll = makeButton(this, "bbnUnSelAll", QStringLiteral("Искл. все"),
                             QStringLiteral("Исключить все записи из использования"), QStyle::SP_DialogNoButton);
    bbnExit = makeButton(this, "bbnExit", QStringLiteral("Закрыть"), QStringLiteral("Закрыть справочник"),
                         QStyle::SP_DialogCloseButton);
    bbnEdit->hide();
    bbnEdNot->hide();

    // "Включить" and "Исключить" share one place; the place keeps its height
    // while both are hidden (an empty book).
    auto* flagPlace = new QWidget(this);
    flagPlace->setObjectName(QStringLiteral("plFlag"));
    flagPlace->setFixedHeight(bbnEdit->sizeHint().height());
    auto* flagLayout = new QGridLayout(flagPlace);
    flagLayout->setContentsMargins(0, 0, 0, 0);
    flagLayout->addWidget(bbnEdit, 0, 0);
    flagLayout->addWidget(bbnEdNot, 0, 0);

    auto* plButtons = new QWidget(this);
    plButtons->setObjectName(QStringLiteral("plButtons"));
    auto* buttons = new QVBoxLayout(plButtons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(flagPlace);
    buttons->addSpacing(12);
    buttons->addWidget(bbnSelAll);
    buttons->addWidget(bbnUnSelAll);
    buttons->addStretch(1);
    buttons->addWidget(bbnExit);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(dbgSpr, 1);
    layout->addWidget(plButtons, 0);

    connect(bbnEdit, &QPushButton::clicked, this, &TfmSprTools::bbnEditClick);
    connect(bbnEdNot, &QPushButton::clicked, this, &TfmSprTools::bbnEditClick);
    connect(bbnSelAll, &QPushButton::clicked, this, &TfmSprTools::bbnSelAllClick);
    connect(bbnUnSelAll, &QPushButton::clicked, this, &TfmSprTools::bbnUnSelAllClick);
    connect(bbnExit, &QPushButton::clicked, this, &TfmSprTools::bbnExitClick);

    // The key preview: the window sees the marking keys before the control
    // that has the focus.
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
    dbgSpr->setFocus();
}

bool TfmSprTools::guarded(const std::function<void()>& operation) {
    try {
        operation();
        return true;
    } catch (const engine::EngineError& e) {
        showError_(QString::fromStdString(e.what()));
    }
    return false;
}

void TfmSprTools::bbnEditClick() { toggleCurrent(); }

bool TfmSprTools::toggleCurrent() {
    const int row = dbgSpr->currentIndex().row();
    bool toggled = false;
    if (row >= 0) {
        toggled = guarded([&] {
            model_->seekRow(row);
            try {
                ToggleUsed(tbCurrent_->table());
            } catch (...) {
                model_->refreshRow(row);  // shows the record as it is on disk
                throw;
            }
            model_->refreshRow(row);
        });
    }
    showFlagButton();
    focusGrid();
    return toggled;
}

void TfmSprTools::bbnSelAllClick() { setAll(true); }

void TfmSprTools::bbnUnSelAllClick() { setAll(false); }

void TfmSprTools::bbnExitClick() { reject(); }

void TfmSprTools::setAll(bool used) {
    const std::uint32_t remembered = model_->recordAt(dbgSpr->currentIndex().row());
    dbgSpr->setUpdatesEnabled(false);
    guarded([&] {
        if (remembered != 0) model_->seekRow(model_->rowOfRecord(remembered));
        SetAllUsed(tbCurrent_->table(), used);
    });
    // The grid is read again and repainted whether or not every post went
    // through: what was written before an error shows.
    guarded([&] { model_->refresh(); });
    const int row = model_->rowOfRecord(remembered);
    if (row >= 0) {
        dbgSpr->setCurrentIndex(model_->index(row, 0));
    } else if (model_->rowCount() > 0) {
        dbgSpr->setCurrentIndex(model_->index(0, 0));
    }
    dbgSpr->setUpdatesEnabled(true);
    showFlagButton();
    focusGrid();
}

void TfmSprTools::showFlagButton() {
    const QModelIndex current = dbgSpr->currentIndex();
    if (!current.isValid()) {
        bbnEdit->hide();
        bbnEdNot->hide();
        return;
    }
    const bool used = current.data(data::RowValueRole).toBool();
    bbnEdit->setVisible(!used);
    bbnEdNot->setVisible(used);
}

void TfmSprTools::moveToNextRow() {
    const int row = dbgSpr->currentIndex().row();
    if (row + 1 < model_->rowCount()) {
        dbgSpr->setCurrentIndex(model_->index(row + 1, std::max(dbgSpr->currentIndex().column(), 0)));
    }
}

void TfmSprTools::focusGrid() {
    if (dbgSpr->isEnabled()) dbgSpr->setFocus();
}

bool TfmSprTools::FormKeyDown(const QKeyEvent* event) {
    const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    switch (event->key()) {
    case Qt::Key_Insert:
    case Qt::Key_Space: {
        if (event->modifiers() & ~Qt::KeypadModifier) return false;
        // The key goes on as the Down arrow: the selection moves to the next
        // entry, unless the toggle failed.
        if (toggleCurrent()) moveToNextRow();
        return true;
    }
    case Qt::Key_Plus:
        if (!keypad) return false;
        setAll(true);
        return true;
    case Qt::Key_Minus:
        if (!keypad) return false;
        setAll(false);
        return true;
    default:
        return false;
    }
}

bool TfmSprTools::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        if (FormKeyDown(static_cast<QKeyEvent*>(event))) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfmSprTools::keyPressEvent(QKeyEvent* event) {
    if (FormKeyDown(event)) return;
    QDialog::keyPressEvent(event);
}

void TfmSprTools::done(int result) {
    // FormDestroy's part: the layouts of this mode are written as the window
    // goes; a failed write is reported and the window still closes.
    if (!layoutsSaved_) {
        layoutsSaved_ = true;
        try {
            data::SaveGridLayout(dbgSpr);
            data::SaveFormLayout(this);
        } catch (const std::exception& e) {
            showError_(QString::fromLocal8Bit(e.what()));
        }
    }
    QDialog::done(result);
}

void RunSprTools(engine::Session& session, quint8 mode, QWidget* owner) {
    TfmSprTools fmSprTools(session, mode, owner);
    fmSprTools.exec();
}

}  // namespace kvzt::refbooks::ui
