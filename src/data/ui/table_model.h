#pragma once
// A grid's model over an engine cursor: one row per visible record in the
// active tag's order (within its range), one column per chosen field or
// calculated text. Opening and refreshing only list the rows' record
// numbers; a row's texts are read when the grid first asks for them (a
// block of rows at a time, so a table of any size opens at once) and kept
// until the next refresh. Reading puts the cursor back where it was, so
// painting never moves it; the window positions the cursor on a row before
// it acts on it and refreshes what it changed.
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
    // flag that decides the row's colours), given for RowValueRole. Read
    // with the row's texts: setting it reads nothing at once.
    void setRowValue(std::function<QVariant(const engine::Table&)> rowValue);

    const TableColumn& column(int section) const { return columns_.at(size_t(section)); }

    // Lists the rows again and forgets the texts read so far (they are read
    // again as they come into view); the cursor's record is read afresh.
    // When the rows are the same records in the same order, the grid keeps
    // its rows and only repaints them.
    void refresh();
    // Reads one row again from its record (after an edit of that record); the
    // cursor is left on that record.
    void refreshRow(int row);

    // Moves the cursor to the row's record; false for a row outside the model.
    bool seekRow(int row);
    // Edits the row's record: `change` sets its fields, then it is posted and
    // the row read again. A failure cancels the edit, shows the record as it
    // is on disk and is passed on. Nothing happens for a row outside the model.
    void editRow(int row, const std::function<void(engine::Table&)>& change);
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

    // A row's texts and value once read.
    struct Row {
        bool read = false;
        std::vector<QString> texts;
        QVariant value;
    };

    void readRow(Row& row) const;
    // Reads the unread rows of a block around `row`, putting the cursor back.
    void readAround(int row) const;
    void forgetTexts();
    std::vector<std::uint32_t> listRecords() const;

    engine::Table* table_;
    std::vector<TableColumn> columns_;
    std::function<QVariant(const engine::Table&)> rowValue_;
    std::vector<std::uint32_t> records_;  // the rows' record numbers, in order
    mutable std::vector<Row> rows_;       // same length as records_
    std::vector<TitleLook> titleLooks_;
};

}  // namespace kvzt::data
