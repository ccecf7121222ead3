#include "store/option_queries.h"

#include "store/pg_catalogue.h"
#include "store/schema.h"
#include "store/sqlite_database.h"

using namespace store::schema;

namespace store
{

std::optional<QString> readMemoryOption(SqliteDatabase& db)
{
    if (PgCatalogue* server = db.server())
        return server::readMemoryOption(*server);
    auto query = db.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                                .arg(kOptionValue, kOptionTable, kOptionName));
    query.bind(1, kMemoryOption);
    if (!query.step())
        return std::nullopt;
    return query.text(0);
}

bool writeMemoryOption(SqliteDatabase& db, const QString& value)
{
    if (PgCatalogue* server = db.server())
        return server::writeMemoryOption(*server, value);
    db.prepare(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ?")
                   .arg(kOptionTable, kOptionValue, kOptionName))
        .bind(1, value)
        .bind(2, kMemoryOption)
        .step();
    return db.changes() > 0;
}

} // namespace store
