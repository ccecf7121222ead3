#include "ui/main/tab_area.h"

#include <algorithm>
#include <iterator>

#include "ui/twips.h"

void TabArea::place(QWidget* widget, int left, int top, int width, int height)
{
    const QRect area = twipsRect(left, top, width, height);
    const QRect twips(left, top, width, height);
    auto it = std::find_if(m_placed.begin(), m_placed.end(),
                           [widget](const Placed& placed) { return placed.widget == widget; });
    if (it == m_placed.end()) {
        m_placed.push_back({widget, area, twips});
        it = std::prev(m_placed.end());
    } else {
        *it = {widget, area, twips};
    }
    // Only this widget moves; the thumbnail is placed again at every
    // keystroke beside it, and the others stay where they are.
    apply(*it);
}

QRect TabArea::placedTwips(const QWidget* widget) const
{
    for (const Placed& placed : m_placed) {
        if (placed.widget == widget)
            return placed.twips;
    }
    return QRect();
}

void TabArea::resizeEvent(QResizeEvent* event)
{
    QTabWidget::resizeEvent(event);
    relayout();
}

void TabArea::showEvent(QShowEvent* event)
{
    QTabWidget::showEvent(event);
    relayout();
}

void TabArea::relayout()
{
    for (const Placed& placed : m_placed)
        apply(placed);
}

void TabArea::apply(const Placed& placed)
{
    // Every page sits at the origin of the same page stack, so the stack's
    // offset holds for the pages not shown yet as well.
    const QWidget* page = placed.widget->parentWidget();
    const QWidget* stack = page ? page->parentWidget() : nullptr;
    const QPoint offset = stack && stack != this ? stack->mapTo(this, QPoint()) : QPoint();
    placed.widget->setGeometry(placed.area.translated(-offset));
}
