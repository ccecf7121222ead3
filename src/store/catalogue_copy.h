#pragma once

#include <QString>

// Moving a catalogue between a file and a server: every category, title and
// option row, and the handwritten memos, all or nothing.
namespace store
{

struct CopyCounts {
    int categories = 0;
    int titles = 0;
    int memos = 0;
};

// Copies the catalogue at from (a file or a server's connection string) to
// to, which must hold no catalogue yet: a file that does not exist, or a
// database without tables. A file's memos are the files in memoFolderOf()
// its folder; a server's are in its memo table. A file target is built under
// a staging name and its memos written only where no file of that name
// exists, and it takes its name only when whole; a server target is written
// in one transaction. Throws DbError with the reason, having written nothing.
CopyCounts copyCatalogue(const QString& from, const QString& to);

} // namespace store
