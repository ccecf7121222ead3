#pragma once

#include <optional>

#include <QColor>
#include <QWidget>

// A plain rectangle drawn on a window: a border and an optional solid fill.
// Its width is kept in twips, since the gauge bar is sized in tens of twips
// and would drift if read back from rounded pixels.
class Shape : public QWidget
{
    Q_OBJECT
public:
    Shape(QWidget* parent, QColor border, std::optional<QColor> fill);

    void setTwipsGeometry(int left, int top, int width, int height);
    void setWidthTwips(int twips);
    int widthTwips() const { return m_widthTwips; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_border;
    std::optional<QColor> m_fill;
    int m_widthTwips = 0;
};
