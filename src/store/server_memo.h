#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

class SqliteDatabase;

// The handwritten memos of a catalogue on a server live in the server, since
// the memo folder of one PC is not shared; a file's memos stay files beside
// it. Titles find their memo under the comparison rule.
namespace store
{

// The PNG bytes of the title's memo, nullopt when it has none. Throws DbError,
// also for a file catalogue.
std::optional<QByteArray> readServerMemo(SqliteDatabase& db, const QString& title);
// Stores the title's memo in one statement, replacing the one it had. Throws
// DbError, also for a file catalogue.
void writeServerMemo(SqliteDatabase& db, const QString& title, const QByteArray& png);

} // namespace store
