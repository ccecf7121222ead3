#include "memo/memo_files.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include "store/catalogue_db.h"

namespace memo
{

QString memoFolder(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(kMemoFolderName);
}

std::optional<QString> memoFilePath(const QString& dataFolder, const QString& title)
{
    // The title is used as typed, spaces and all; only what would lead the
    // name out of the memo folder, or cannot be in a file name at all, is
    // refused. "." and ".." are titles like any other: the ".ole" that
    // follows makes them "..ole" and "...ole", plain names in the folder.
    if (title.isEmpty() || title.contains(QLatin1Char('/')) || title.contains(QChar(u'\0')))
        return std::nullopt;
    return memoFolder(dataFolder) + QLatin1Char('/') + title + QStringLiteral(".ole");
}

QString defaultMemoPath(const QString& sharedFolder)
{
    return QDir(memoFolder(sharedFolder)).filePath(QStringLiteral("quilmo.ole"));
}

QImage readMemo(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QImage picture;
    picture.loadFromData(file.readAll(), "PNG");
    return picture;
}

namespace
{

// Closes a descriptor when the save leaves early.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and says whether the kernel accepted it: a late write error
    // (a network file system, a quota) can show up only here.
    bool close()
    {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool syncFully(int fd)
{
    while (::fsync(fd) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

// A name for the new content beside the memo, short enough whatever the
// title's length, and not one a title can take (memo names end in ".ole").
QByteArray temporaryName()
{
    return QByteArrayLiteral(".quilmo-save-") +
           QByteArray::number(QRandomGenerator::global()->generate64(), 16) +
           QByteArrayLiteral(".tmp");
}

// Replaces the entry name of the open folder with bytes, all or nothing:
// the bytes go to a new file that is written, synced and closed, each step
// checked, and only then renamed over the old entry. Any failure removes the
// new file and leaves the old one as it was.
bool replaceEntry(int folder, const QByteArray& name, const QByteArray& bytes)
{
    // Only a plain file is replaced. A link planted in the memo folder
    // (dangling or not) would lead the save to a file elsewhere; anything
    // else (a folder, a pipe) is no memo.
    struct stat old {
    };
    mode_t mode = 0666;
    bool existed = false;
    if (::fstatat(folder, name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(old.st_mode))
            return false;
        mode = old.st_mode & 07777;
        existed = true;
    } else if (errno != ENOENT) {
        return false;
    }

    QByteArray tempName;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tempName = temporaryName();
        fd = ::openat(folder, tempName.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    Descriptor file(fd);
    if (!file.valid())
        return false;

    // The umask may have narrowed the mode of the new file; an existing memo
    // keeps the mode it had.
    const bool written = (!existed || ::fchmod(file.get(), mode) == 0) &&
                         writeAll(file.get(), bytes.constData(), bytes.size()) &&
                         syncFully(file.get());
    if (!file.close() || !written ||
        ::renameat(folder, tempName.constData(), folder, name.constData()) != 0) {
        ::unlinkat(folder, tempName.constData(), 0);
        return false;
    }
    // The rename itself reaches the disk with the folder. A file system that
    // cannot sync a folder says EINVAL; the new memo is in place either way.
    return syncFully(folder) || errno == EINVAL;
}

} // namespace

bool writeMemo(const QString& path, const QImage& picture)
{
    if (picture.isNull())
        return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG"))
        return false;

    // The folder may itself be a link the user made; it is followed once,
    // here, and the memo's own name is then looked at inside it and nowhere
    // else.
    const QFileInfo info(path);
    const QByteArray name = QFile::encodeName(info.fileName());
    if (name.isEmpty() || name == "." || name == "..")
        return false;
    Descriptor folder(::open(QFile::encodeName(info.absolutePath()).constData(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return false;
    return replaceEntry(folder.get(), name, bytes);
}

QImage blankMemo()
{
    QImage picture(kBlankSize, QImage::Format_RGB32);
    picture.fill(Qt::white);
    return picture;
}

void removeLeftoverSaveFiles(const QString& folder)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral(".quilmo-save-*.tmp")},
                                            QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        const QFileInfo entry(dir.filePath(name));
        // A link of that name leads elsewhere; what it leads to is not ours.
        if (!entry.isSymLink() && entry.isFile())
            QFile::remove(entry.filePath());
    }
}

} // namespace memo
