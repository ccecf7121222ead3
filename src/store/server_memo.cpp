#include "store/server_memo.h"

#include "store/pg_catalogue.h"
#include "store/text_fold.h"

namespace store
{

namespace
{

PgCatalogue& serverOf(SqliteDatabase& db)
{
    if (!db.server())
        throw DbError("the memos of a catalogue file are files");
    return *db.server();
}

} // namespace

std::optional<QByteArray> readServerMemo(SqliteDatabase& db, const QString& title)
{
    // base64 decodes in one call, whatever the server's bytea_output.
    const PgResult result = serverOf(db).connection().exec(
        QStringLiteral("SELECT encode(png, 'base64') FROM %1 WHERE title_key = $1")
            .arg(kServerMemoTable),
        {PgValue::text(foldForComparison(title))});
    if (result.rows() == 0)
        return std::nullopt;
    return QByteArray::fromBase64(result.bytes(0, 0));
}

void writeServerMemo(SqliteDatabase& db, const QString& title, const QByteArray& png)
{
    serverOf(db).connection().exec(
        QStringLiteral("INSERT INTO %1 (title_key, png) VALUES ($1, $2) ON CONFLICT (title_key) "
                       "DO UPDATE SET png = excluded.png")
            .arg(kServerMemoTable),
        {PgValue::text(foldForComparison(title)), PgValue::bytes(png)});
}

} // namespace store
