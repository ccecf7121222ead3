#pragma once

#include <optional>

#include <QString>

class SqliteDatabase;

// Moving stored paths from one drive or folder prefix to another. Nothing
// here touches a widget.
namespace conversion {

// value with its leading oldPrefix replaced by newPrefix, or nullopt when
// value does not begin with oldPrefix. The prefix is compared without regard
// to letter case and taken literally (no pattern characters).
std::optional<QString> convertPrefix(const QString& value, const QString& oldPrefix,
                                     const QString& newPrefix);

// The same for stored link targets, one per line, each line ending in CR LF:
// every line that begins with oldPrefix is converted. nullopt when none does.
std::optional<QString> convertLinkTargets(const QString& value, const QString& oldPrefix,
                                          const QString& newPrefix);

// Converts column (one of the four path columns of the title table) in every
// title whose value begins with oldPrefix, all in one transaction: either
// every such title changes or none does. Returns the number of titles
// converted. Throws DbError (nothing changed) when the engine fails.
int convertColumn(SqliteDatabase& db, const QString& column, const QString& oldPrefix,
                  const QString& newPrefix);

} // namespace conversion
