#pragma once

#include <QString>
#include <QtGlobal>

// One version of a file's content as the file system tells it apart: its size
// and modification time, in nanoseconds since the epoch.
struct FileStamp {
    qint64 size = -1;
    qint64 modified = 0;

    bool isValid() const { return size >= 0; }
    bool operator==(const FileStamp&) const = default;
};

// The stamp of the regular file at path, from one look at the file system;
// invalid for a missing file, a folder or anything else that is not a
// regular file.
FileStamp fileStamp(const QString& path);

// Now, on the clock modification times are read from.
qint64 fileClockNow();
