#pragma once
// The cells of the region grid: each row's colour tells the region's state.
// Ordinary rows on the grid's navy: yellow text for a marked region, aqua for
// an installed one, silver for the others. The selected row on teal in bold:
// yellow for a marked region, black for an installed one, silver otherwise.
// The text starts 4 pixels below the cell's top, placed by ColumnTextLeft.

#include <QStyledItemDelegate>
#include <QVariant>

namespace kvzt::classifier::ui {

inline constexpr int kRegionTextTop = 4;

// A region's flags as the grid model keeps them for every row.
inline int RegionFlags(bool installed, bool marked) { return (installed ? 1 : 0) | (marked ? 2 : 0); }
inline bool RegionInstalled(const QVariant& flags) { return (flags.toInt() & 1) != 0; }
inline bool RegionMarked(const QVariant& flags) { return (flags.toInt() & 2) != 0; }

// The text colour of a region's cells: selected or not, by its flags.
QColor RegionTextColour(bool selected, bool installed, bool marked);

class RegionCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace kvzt::classifier::ui
