#include "ui/picture_cache.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace
{

// Modification times are only as fine as the file system keeps them (two
// seconds on FAT, a clock tick on others). A file modified within this long
// before it was read could change again without its time changing, so such a
// reading is not kept.
constexpr qint64 kCoarsestTimeNs = 2'500'000'000LL;

// Launching a program changes the current folder, after which a relative
// path names another file; pictures are kept under the file they came from.
QString keyOf(const QString& path)
{
    return QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path);
}

// A thumbnail is kept twice once shown: as decoded and as its view's pixmap.
qint64 costOf(PictureUse use, const QImage& image)
{
    return image.sizeInBytes() * (use == PictureUse::Thumbnail ? 2 : 1);
}

} // namespace

PictureCache::PictureCache(PictureLoader* loader, QObject* parent)
    : PictureCache(loader, Limits{}, parent)
{
}

PictureCache::PictureCache(PictureLoader* loader, const Limits& limits, QObject* parent)
    : QObject(parent), m_limits(limits), m_loader(loader)
{
    // One decode at a time beside the window: the neighbours are wanted in
    // order, and the window's own thread needs the other core.
    m_workers.setMaxThreadCount(1);
    m_aside.setMaxThreadCount(1);
}

PictureCache::~PictureCache()
{
    m_workers.clear();
    m_aside.clear();
    m_workers.waitForDone();
    m_aside.waitForDone();
}

void PictureCache::decodeAside(const QString& file, const FileStamp& stamp, qint64 readFrom,
                               QSize decodeAt, std::function<void()> done)
{
    const QString path = keyOf(file);
    if (m_decodingAside.contains(path))
        return;
    m_decodingAside.append(path);
    m_aside.start([this, path, stamp, readFrom, decodeAt, done = std::move(done)] {
        const QImage image = m_loader->load(path, decodeAt);
        // Queued to the window's thread; dropped if the cache is gone by then.
        QMetaObject::invokeMethod(
            this,
            [this, path, stamp, readFrom, image, done] {
                m_decodingAside.removeAll(path);
                m_decodedAside = DecodedAside{path, stamp, Decoded{image, readFrom}};
                done();
            },
            Qt::QueuedConnection);
    });
}

bool PictureCache::decodingAside(const QString& path) const
{
    return m_decodingAside.contains(keyOf(path));
}

std::optional<PictureCache::Decoded> PictureCache::takeDecodedAside(const QString& path,
                                                                    const FileStamp& stamp)
{
    if (!m_decodedAside || m_decodedAside->path != keyOf(path) || m_decodedAside->stamp != stamp)
        return std::nullopt;
    Decoded decoded = std::move(m_decodedAside->decoded);
    m_decodedAside.reset();
    return decoded;
}

std::optional<PictureCache::Picture> PictureCache::find(const QString& path, const FileStamp& now)
{
    const auto found = m_index.constFind(keyOf(path));
    if (found == m_index.constEnd())
        return std::nullopt;
    const Entries::iterator entry = found.value();
    if (!now.isValid() || entry->stamp != now) {
        drop(entry);
        return std::nullopt;
    }
    m_entries.splice(m_entries.begin(), m_entries, entry);
    return entry->picture;
}

void PictureCache::insert(const QString& file, PictureUse use, const FileStamp& stamp,
                          qint64 readFrom, QSize own, const QImage& image)
{
    const QString path = keyOf(file);
    if (const auto old = m_index.constFind(path); old != m_index.constEnd())
        drop(old.value());
    const qint64 size = costOf(use, image);
    if (!stamp.isValid() || image.isNull() || size > limit(use) ||
        stamp.modified >= readFrom - kCoarsestTimeNs)
        return;

    qint64& used = use == PictureUse::Page ? m_pageBytes : m_thumbnailBytes;
    used += size;
    m_entries.push_front(Entry{path, use, stamp, Picture{own, image, QPixmap()}});
    m_index.insert(path, m_entries.begin());
    for (auto it = m_entries.end(); used > limit(use) && it != m_entries.begin();) {
        --it;
        if (it->use != use)
            continue;
        const auto older = it;
        it = std::next(it);
        drop(older);
    }
}

void PictureCache::prefetch(const QStringList& paths, Planner plan)
{
    m_workers.clear();
    if (!m_loader)
        return;
    for (const QString& file : paths) {
        const QString path = keyOf(file);
        if (find(path, fileStamp(path)))
            continue;
        m_workers.start([this, path, plan] { decodeAhead(path, plan); });
    }
}

void PictureCache::waitForPrefetch()
{
    m_workers.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

bool PictureCache::contains(const QString& path) const
{
    return m_index.contains(keyOf(path));
}

QPixmap PictureCache::pixmapOf(const QString& path)
{
    const auto found = m_index.constFind(keyOf(path));
    if (found == m_index.constEnd())
        return QPixmap();
    Entry& entry = *found.value();
    if (entry.use == PictureUse::Thumbnail && entry.picture.pixmap.isNull())
        entry.picture.pixmap = QPixmap::fromImage(entry.picture.image);
    return entry.use == PictureUse::Thumbnail ? entry.picture.pixmap
                                              : QPixmap::fromImage(entry.picture.image);
}

qint64 PictureCache::bytes(PictureUse use) const
{
    return use == PictureUse::Page ? m_pageBytes : m_thumbnailBytes;
}

void PictureCache::drop(Entries::iterator entry)
{
    (entry->use == PictureUse::Page ? m_pageBytes : m_thumbnailBytes) -=
        costOf(entry->use, entry->picture.image);
    m_index.remove(entry->path);
    m_entries.erase(entry);
}

qint64 PictureCache::limit(PictureUse use) const
{
    return use == PictureUse::Page ? m_limits.pageBytes : m_limits.thumbnailBytes;
}

// Runs on the worker thread: touches nothing of the cache but the loader,
// which keeps no state, and hands the finished picture to the window's thread.
void PictureCache::decodeAhead(const QString& path, const Planner& plan)
{
    const qint64 readFrom = fileClockNow();
    const FileStamp stamp = fileStamp(path);
    // A file modified moments ago would not be kept; it is decoded when shown.
    if (!stamp.isValid() || stamp.modified >= readFrom - kCoarsestTimeNs)
        return;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || looksLikeMetafile(file.peek(18)))
            return;
    }
    const QSize own = m_loader->pictureSize(path);
    if (!own.isValid() || own.isEmpty())
        return;
    const Plan how = plan(path, own);
    // A picture too large to be kept is not decoded ahead: the memory would
    // be spent for nothing.
    const QSize at = how.decodeAt.isValid() ? how.decodeAt : own;
    if (qint64(at.width()) * at.height() * 4 > limit(how.use))
        return;
    QImage image = m_loader->load(path, how.decodeAt);
    if (image.isNull())
        return;
    QMetaObject::invokeMethod(
        this,
        [this, path, how, stamp, readFrom, own, image = std::move(image)] {
            // The window may have read the file itself meanwhile, perhaps a
            // newer version of it; that reading stands.
            if (!m_index.contains(path))
                insert(path, how.use, stamp, readFrom, own, image);
        },
        Qt::QueuedConnection);
}
