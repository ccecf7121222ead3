#include "platform/paint.h"

#include <QApplication>
#include <QButtonGroup>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/paint_window.h"

namespace
{

// Enough steps back for a memo, without holding an unbounded pile of
// full-size pictures.
constexpr std::size_t kUndoDepth = 50;

} // namespace

PaintCanvas::PaintCanvas(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_StaticContents);
    setCursor(Qt::CrossCursor);
}

void PaintCanvas::setPicture(const QImage& picture)
{
    // Strokes are drawn in full colour on paper: a picture with transparent
    // parts gets white behind them rather than the black a plain conversion
    // would leave.
    m_picture = QImage(picture.size(), QImage::Format_RGB32);
    m_picture.fill(Qt::white);
    {
        QPainter painter(&m_picture);
        painter.drawImage(0, 0, picture);
    }
    m_undo.clear();
    m_drawing = false;
    setFixedSize(m_picture.size());
    update();
}

void PaintCanvas::remember()
{
    if (m_undo.size() == kUndoDepth)
        m_undo.erase(m_undo.begin());
    m_undo.push_back(m_picture);
}

void PaintCanvas::undo()
{
    if (m_undo.empty())
        return;
    m_picture = m_undo.back();
    m_undo.pop_back();
    update();
    emit pictureChanged(m_picture);
}

void PaintCanvas::clear()
{
    remember();
    m_picture.fill(Qt::white);
    update();
    emit pictureChanged(m_picture);
}

void PaintCanvas::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), m_picture, event->rect());
}

void PaintCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_picture.isNull())
        return;
    remember();
    m_drawing = true;
    m_last = event->position().toPoint();
    drawTo(m_last);
}

void PaintCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (m_drawing && (event->buttons() & Qt::LeftButton))
        drawTo(event->position().toPoint());
}

void PaintCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_drawing || event->button() != Qt::LeftButton)
        return;
    drawTo(event->position().toPoint());
    m_drawing = false;
    emit pictureChanged(m_picture);
}

void PaintCanvas::drawTo(const QPoint& point)
{
    QPainter painter(&m_picture);
    painter.setRenderHint(QPainter::Antialiasing);
    // The eraser paints the paper colour, a little wider so it is quick to use.
    const bool erasing = m_tool == Tool::Eraser;
    const QColor ink = erasing ? QColor(Qt::white) : m_color;
    const int width = erasing ? m_lineWidth * 3 : m_lineWidth;
    painter.setPen(QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (point == m_last)
        painter.drawPoint(point);
    else
        painter.drawLine(m_last, point);
    const int margin = width + 2;
    update(QRect(m_last, point).normalized().adjusted(-margin, -margin, margin, margin));
    m_last = point;
}

PaintWindow::PaintWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);

    auto makeTool = [this](const QString& caption, const QString& tip) {
        auto* button = new QToolButton(this);
        button->setText(caption);
        button->setToolTip(tip);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        return button;
    };
    penButton = makeTool(QStringLiteral("ペン"), QStringLiteral("線を描きます"));
    eraserButton = makeTool(QStringLiteral("消しゴム"), QStringLiteral("白で消します"));
    penButton->setCheckable(true);
    eraserButton->setCheckable(true);
    penButton->setChecked(true);
    auto* tools = new QButtonGroup(this);
    tools->addButton(penButton);
    tools->addButton(eraserButton);

    colorButton = makeTool(QStringLiteral("色"), QStringLiteral("ペンの色を選びます"));
    colorButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);

    widthBox = new QSpinBox(this);
    widthBox->setRange(1, 30);
    widthBox->setSuffix(QStringLiteral(" px"));
    widthBox->setToolTip(QStringLiteral("線の太さ"));

    undoButton =
        makeTool(QStringLiteral("元に戻す"), QStringLiteral("直前の操作を取り消します (Ctrl+Z)"));
    clearButton = makeTool(QStringLiteral("全消去"), QStringLiteral("メモを白紙にします"));

    m_canvas = new PaintCanvas;
    widthBox->setValue(m_canvas->lineWidth());

    auto* row = new QHBoxLayout;
    row->addWidget(penButton);
    row->addWidget(eraserButton);
    row->addSpacing(8);
    // A few ready colours beside the full picker: memos are mostly written in
    // black, red or blue.
    const QColor swatches[] = {Qt::black, Qt::red, Qt::blue, QColor(0, 128, 0),
                               QColor(255, 128, 0)};
    for (const QColor& color : swatches) {
        auto* swatch = new QToolButton(this);
        swatch->setFixedSize(20, 20);
        swatch->setStyleSheet(
            QStringLiteral("QToolButton { background: %1; border: 1px solid gray; }")
                .arg(color.name()));
        swatch->setToolTip(color.name());
        connect(swatch, &QToolButton::clicked, this, [this, color] { pickColor(color); });
        row->addWidget(swatch);
    }
    row->addWidget(colorButton);
    row->addSpacing(8);
    row->addWidget(widthBox);
    row->addSpacing(8);
    row->addWidget(undoButton);
    row->addWidget(clearButton);
    row->addStretch();

    m_scroll = new QScrollArea;
    m_scroll->setWidget(m_canvas);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_scroll, 1);

    connect(penButton, &QToolButton::clicked, this,
            [this] { m_canvas->setTool(PaintCanvas::Tool::Pen); });
    connect(eraserButton, &QToolButton::clicked, this,
            [this] { m_canvas->setTool(PaintCanvas::Tool::Eraser); });
    connect(colorButton, &QToolButton::clicked, this, [this] {
        const QColor color = QColorDialog::getColor(m_canvas->color(), this);
        if (color.isValid())
            pickColor(color);
    });
    connect(widthBox, &QSpinBox::valueChanged, this,
            [this](int width) { m_canvas->setLineWidth(width); });
    connect(undoButton, &QToolButton::clicked, m_canvas, &PaintCanvas::undo);
    connect(clearButton, &QToolButton::clicked, m_canvas, &PaintCanvas::clear);
    auto* undoKey = new QShortcut(QKeySequence::Undo, this);
    connect(undoKey, &QShortcut::activated, m_canvas, &PaintCanvas::undo);
    connect(m_canvas, &PaintCanvas::pictureChanged, this, [this](const QImage& picture) {
        updateActions();
        if (m_changed)
            m_changed(picture);
    });

    showColor();
    updateActions();
}

void PaintWindow::open(const QImage& picture, const QString& caption, PaintProgram::Changed changed)
{
    m_changed = std::move(changed);
    m_canvas->setPicture(picture);
    setWindowTitle(caption);
    updateActions();

    // Room for the whole picture where the screen allows; larger pictures
    // scroll. The minimum is only held while the window takes its size, so
    // the user can still make it smaller.
    QSize room = m_canvas->size() + QSize(2 * m_scroll->frameWidth(), 2 * m_scroll->frameWidth());
    if (const QScreen* screen = this->screen())
        room = room.boundedTo(screen->availableSize() * 8 / 10);
    m_scroll->setMinimumSize(room);
    adjustSize();
    m_scroll->setMinimumSize(QSize(80, 60));
}

void PaintWindow::pickColor(const QColor& color)
{
    m_canvas->setColor(color);
    // Choosing a colour means drawing with it.
    m_canvas->setTool(PaintCanvas::Tool::Pen);
    penButton->setChecked(true);
    showColor();
}

void PaintWindow::showColor()
{
    QPixmap chip(14, 14);
    chip.fill(m_canvas->color());
    colorButton->setIcon(QIcon(chip));
}

void PaintWindow::updateActions()
{
    undoButton->setEnabled(m_canvas->canUndo());
}

MemoPaintProgram::~MemoPaintProgram()
{
    delete m_window.data();
}

void MemoPaintProgram::edit(const QImage& picture, const QString& caption, Changed changed)
{
    if (!m_window)
        m_window = new PaintWindow;
    m_window->open(picture, caption, std::move(changed));
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
