#pragma once

#include <functional>
#include <list>
#include <optional>

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include "platform/file_stamp.h"
#include "platform/picture.h"

// Which budget a picture is kept under: thumbnails are small whatever the
// file; pages (PNGs shown at their own size) can be large.
enum class PictureUse { Thumbnail, Page };

// Pictures already decoded, so that showing the same unchanged file again
// costs no decode. Each is kept under its file's path with the stamp the file
// had when it was read; a file whose stamp has changed since is read anew.
// Relative paths stand for the files they name in the current folder.
// Memory stays within a budget per use; the least recently shown pictures go
// first. Pictures can also be decoded ahead of time on a worker thread; only
// finished images come back to the window's thread, where everything else of
// this class runs.
class PictureCache : public QObject
{
    Q_OBJECT
public:
    struct Limits {
        qint64 thumbnailBytes = 8LL << 20;
        qint64 pageBytes = 64LL << 20;
    };
    struct Picture {
        QSize own;    // the picture's own size, as its header states it
        QImage image; // as decoded for showing
        // The image made ready for a view, on the window's thread, the first
        // time it is shown; kept with thumbnails only.
        QPixmap pixmap;
    };
    // How a picture is to be decoded: under which budget, and at which size
    // (invalid: its own size).
    struct Plan {
        PictureUse use = PictureUse::Thumbnail;
        QSize decodeAt;
    };
    using Planner = std::function<Plan(const QString& path, QSize own)>;

    // loader decodes every picture, on worker threads too, so it must be safe
    // to use from any thread and outlive the cache.
    explicit PictureCache(PictureLoader* loader, QObject* parent = nullptr);
    PictureCache(PictureLoader* loader, const Limits& limits, QObject* parent);
    ~PictureCache() override;

    // The picture kept for path if the file still has the stamp now it had
    // when the picture was read; a picture of an older version is dropped.
    std::optional<Picture> find(const QString& path, const FileStamp& now);

    // The kept picture of path as a pixmap, made once and then reused, so
    // that a view already showing it can tell; null when none is kept.
    QPixmap pixmapOf(const QString& path);

    // Keeps image (of a picture of size own), read from the file at path when it had stamp, reading
    // having begun at readFrom (fileClockNow). A file modified so shortly
    // before that a later change could carry the same time is not kept, nor
    // is a picture larger than its whole budget.
    void insert(const QString& path, PictureUse use, const FileStamp& stamp, qint64 readFrom,
                QSize own, const QImage& image);

    // Decodes the pictures at paths that are not kept yet, in this order, on
    // a worker thread, each as plan says for its own size; they are kept
    // once finished. Requests not yet begun are dropped by the next call.
    // Metafiles, files modified moments ago and pictures too large to keep
    // are left to the window's own decode. plan must be safe to
    // call from any thread.
    void prefetch(const QStringList& paths, Planner plan);

    // Waits until every requested decode has finished and been kept.
    void waitForPrefetch();

    // Decodes the picture at path, as it was at stamp, on a worker thread of
    // its own, at decodeAt (invalid: its own size). Once finished,
    // on the window's thread, the picture (null when it could not be read) is
    // held for takeDecodedAside() and done runs. A decode of the same path
    // still running is not started again. loader must be safe to use from
    // any thread and outlive the cache.
    void decodeAside(const QString& path, const FileStamp& stamp, qint64 readFrom, QSize decodeAt,
                     std::function<void()> done);
    bool decodingAside(const QString& path) const;
    // The picture's own size from its header.
    QSize ownSize(const QString& path) { return m_loader->pictureSize(path); }
    // The picture decodeAside() finished for path, handed over once, when the
    // file still has the stamp it had when the decode was asked for.
    struct Decoded {
        QImage image;
        qint64 readFrom = 0;
    };
    std::optional<Decoded> takeDecodedAside(const QString& path, const FileStamp& stamp);
    // The path the window shows, or wants to show, now; a decode aside
    // finished for another one is not shown.
    void setShowing(const QString& path) { m_showing = path; }
    const QString& showing() const { return m_showing; }

    bool contains(const QString& path) const;
    int count() const { return int(m_index.size()); }
    qint64 bytes(PictureUse use) const;
    const Limits& limits() const { return m_limits; }

private:
    struct Entry {
        QString path;
        PictureUse use;
        FileStamp stamp;
        Picture picture;
    };
    using Entries = std::list<Entry>;

    void drop(Entries::iterator entry);
    qint64 limit(PictureUse use) const;
    void decodeAhead(const QString& path, const Planner& plan);

    Limits m_limits;
    Entries m_entries; // most recently used first
    QHash<QString, Entries::iterator> m_index;
    qint64 m_thumbnailBytes = 0;
    qint64 m_pageBytes = 0;
    PictureLoader* m_loader;
    QThreadPool m_workers;
    // Decodes the window asked for, never dropped by a prefetch.
    QThreadPool m_aside;
    QStringList m_decodingAside;
    struct DecodedAside {
        QString path;
        FileStamp stamp;
        Decoded decoded;
    };
    std::optional<DecodedAside> m_decodedAside;
    QString m_showing;
};
