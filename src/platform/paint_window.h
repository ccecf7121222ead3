#pragma once

#include <vector>

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>

#include "platform/paint.h"

class QButtonGroup;
class QLabel;
class QScrollArea;
class QSpinBox;
class QToolButton;

// The drawing surface: the picture at its own size, drawn on with the mouse.
class PaintCanvas : public QWidget
{
    Q_OBJECT
public:
    enum class Tool { Pen, Eraser };

    explicit PaintCanvas(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const { return m_picture; }

    void setTool(Tool tool) { m_tool = tool; }
    Tool tool() const { return m_tool; }
    void setColor(const QColor& color) { m_color = color; }
    QColor color() const { return m_color; }
    void setLineWidth(int width) { m_lineWidth = width; }
    int lineWidth() const { return m_lineWidth; }

    bool canUndo() const { return !m_undo.empty(); }
    void undo();
    // Paints the whole picture white; undoable like a stroke.
    void clear();

signals:
    // After every finished stroke, undo and clear.
    void pictureChanged(const QImage& picture);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void remember();
    void drawTo(const QPoint& point);

    QImage m_picture;
    std::vector<QImage> m_undo;
    Tool m_tool = Tool::Pen;
    QColor m_color = Qt::black;
    int m_lineWidth = 3;
    bool m_drawing = false;
    QPoint m_last;
};

// The editor window around the canvas: a tool row above it.
class PaintWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PaintWindow(QWidget* parent = nullptr);

    void open(const QImage& picture, const QString& caption, PaintProgram::Changed changed);
    PaintCanvas* canvas() const { return m_canvas; }

    QToolButton* penButton;
    QToolButton* eraserButton;
    QToolButton* colorButton;
    QSpinBox* widthBox;
    QToolButton* undoButton;
    QToolButton* clearButton;

private:
    void showColor();
    void pickColor(const QColor& color);
    void updateActions();

    PaintCanvas* m_canvas;
    QScrollArea* m_scroll;
    PaintProgram::Changed m_changed;
};
