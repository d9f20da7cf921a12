#include "common/ui/ToolBarRowsLayout.h"

#include <QWidget>

#include <algorithm>

ToolBarRowsLayout::ToolBarRowsLayout(QWidget* parent) : QLayout(parent)
{
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

ToolBarRowsLayout::~ToolBarRowsLayout()
{
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void ToolBarRowsLayout::addItem(QLayoutItem* item)
{
    items_.append(item);
}

int ToolBarRowsLayout::count() const
{
    return static_cast<int>(items_.size());
}

QLayoutItem* ToolBarRowsLayout::itemAt(int index) const
{
    return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* ToolBarRowsLayout::takeAt(int index)
{
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

Qt::Orientations ToolBarRowsLayout::expandingDirections() const
{
    return {};
}

bool ToolBarRowsLayout::hasHeightForWidth() const
{
    return true;
}

int ToolBarRowsLayout::heightForWidth(int width) const
{
    return Place(QRect(0, 0, width, 0), false);
}

QSize ToolBarRowsLayout::sizeHint() const
{
    // Everything in one row.
    QSize size;
    for (const QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        const QSize hint = item->sizeHint();
        size.setWidth(size.width() + hint.width());
        size.setHeight(std::max(size.height(), hint.height()));
    }
    return size;
}

QSize ToolBarRowsLayout::minimumSize() const
{
    // The widest bar on a row of its own, every bar below the other.
    QSize size;
    for (const QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        const QSize hint = item->sizeHint();
        size.setWidth(std::max(size.width(), item->minimumSize().width()));
        size.setHeight(size.height() + hint.height());
    }
    return size;
}

void ToolBarRowsLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    Place(rect, true);
}

int ToolBarRowsLayout::Place(const QRect& rect, bool apply) const
{
    int x = rect.x();
    int y = rect.y();
    int rowHeight = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        const QSize hint = item->sizeHint();
        if (x > rect.x() && x + hint.width() > rect.x() + rect.width()) {
            x = rect.x();
            y += rowHeight;
            rowHeight = 0;
        }
        const int width = std::min(hint.width(), rect.width());
        if (apply) item->setGeometry(QRect(x, y, width, hint.height()));
        x += width;
        rowHeight = std::max(rowHeight, hint.height());
    }
    return y + rowHeight - rect.y();
}
