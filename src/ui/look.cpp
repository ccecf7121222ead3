#include "ui/look.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPalette>
#include <QWidget>

void installFontSubstitutes()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
                                QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"),
                               {QStringLiteral("IPAGothic"),
                                QStringLiteral("Noto Sans Mono CJK JP"),
                                QStringLiteral("IPAPGothic")});
}

QFont designFont(const QString& family, double pointSize, bool bold)
{
    installFontSubstitutes();
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QFont fontFitting(QFont font, const QString& text, QSize room, int minimumPixels)
{
    for (int pixels = QFontInfo(font).pixelSize(); pixels > minimumPixels; --pixels) {
        const QFontMetrics metrics(font);
        if (metrics.height() <= room.height() && metrics.horizontalAdvance(text) <= room.width())
            break;
        font.setPixelSize(pixels - 1);
    }
    return font;
}

QFont smallFont()
{
    return designFont(QStringLiteral("ＭＳ Ｐゴシック"), 8.25);
}

void paintDesignBackground(QWidget* widget, const QColor& background)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    // The theme's text colour is made for the theme's own background; on a
    // dark theme it is light grey, unreadable on these light colours.
    palette.setColor(QPalette::WindowText, Qt::black);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void paintLightGreen(QWidget* widget)
{
    paintDesignBackground(widget, kLightGreen);
}

void useDesignFont(QWidget* window)
{
    window->setFont(designFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
}

void setPointerCustom(QWidget* widget)
{
    widget->setCursor(Qt::PointingHandCursor);
}

void setPointerDefault(QWidget* widget)
{
    widget->unsetCursor();
}

bool hasCustomPointer(const QWidget* widget)
{
    return widget->testAttribute(Qt::WA_SetCursor) &&
           widget->cursor().shape() == Qt::PointingHandCursor;
}
