#include "ui/shape.h"

#include <QPainter>

#include "ui/twips.h"

Shape::Shape(QWidget* parent, QColor border, std::optional<QColor> fill)
    : QWidget(parent), m_border(border), m_fill(fill)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::setTwipsGeometry(int left, int top, int width, int height)
{
    placeTwips(this, left, top, width, height);
    m_widthTwips = width;
}

void Shape::setWidthTwips(int twips)
{
    m_widthTwips = twips;
    resize(twipsToPixels(twips), height());
    update();
}

void Shape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_fill)
        painter.fillRect(rect(), *m_fill);
    painter.setPen(m_border);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
