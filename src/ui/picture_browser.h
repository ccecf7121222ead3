#pragma once

#include <QImage>
#include <QScrollArea>
#include <QString>

class QLabel;

// A scrolling view that shows one picture file at its own size, the way a
// browser shows an image it was sent to.
class PictureBrowser : public QScrollArea
{
    Q_OBJECT
public:
    explicit PictureBrowser(QWidget* parent = nullptr);

    // Shows picture as the content of location; a null picture leaves the view
    // empty, as a page that could not be shown.
    void navigate(const QString& location, const QImage& picture);

    const QString& location() const { return m_location; }
    // The size of the picture on show; empty when there is none.
    QSize pictureSize() const;

private:
    QLabel* m_page;
    QString m_location;
    qint64 m_shownKey = 0;
};
