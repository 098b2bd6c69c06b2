#include "ui/FlowLayout.h"

#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace pintora {

FlowLayout::FlowLayout(QWidget *parent, int spacing)
    : QLayout(parent)
{
    setSpacing(spacing);
}

FlowLayout::~FlowLayout()
{
    qDeleteAll(m_items);
}

void FlowLayout::addItem(QLayoutItem *item)
{
    m_items.append(item);
}

QLayoutItem *FlowLayout::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

int FlowLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize FlowLayout::minimumSize() const
{
    // As narrow as the widest item; as tall as the items need at that width.
    QSize size;
    for (const QLayoutItem *item : m_items)
        if (!item->isEmpty())
            size = size.expandedTo(item->minimumSize());
    const QMargins margins = contentsMargins();
    size += QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
    return size;
}

QSize FlowLayout::sizeHint() const
{
    // Everything in one row, when there is room for it.
    int width = 0, height = 0, shown = 0;
    for (const QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        width += item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
        ++shown;
    }
    const QMargins margins = contentsMargins();
    return QSize(width + std::max(0, shown - 1) * spacing() + margins.left() + margins.right(),
                 height + margins.top() + margins.bottom());
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int FlowLayout::arrange(const QRect &rect, bool place) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    // Rows of items, each with its height.
    struct Row {
        QList<QLayoutItem *> items;
        int width = 0;
        int height = 0;
    };
    QList<Row> rows(1);
    for (QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        const QSize size = item->sizeHint().boundedTo(QSize(area.width(), QWIDGETSIZE_MAX));
        Row &row = rows.last();
        const int needed = row.items.isEmpty() ? size.width() : row.width + spacing() + size.width();
        if (!row.items.isEmpty() && needed > area.width()) {
            rows.append(Row{{item}, size.width(), size.height()});
            continue;
        }
        row.items.append(item);
        row.width = needed;
        row.height = std::max(row.height, size.height());
    }

    const QMargins margins = contentsMargins();
    int y = area.top();
    for (const Row &row : rows) {
        int x = area.left();
        for (QLayoutItem *item : row.items) {
            const QSize size = item->sizeHint().boundedTo(QSize(area.width(), QWIDGETSIZE_MAX));
            const bool trailing = m_lastTrailing && item == m_items.last();
            const int left = trailing ? area.left() + area.width() - size.width() : x;
            const QRect slot(left, y + (row.height - size.height()) / 2, size.width(), size.height());
            if (place) {
                const Qt::LayoutDirection direction
                    = parentWidget() ? parentWidget()->layoutDirection() : Qt::LeftToRight;
                item->setGeometry(QStyle::visualRect(direction, area, slot));
            }
            x += size.width() + spacing();
        }
        y += row.height + spacing();
    }
    const int used = rows.first().items.isEmpty() ? 0 : y - spacing() - area.top();
    return used + margins.top() + margins.bottom();
}

} // namespace pintora
