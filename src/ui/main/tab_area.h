#pragma once

#include <vector>

#include <QRect>
#include <QTabWidget>

// The five-page tab area. Elements on its pages are placed in twips relative
// to the whole tab area, tab strip included, as the window's tables give them;
// the area moves them onto their page once it knows where its pages sit.
class TabArea : public QTabWidget
{
    Q_OBJECT
public:
    using QTabWidget::QTabWidget;

    // Puts widget (a child of one of the pages) at the given twips rectangle;
    // placing it again moves it.
    void place(QWidget* widget, int left, int top, int width, int height);
    // Where widget was last placed, in twips relative to the tab area; an
    // empty rectangle for a widget never placed.
    QRect placedTwips(const QWidget* widget) const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void relayout();

    struct Placed {
        QWidget* widget;
        QRect area;  // pixels, relative to the tab area
        QRect twips; // as given, so a position reads back exactly
    };
    void apply(const Placed& placed);
    std::vector<Placed> m_placed;
};
