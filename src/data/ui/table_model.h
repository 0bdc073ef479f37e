#pragma once
// A grid's model over an engine cursor: one row per visible record in the
// active tag's order (within its range), one column per chosen field or
// calculated text. The rows are read when the model is refreshed and kept
// as a snapshot, so painting never moves the cursor; the window positions
// the cursor on a row before it acts on it and refreshes what it changed.
//
// headerData gives the column's title for Qt::DisplayRole (settable, so that
// a stored grid layout can rename it) and its field name for FieldNameRole.
// A title's colours (Qt::BackgroundRole, Qt::ForegroundRole) and alignment
// can be set too (the type-ahead search shows its text that way); an invalid
// value gives the header's own again.

#include <QAbstractTableModel>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/table.h"

namespace kvzt::data {

// Any cell of a row gives the model's row value (see TableModel::setRowValue).
inline constexpr int RowValueRole = Qt::UserRole + 101;

struct TableColumn {
    QString field;  // the field shown, or the name of a calculated column
    QString title;
    Qt::Alignment alignment = Qt::AlignLeft;
    // When set, the column's text is calculated from the record instead of
    // read from `field`.
    std::function<QString(const engine::Table&)> calculate;
};

class TableModel : public QAbstractTableModel {
public:
    // The cursor is the caller's and must outlive the model (or be detached
    // with setTable(nullptr)).
    explicit TableModel(engine::Table* table, std::vector<TableColumn> columns, QObject* parent = nullptr);

    engine::Table* table() const { return table_; }
    // A new cursor (or none); the rows are read again.
    void setTable(engine::Table* table);

    // A value kept for every row beside the column texts (for instance a
    // flag that decides the row's colours), given for RowValueRole.
    void setRowValue(std::function<QVariant(const engine::Table&)> rowValue);

    const TableColumn& column(int section) const { return columns_.at(size_t(section)); }

    // Reads every row again and puts the cursor back on the record it was on.
    void refresh();
    // Reads one row again from its record (after an edit of that record); the
    // cursor is left on that record.
    void refreshRow(int row);

    // Moves the cursor to the row's record; false for a row outside the model.
    bool seekRow(int row);
    // The row of the cursor's current record; -1 when it has none or the
    // record is not among the rows.
    int currentRecordRow() const;
    int rowOfRecord(std::uint32_t recno) const;
    std::uint32_t recordAt(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    // Title colours and alignment set through setHeaderData; invalid when unset.
    struct TitleLook {
        QVariant background;
        QVariant foreground;
        QVariant alignment;
    };

    struct Row {
        std::uint32_t recno = 0;
        std::vector<QString> texts;
        QVariant value;
    };

    Row readRow() const;
    void readAll();

    engine::Table* table_;
    std::vector<TableColumn> columns_;
    std::function<QVariant(const engine::Table&)> rowValue_;
    std::vector<Row> rows_;
    std::vector<TitleLook> titleLooks_;
};

}  // namespace kvzt::data
