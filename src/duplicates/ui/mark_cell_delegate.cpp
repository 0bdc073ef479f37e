#include "duplicates/ui/mark_cell_delegate.h"

#include <QFontMetrics>
#include <QPainter>

#include "data/table_helpers.h"
#include "data/ui/table_model.h"
#include "duplicates/inclusion_run.h"

namespace kvzt::duplicates::ui {

namespace {

const QColor kSilver(0xC0, 0xC0, 0xC0);

data::TextAlignment textAlignmentOf(Qt::Alignment alignment) {
    if (alignment & Qt::AlignHCenter) return data::TextAlignment::Center;
    if (alignment & Qt::AlignRight) return data::TextAlignment::Right;
    return data::TextAlignment::Left;
}

}  // namespace

QColor MarkColour(const QString& incl) {
    switch (MarkOf(incl)) {
    case Mark::Add:
        return QColor(0, 0, 255);
    case Mark::Replace:
        return QColor(255, 0, 255);
    case Mark::None:
        break;
    }
    return QColor(Qt::black);
}

void MarkCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const bool current = option.state.testFlag(QStyle::State_Selected);
    QFont font = option.font;
    font.setBold(current);
    const QFontMetrics metrics(font);
    const QString text = index.data(Qt::DisplayRole).toString();
    const auto alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());

    painter->save();
    painter->fillRect(option.rect, current ? QColor(Qt::white) : kSilver);
    painter->setFont(font);
    painter->setPen(MarkColour(index.data(data::RowValueRole).toString()));
    painter->setClipRect(option.rect);
    const int x = data::ColumnTextLeft(option.rect, metrics.horizontalAdvance(text), textAlignmentOf(alignment));
    painter->drawText(QPoint(x, option.rect.top() + kMarkCellTextTop + metrics.ascent()), text);
    painter->restore();
}

QSize MarkCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QFont font = option.font;
    font.setBold(true);
    const QFontMetrics metrics(font);
    return {metrics.horizontalAdvance(index.data().toString()) + 6, metrics.height() + kMarkCellTextTop + 2};
}

}  // namespace kvzt::duplicates::ui
