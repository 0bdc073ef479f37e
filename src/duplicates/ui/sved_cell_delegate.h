#pragma once
// How the income review grid draws its data cells: the current row on white
// in bold, the other rows on the grid's silver; the text blue for a row
// marked "д", fuchsia for "з", black otherwise; the text at top + 4 and at
// the column's alignment (ColumnTextLeft), clipped to the cell. The row's
// mark comes from the model's row value (data::RowValueRole).

#include <QStyledItemDelegate>

namespace kvzt::duplicates::ui {

class SvedCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The font colour of a row by its mark.
    static QColor MarkColour(const QString& incl);
};

}  // namespace kvzt::duplicates::ui
