#include "classifier/ui/region_cell_delegate.h"

#include <QFontMetrics>
#include <QPainter>

#include "data/table_helpers.h"
#include "data/ui/table_model.h"

namespace kvzt::classifier::ui {

namespace {

const QColor kNavy(0x00, 0x00, 0x80);
const QColor kTeal(0x00, 0x80, 0x80);
const QColor kYellow(0xFF, 0xFF, 0x00);
const QColor kAqua(0x00, 0xFF, 0xFF);
const QColor kSilver(0xC0, 0xC0, 0xC0);

data::TextAlignment textAlignmentOf(Qt::Alignment alignment) {
    if (alignment & Qt::AlignHCenter) return data::TextAlignment::Center;
    if (alignment & Qt::AlignRight) return data::TextAlignment::Right;
    return data::TextAlignment::Left;
}

}  // namespace

QColor RegionTextColour(bool selected, bool installed, bool marked) {
    if (marked) return kYellow;
    if (selected) return installed ? QColor(Qt::black) : kSilver;
    return installed ? kAqua : kSilver;
}

void RegionCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QVariant flags = index.data(data::RowValueRole);
    QFont font = option.font;
    font.setBold(selected);
    const QFontMetrics metrics(font);
    const QString text = index.data(Qt::DisplayRole).toString();
    const auto alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());

    painter->save();
    painter->fillRect(option.rect, selected ? kTeal : kNavy);
    painter->setFont(font);
    painter->setPen(RegionTextColour(selected, RegionInstalled(flags), RegionMarked(flags)));
    painter->setClipRect(option.rect);
    const int x = data::ColumnTextLeft(option.rect, metrics.horizontalAdvance(text), textAlignmentOf(alignment));
    painter->drawText(QPoint(x, option.rect.top() + kRegionTextTop + metrics.ascent()), text);
    painter->restore();
}

QSize RegionCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QFont font = option.font;
    font.setBold(true);
    const QFontMetrics metrics(font);
    return {metrics.horizontalAdvance(index.data().toString()) + 6, metrics.height() + kRegionTextTop + 2};
}

}  // namespace kvzt::classifier::ui
