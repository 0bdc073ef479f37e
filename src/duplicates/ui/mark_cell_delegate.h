#pragma once
// The cells of both duplicate review grids: the current row on white in
// bold, the others on the grid's silver; the text blue for a row marked "д",
// fuchsia for "з", black otherwise. The text starts 4 pixels below the
// cell's top, placed by ColumnTextLeft, and is clipped to the cell.

#include <QStyledItemDelegate>

namespace kvzt::duplicates::ui {

// The text's distance below the cell's top.
inline constexpr int kMarkCellTextTop = 4;

// The text colour of a row by its INCL.
QColor MarkColour(const QString& incl);

class MarkCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace kvzt::duplicates::ui
