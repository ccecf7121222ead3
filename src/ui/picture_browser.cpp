#include "ui/picture_browser.h"

#include <QLabel>
#include <QPixmap>

PictureBrowser::PictureBrowser(QWidget* parent) : QScrollArea(parent), m_page(new QLabel)
{
    m_page->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setWidget(m_page);
    // The page keeps the picture's own size; the view scrolls over it.
    setWidgetResizable(false);
}

void PictureBrowser::navigate(const QString& location, const QImage& picture)
{
    // The same picture again (typing beside it redraws it) keeps the page it
    // has, which for a large picture saves a copy of all its pixels.
    if (!picture.isNull() && picture.cacheKey() == m_shownKey && location == m_location)
        return;
    m_location = location;
    m_shownKey = picture.cacheKey();
    if (picture.isNull()) {
        m_page->clear();
        m_page->resize(0, 0);
        return;
    }
    m_page->setPixmap(QPixmap::fromImage(picture));
    m_page->resize(picture.size());
}

QSize PictureBrowser::pictureSize() const
{
    const QPixmap pixmap = m_page->pixmap();
    return pixmap.isNull() ? QSize() : pixmap.size();
}
