#pragma once

#include <QColor>
#include <QFont>
#include <QSize>

class QWidget;

// The program's look: colours, fonts and the pointer of clickable pictures.

inline const QColor kLightGreen(192, 255, 192);

// Maps the Japanese font names the windows are designed with onto the CJK
// fonts a Linux desktop has. Safe to call more than once.
void installFontSubstitutes();

// "ＭＳ Ｐゴシック" 8.25 point, the small font of headings and tab captions.
QFont smallFont();
// A font by its design name and point size.
QFont designFont(const QString& family, double pointSize, bool bold = false);
// The font, made smaller a pixel at a time until text fits on one line in
// room (its full line height included), but never below minimumPixels.
QFont fontFitting(QFont font, const QString& text, QSize room, int minimumPixels);

// Gives a widget a background colour of the design, with black text over it
// and over every child that does not draw its own background, so text stays
// readable whatever colours the desktop's theme gives everything else.
void paintDesignBackground(QWidget* widget, const QColor& background);
// paintDesignBackground in the light green the main window is designed with.
void paintLightGreen(QWidget* widget);
// Gives a window the design font, "ＭＳ Ｐゴシック" 9 point. Its layout is
// measured in twips for that font; set on the window rather than taken from
// the application, a theme's application font cannot change it.
void useDesignFont(QWidget* window);

// The pointing hand shown over a picture that can be clicked, and back.
void setPointerCustom(QWidget* widget);
void setPointerDefault(QWidget* widget);
bool hasCustomPointer(const QWidget* widget);
