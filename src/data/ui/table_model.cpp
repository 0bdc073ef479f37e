#include "data/ui/table_model.h"

#include "data/ui/form_layout.h"

#include <algorithm>

namespace kvzt::data {

namespace {

// Rows read together when the grid asks for one not read yet: about a
// screenful, mostly below (grids scroll down more than up).
constexpr int kRowsBefore = 16;
constexpr int kRowsAfter = 48;

}  // namespace

TableModel::TableModel(engine::Table* table, std::vector<TableColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), table_(table), columns_(std::move(columns)), titleLooks_(columns_.size()) {
    records_ = listRecords();
    rows_.assign(records_.size(), Row{});
}

void TableModel::setTable(engine::Table* table) {
    beginResetModel();
    table_ = table;
    try {
        records_ = listRecords();
    } catch (...) {
        records_.clear();
        rows_.clear();
        endResetModel();
        throw;
    }
    rows_.assign(records_.size(), Row{});
    endResetModel();
}

void TableModel::setRowValue(std::function<QVariant(const engine::Table&)> rowValue) {
    rowValue_ = std::move(rowValue);
    forgetTexts();
}

std::vector<std::uint32_t> TableModel::listRecords() const {
    return table_ ? table_->visibleRecords() : std::vector<std::uint32_t>{};
}

void TableModel::forgetTexts() {
    for (Row& r : rows_) r = Row{};
    if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void TableModel::readRow(Row& row) const {
    row.read = true;
    row.texts.clear();
    row.texts.reserve(columns_.size());
    for (const TableColumn& c : columns_) {
        if (c.calculate) {
            row.texts.push_back(c.calculate(*table_));
        } else if (table_->fieldIndex(c.field.toStdString()) >= 0) {
            row.texts.push_back(QString::fromStdString(table_->asString(c.field.toStdString())));
        } else {
            row.texts.emplace_back();  // a field the table lacks shows nothing
        }
    }
    row.value = rowValue_ ? rowValue_(*table_) : QVariant();
}

void TableModel::readAround(int row) const {
    // An edit in progress is the window's: moving the cursor would cancel it.
    if (!table_ || table_->state() != engine::EditState::Browse) return;
    const engine::Bookmark remembered = table_->bookmark();
    const int from = std::max(0, row - kRowsBefore);
    const int to = std::min(rowCount(), row + kRowsAfter);
    for (int r = from; r < to; ++r) {
        Row& target = rows_[size_t(r)];
        if (target.read) continue;
        try {
            table_->gotoBookmark(engine::Bookmark{records_[size_t(r)]});
            readRow(target);
        } catch (const std::exception&) {
            // A record gone since the rows were listed shows empty until the
            // next refresh; painting must not fail.
            target = Row{};
            target.read = true;
            target.texts.resize(columns_.size());
        }
    }
    try {
        if (remembered.recno != 0)
            table_->gotoBookmark(remembered);
        else
            table_->first();
    } catch (const std::exception&) {
        table_->first();
    }
}

void TableModel::refresh() {
    std::vector<std::uint32_t> records = listRecords();
    if (records == records_) {
        // The same rows: only their texts may have changed.
        forgetTexts();
    } else {
        beginResetModel();
        records_ = std::move(records);
        rows_.assign(records_.size(), Row{});
        endResetModel();
    }
    // The cursor's own copy of its record may be older than the file.
    if (!table_) return;
    if (table_->recNo() != 0 && table_->recNo() <= table_->recordCount()) {
        table_->gotoBookmark(table_->bookmark());
    } else {
        table_->first();
    }
}

void TableModel::refreshRow(int row) {
    if (!seekRow(row)) return;
    readRow(rows_[size_t(row)]);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

bool TableModel::seekRow(int row) {
    if (!table_ || row < 0 || row >= rowCount()) return false;
    table_->gotoBookmark(engine::Bookmark{records_[size_t(row)]});
    return true;
}

void TableModel::editRow(int row, const std::function<void(engine::Table&)>& change) {
    if (!seekRow(row)) return;
    try {
        table_->edit();
        change(*table_);
        table_->post();
    } catch (...) {
        if (table_->state() != engine::EditState::Browse) table_->cancel();
        refreshRow(row);
        throw;
    }
    refreshRow(row);
}

int TableModel::currentRecordRow() const {
    if (!table_) return -1;
    return rowOfRecord(table_->recNo());
}

int TableModel::rowOfRecord(std::uint32_t recno) const {
    if (recno == 0) return -1;
    auto it = std::find(records_.begin(), records_.end(), recno);
    return it == records_.end() ? -1 : int(it - records_.begin());
}

std::uint32_t TableModel::recordAt(int row) const {
    return row >= 0 && row < rowCount() ? records_[size_t(row)] : 0;
}

int TableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(records_.size()); }

int TableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columns_[size_t(index.column())].alignment | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != RowValueRole) return {};
    const Row& row = rows_[size_t(index.row())];
    if (!row.read) readAround(index.row());
    if (!row.read) return {};  // not readable now (an edit in progress)
    switch (role) {
    case Qt::DisplayRole:
        return row.texts[size_t(index.column())];
    case RowValueRole:
        return row.value;
    default:
        return {};
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    const TableColumn& c = columns_[size_t(section)];
    switch (role) {
    case Qt::DisplayRole:
        return c.title;
    case FieldNameRole:
        return c.field;
    case Qt::TextAlignmentRole: {
        const QVariant& set = titleLooks_[size_t(section)].alignment;
        return set.isValid() ? set : QVariant::fromValue(c.alignment | Qt::AlignVCenter);
    }
    case Qt::BackgroundRole:
        return titleLooks_[size_t(section)].background;
    case Qt::ForegroundRole:
        return titleLooks_[size_t(section)].foreground;
    default:
        return {};
    }
}

bool TableModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return false;
    TitleLook& look = titleLooks_[size_t(section)];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        columns_[size_t(section)].title = value.toString();
        break;
    case Qt::BackgroundRole:
        look.background = value;
        break;
    case Qt::ForegroundRole:
        look.foreground = value;
        break;
    case Qt::TextAlignmentRole:
        look.alignment = value;
        break;
    default:
        return false;
    }
    emit headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace kvzt::data
