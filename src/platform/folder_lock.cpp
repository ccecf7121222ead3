#include "platform/folder_lock.h"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace
{

// Never follows a link and never waits in open(): a pipe put in the lock
// file's place must not hold up the start.
int openPlain(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0)
        return -1;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

std::optional<FolderLock> FolderLock::take(const QString& path, Kind kind, Wait wait)
{
    const int fd = openPlain(path, O_RDWR | O_CREAT);
    if (fd < 0)
        return std::nullopt;
    const int operation =
        (kind == Kind::Exclusive ? LOCK_EX : LOCK_SH) | (wait == Wait::No ? LOCK_NB : 0);
    while (::flock(fd, operation) != 0) {
        if (errno != EINTR) {
            ::close(fd);
            return std::nullopt;
        }
    }
    return FolderLock(fd);
}

FolderLock::FolderLock(FolderLock&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

FolderLock::~FolderLock()
{
    // Closing the only descriptor releases the lock.
    if (m_fd >= 0)
        ::close(m_fd);
}

void FolderLock::setNote(const QByteArray& note)
{
    if (m_fd < 0)
        return;
    // A note that cannot be written only means a waiting process says less.
    if (::ftruncate(m_fd, 0) != 0)
        return;
    [[maybe_unused]] const ssize_t written =
        ::pwrite(m_fd, note.constData(), size_t(note.size()), 0);
}

QByteArray FolderLock::noteOf(const QString& path)
{
    const int fd = openPlain(path, O_RDONLY);
    if (fd < 0)
        return {};
    char text[256];
    const ssize_t got = ::pread(fd, text, sizeof text, 0);
    ::close(fd);
    return got > 0 ? QByteArray(text, int(got)) : QByteArray();
}
