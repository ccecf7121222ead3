#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

// An advisory lock (flock) on a lock file, held from when it is taken until
// the object is destroyed or the process ends, whichever comes first. Other
// processes that take the same file's lock wait for it or learn that it is
// held; nothing else is kept from the files it guards.
class FolderLock
{
public:
    enum class Kind { Exclusive, Shared };
    enum class Wait { Yes, No };

    // Takes the lock on the file at path, creating the file when missing.
    // nullopt when the lock is held elsewhere and wait is No, or when the
    // file cannot be opened as a plain file (a read-only folder, a link, a
    // pipe in its place).
    static std::optional<FolderLock> take(const QString& path, Kind kind, Wait wait);

    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    // Leaves a short note in the lock file (what the holder is doing), for a
    // process that finds the lock held to read with noteOf().
    void setNote(const QByteArray& note);
    // The note the last holder left; empty when none or the file is missing.
    static QByteArray noteOf(const QString& path);

private:
    explicit FolderLock(int fd) : m_fd(fd) {}
    int m_fd = -1;
};
