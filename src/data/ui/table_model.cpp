#include "data/ui/table_model.h"

#include "data/ui/form_layout.h"

namespace kvzt::data {

TableModel::TableModel(engine::Table* table, std::vector<TableColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), table_(table), columns_(std::move(columns)), titleLooks_(columns_.size()) {
    readAll();
}

void TableModel::setTable(engine::Table* table) {
    beginResetModel();
    table_ = table;
    readAll();
    endResetModel();
}

void TableModel::setRowValue(std::function<QVariant(const engine::Table&)> rowValue) {
    rowValue_ = std::move(rowValue);
    refresh();
}

TableModel::Row TableModel::readRow() const {
    Row row;
    row.recno = table_->recNo();
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
    if (rowValue_) row.value = rowValue_(*table_);
    return row;
}

void TableModel::readAll() {
    rows_.clear();
    if (!table_) return;
    const engine::Bookmark remembered = table_->bookmark();
    for (table_->first(); !table_->eof(); table_->next()) rows_.push_back(readRow());
    if (remembered.recno != 0) {
        table_->gotoBookmark(remembered);
    } else {
        table_->first();
    }
}

void TableModel::refresh() {
    beginResetModel();
    try {
        readAll();
    } catch (...) {
        // The grid must not stay in the middle of a reset: it shows what was
        // read before the error.
        endResetModel();
        throw;
    }
    endResetModel();
}

void TableModel::refreshRow(int row) {
    if (!seekRow(row)) return;
    rows_[size_t(row)] = readRow();
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

bool TableModel::seekRow(int row) {
    if (!table_ || row < 0 || row >= rowCount()) return false;
    table_->gotoBookmark(engine::Bookmark{rows_[size_t(row)].recno});
    return true;
}

int TableModel::currentRecordRow() const {
    if (!table_) return -1;
    return rowOfRecord(table_->recNo());
}

int TableModel::rowOfRecord(std::uint32_t recno) const {
    if (recno == 0) return -1;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].recno == recno) return int(i);
    }
    return -1;
}

std::uint32_t TableModel::recordAt(int row) const {
    return row >= 0 && row < rowCount() ? rows_[size_t(row)].recno : 0;
}

int TableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

int TableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(columns_.size()); }

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const Row& row = rows_[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return row.texts[size_t(index.column())];
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(columns_[size_t(index.column())].alignment | Qt::AlignVCenter);
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
