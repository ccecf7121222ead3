#pragma once

#include <optional>

#include <QString>

class SqliteDatabase;
class SqliteStatement;

// Finding stored names under the comparison rule. An older file may hold two
// names that now compare the same; the exact spelling then wins, and
// otherwise the one that differs only in ASCII case, then the first in
// binary order, so the same row is always found.
namespace store
{

// The stored spelling of the name in table.column that compares the same as
// name, or nullopt when there is none.
std::optional<QString> storedSpelling(SqliteDatabase& db, const QString& table,
                                      const QString& column, const QString& name);

// The category row a typed category selects: the row of that exact spelling,
// otherwise the first row in the list's order that compares the same.
std::optional<qint64> selectedCategoryRow(SqliteDatabase& db, const QString& category);

// Which titles belong to a category: an SQL condition on the title table in
// which ?1 is the category (as typed, or the category row, as the caller
// binds it), and the row it also needs at ?3, if any.
struct CategoryTitles {
    QString condition;
    std::optional<qint64> row;
};

// A title belongs to the category row its category text compares the same
// as. Only where two category rows compare the same does the exact spelling
// tell them apart; a title that spells neither goes with the first of them in
// the list's order, so none is missing from every list. A category text that
// selects no row selects the titles whose category compares the same.
CategoryTitles titlesOfCategory(SqliteDatabase& db, const QString& category);
// The same for the category stored in that row of the category table.
CategoryTitles titlesOfCategoryRow(SqliteDatabase& db, qint64 categoryRow);
// Binds ?3 when the condition needs it.
void bindCategoryTitles(SqliteStatement& statement, const CategoryTitles& titles);

// A row number bound as text at ?index, as the integer the rowid is.
QString rowParameter(int index);

// SQL condition matching column = ?index by exact spelling, using the
// column's own index.
QString exactMatch(const QString& column, int index);

} // namespace store
