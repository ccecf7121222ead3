// A window that starts a drag of the files named on its command line when the
// mouse is pressed in it, as a file manager does: for trying drops on the
// program from another process by hand.
#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace
{

class DragSource final : public QLabel
{
public:
    explicit DragSource(QList<QUrl> urls) : m_urls(std::move(urls))
    {
        setText(QStringLiteral("drag from here"));
        setAlignment(Qt::AlignCenter);
        setWindowTitle(QStringLiteral("drag source"));
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        auto* mime = new QMimeData;
        mime->setUrls(m_urls);
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::LinkAction);
        setText(done == Qt::IgnoreAction ? QStringLiteral("refused") : QStringLiteral("dropped"));
    }

private:
    QList<QUrl> m_urls;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (const QString& argument : app.arguments().mid(1))
        urls.push_back(QUrl::fromUserInput(argument, QString(), QUrl::AssumeLocalFile));
    DragSource source(urls);
    source.setGeometry(0, 0, 200, 120);
    source.show();
    return app.exec();
}
