#include "ui/click_filter.h"

#include <QEvent>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>

namespace
{

class ClickFilter final : public QObject
{
public:
    ClickFilter(QWidget* widget, std::function<void()> handler)
        : QObject(widget), m_widget(widget), m_handler(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_widget)
            return false;
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            m_pressed = mouse->button() == Qt::LeftButton;
        } else if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            // A press dragged off the picture before release is no click.
            const bool click = m_pressed && mouse->button() == Qt::LeftButton &&
                               m_widget->rect().contains(mouse->position().toPoint());
            m_pressed = false;
            if (click)
                m_handler();
        }
        return false;
    }

private:
    QWidget* m_widget;
    std::function<void()> m_handler;
    bool m_pressed = false;
};

} // namespace

void onClick(QWidget* widget, std::function<void()> handler)
{
    widget->installEventFilter(new ClickFilter(widget, std::move(handler)));
}
