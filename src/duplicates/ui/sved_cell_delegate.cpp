#include "duplicates/ui/sved_cell_delegate.h"

#include <QPainter>

#include "data/table_helpers.h"
#include "data/ui/table_model.h"
#include "duplicates/inclusion_run.h"

namespace kvzt::duplicates::ui {

namespace {

const QColor kSilver(192, 192, 192);
constexpr int kTextTop = 4;

data::TextAlignment alignmentOf(const QModelIndex& index) {
    const QVariant value = index.data(Qt::TextAlignmentRole);
    const Qt::Alignment align = value.isValid() ? Qt::Alignment(value.toInt()) : Qt::AlignLeft;
    if (align & Qt::AlignHCenter) return data::TextAlignment::Center;
    if (align & Qt::AlignRight) return data::TextAlignment::Right;
    return data::TextAlignment::Left;
}

}  // namespace

QColor SvedCellDelegate::MarkColour(const QString& incl) {
    switch (MarkOf(incl)) {
    case Mark::Add:
        return QColor(0, 0, 255);
    case Mark::Replace:
        return QColor(255, 0, 255);
    case Mark::None:
        break;
    }
    return Qt::black;
}

void SvedCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    // The grid's own drawing first, then the row's look over it.
    QStyledItemDelegate::paint(painter, option, index);

    const bool current = option.state.testFlag(QStyle::State_Selected);
    QFont font = option.font;
    font.setBold(current);
    painter->save();
    painter->setClipRect(option.rect);
    painter->fillRect(option.rect, current ? QColor(Qt::white) : kSilver);
    painter->setFont(font);
    painter->setPen(MarkColour(index.data(data::RowValueRole).toString()));
    const QString text = index.data(Qt::DisplayRole).toString();
    const QFontMetrics metrics(font);
    const int x = data::ColumnTextLeft(option.rect, metrics.horizontalAdvance(text), alignmentOf(index));
    painter->drawText(QPoint(x, option.rect.top() + kTextTop + metrics.ascent()), text);
    painter->restore();
}

}  // namespace kvzt::duplicates::ui
