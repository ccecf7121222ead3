#pragma once

#include <QRect>

class QWidget;

// Layout is written in twips, as the window's tables give it; 15 twips make
// one pixel at 96 dots per inch.
constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return (twips >= 0 ? twips + kTwipsPerPixel / 2 : twips - kTwipsPerPixel / 2) / kTwipsPerPixel;
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

void placeTwips(QWidget* widget, int left, int top, int width, int height);
int widthTwips(const QWidget* widget);
void setWidthTwips(QWidget* widget, int twips);
