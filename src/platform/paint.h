#pragma once

#include <functional>

#include <QImage>
#include <QPointer>
#include <QString>

class PaintWindow;
class QWidget;

// The memo editor: a window of its own in which the user draws on a picture.
// Every change the user makes is handed back at once through the callback,
// so the owner always shows what the editor shows.
class PaintProgram
{
public:
    using Changed = std::function<void(const QImage& picture)>;

    virtual ~PaintProgram() = default;
    // Opens picture for editing under caption; an editor already open takes
    // the new picture and callback and comes to the front.
    virtual void edit(const QImage& picture, const QString& caption, Changed changed) = 0;
};

// The in-program editor window (pen, eraser, colour, width, undo, clear).
class MemoPaintProgram final : public PaintProgram
{
public:
    ~MemoPaintProgram() override;
    void edit(const QImage& picture, const QString& caption, Changed changed) override;

private:
    QPointer<PaintWindow> m_window;
};
