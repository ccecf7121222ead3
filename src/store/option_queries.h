#pragma once

#include <optional>

#include <QString>

class SqliteDatabase;

namespace store
{

// The stored value of the 'Memory' option as it stands; nullopt without the row.
std::optional<QString> readMemoryOption(SqliteDatabase& db);
// Rewrites the 'Memory' row; false when the row is missing (it is never created).
bool writeMemoryOption(SqliteDatabase& db, const QString& value);

} // namespace store
