#pragma once
// The cells of the taxpayer duplicate grid: the current row on white in
// bold, the others on the grid's silver; the text blue for a row marked "д",
// fuchsia for "з", black otherwise. The text starts 4 pixels below the
// cell's top, placed by ColumnTextLeft, and is clipped to the cell.

#include <QStyledItemDelegate>

namespace kvzt::duplicates::ui {

inline constexpr int kListTextTop = 4;

// The text colour of a row by its INCL.
QColor ListMarkColour(const QString& incl);

class ListCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace kvzt::duplicates::ui
