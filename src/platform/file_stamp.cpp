#include "platform/file_stamp.h"

#include <sys/stat.h>
#include <time.h>

#include <QFile>

namespace
{

qint64 nanoseconds(const timespec& time)
{
    return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

} // namespace

FileStamp fileStamp(const QString& path)
{
    if (path.isEmpty())
        return {};
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return {};
    return FileStamp{qint64(status.st_size), nanoseconds(status.st_mtim)};
}

qint64 fileClockNow()
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return nanoseconds(now);
}
