#include "ui/twips.h"

#include <QWidget>

void placeTwips(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsRect(left, top, width, height));
}

int widthTwips(const QWidget* widget)
{
    return widget->width() * kTwipsPerPixel;
}

void setWidthTwips(QWidget* widget, int twips)
{
    widget->resize(twipsToPixels(twips), widget->height());
}
