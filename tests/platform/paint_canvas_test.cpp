#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "platform/paint_window.h"

namespace
{

QImage blank(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    return picture;
}

bool isWhite(const QImage& picture)
{
    return picture == blank(picture.width(), picture.height());
}

void stroke(QWidget* canvas, QPoint from, QPoint to)
{
    QTest::mousePress(canvas, Qt::LeftButton, {}, from);
    QTest::mouseMove(canvas, (from + to) / 2);
    QTest::mouseMove(canvas, to);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, to);
}

// The editor window is built but never shown.
class PaintCanvasTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::vector<QImage>* log = &changes;
        window.open(blank(120, 80), "メモ",
                    [log](const QImage& picture) { log->push_back(picture); });
    }

    PaintCanvas& canvas() { return *window.canvas(); }

    PaintWindow window;
    std::vector<QImage> changes;
};

TEST_F(PaintCanvasTest, EachStrokeIsHandedBackWhenItEnds)
{
    ASSERT_FALSE(window.isVisible());
    canvas().setColor(Qt::red);
    stroke(&canvas(), {10, 40}, {110, 40});
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes.back(), canvas().picture());
    EXPECT_EQ(QColor(canvas().picture().pixel(60, 40)), QColor(Qt::red));
    EXPECT_EQ(QColor(canvas().picture().pixel(60, 10)), QColor(Qt::white));
    EXPECT_EQ(canvas().picture().size(), QSize(120, 80));
}

TEST_F(PaintCanvasTest, UndoStepsBackThroughStrokesAndClear)
{
    EXPECT_FALSE(window.undoButton->isEnabled());
    stroke(&canvas(), {10, 20}, {110, 20});
    const QImage one = canvas().picture();
    stroke(&canvas(), {10, 60}, {110, 60});
    EXPECT_TRUE(window.undoButton->isEnabled());

    window.clearButton->click();
    EXPECT_TRUE(isWhite(canvas().picture()));
    window.undoButton->click();
    window.undoButton->click();
    EXPECT_EQ(canvas().picture(), one);
    window.undoButton->click();
    EXPECT_TRUE(isWhite(canvas().picture()));
    EXPECT_FALSE(window.undoButton->isEnabled());
    // Every step went back to the owner: two strokes, clear, three undos.
    ASSERT_EQ(changes.size(), 6u);
    EXPECT_TRUE(isWhite(changes.back()));
}

TEST_F(PaintCanvasTest, EraserAndWidthChangeWhatAStrokeLeaves)
{
    window.widthBox->setValue(9);
    stroke(&canvas(), {10, 40}, {110, 40});
    EXPECT_EQ(QColor(canvas().picture().pixel(60, 43)), QColor(Qt::black));
    window.eraserButton->click();
    stroke(&canvas(), {10, 40}, {110, 40});
    EXPECT_EQ(QColor(canvas().picture().pixel(60, 40)), QColor(Qt::white));
    EXPECT_EQ(QColor(canvas().picture().pixel(60, 43)), QColor(Qt::white));
    // Reopening with another memo forgets the old one's history.
    window.open(blank(50, 30), "別", {});
    EXPECT_FALSE(canvas().canUndo());
    EXPECT_EQ(canvas().size(), QSize(50, 30));
}

TEST(PaintCanvas, TransparentPartsOfAPictureBecomePaper)
{
    QImage picture(20, 10, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    picture.setPixel(5, 5, qRgba(255, 0, 0, 255));
    PaintCanvas canvas;
    canvas.setPicture(picture);
    EXPECT_EQ(QColor(canvas.picture().pixel(0, 0)), QColor(Qt::white));
    EXPECT_EQ(QColor(canvas.picture().pixel(5, 5)), QColor(Qt::red));
}

} // namespace
