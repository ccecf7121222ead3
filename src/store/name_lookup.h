#pragma once

#include <optional>

#include <QString>

class SqliteDatabase;

// Finding stored names under the comparison rule. An older file may hold two
// names that now compare the same; the exact spelling then wins, and
// otherwise the one that differs only in ASCII case, then the first in
// binary order, so the same row is always found.
namespace catalogue {

// The stored spelling of the name in table.column that compares the same as
// name, or nullopt when there is none.
std::optional<QString> storedSpelling(SqliteDatabase& db, const QString& table,
                                      const QString& column, const QString& name);

// SQL condition (parameter ?1 the typed category) selecting the titles of a
// category: those filed under the exact spelling when there are any,
// otherwise those whose category compares the same.
QString categoryCondition(SqliteDatabase& db, const QString& category);

// The same selection for the category stored in row ?1 of the category
// table: its exact bytes when titles are filed under them, otherwise every
// title whose category compares the same.
QString categoryRowCondition(SqliteDatabase& db, qint64 categoryRow);

// A row number bound as text at ?index, as the integer the rowid is.
QString rowParameter(int index);

// SQL condition matching column = ?index by exact spelling, using the
// column's own index.
QString exactMatch(const QString& column, int index);

} // namespace catalogue
