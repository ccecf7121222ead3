#include "store/name_lookup.h"

#include <QList>

#include "store/pg_catalogue.h"
#include "store/schema.h"
#include "store/sqlite_database.h"

using namespace store::schema;

namespace store
{

QString exactMatch(const QString& column, int index)
{
    // The first comparison takes the column's own collation and so its
    // index; the second keeps only the exact spelling.
    return QStringLiteral("%1 = ?%2 AND %1 = ?%2 COLLATE BINARY").arg(column).arg(index);
}

std::optional<QString> storedSpelling(SqliteDatabase& db, const QString& table,
                                      const QString& column, const QString& name)
{
    auto exact = db.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 LIMIT 1")
                                .arg(column, table, exactMatch(column, 1)));
    exact.bind(1, name);
    if (exact.step())
        return exact.text(0);
    auto ruled =
        db.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE ruled_fold(%1) = ruled_fold(?1) "
                                  "ORDER BY %1 = ?1 DESC, %1 COLLATE BINARY LIMIT 1")
                       .arg(column, table));
    ruled.bind(1, name);
    if (ruled.step())
        return ruled.text(0);
    return std::nullopt;
}

QString rowParameter(int index)
{
    return QStringLiteral("CAST(?%1 AS INTEGER)").arg(index);
}

namespace
{

// The category rows that compare the same as the category expression, in the
// list's order, and the one spelled exactly as it.
struct Candidates {
    QList<qint64> rows;
    std::optional<qint64> exact;
};

// expression is the category as SQL, reading ?1; bound is what ?1 takes.
Candidates candidatesOf(SqliteDatabase& db, const QString& expression, const QString& bound)
{
    // The same table scan as the category list, with no condition that could
    // lead the engine to another order.
    auto query = db.prepare(QStringLiteral("SELECT rowid, ruled_fold(%1) = ruled_fold(%2), "
                                           "%1 = %2 COLLATE BINARY FROM %3")
                                .arg(kCategoryName, expression, kCategoryTable));
    query.bind(1, bound);
    Candidates candidates;
    while (query.step()) {
        if (query.integer(1) == 0)
            continue;
        candidates.rows.append(query.integer(0));
        if (query.integer(2) != 0)
            candidates.exact = query.integer(0);
    }
    return candidates;
}

QString typedCategory()
{
    return QStringLiteral("?1");
}

QString categoryInRow()
{
    return QStringLiteral("(SELECT %1 FROM %2 WHERE rowid = %3)")
        .arg(kCategoryName, kCategoryTable, rowParameter(1));
}

CategoryTitles titlesOf(const Candidates& candidates, const QString& expression, qint64 selected)
{
    // Titles are found among the distinct spellings that compare the same:
    // the category index yields each spelling with one seek (spellings that
    // differ in ASCII case only are one entry there, and compare the same),
    // the rule is worked out once per spelling, and the index then finds the
    // titles, so a large category lists about as fast as an exact match.
    CategoryTitles titles;
    titles.condition =
        QStringLiteral("%1 IN (WITH RECURSIVE spelling(name) AS (SELECT min(%1) FROM %2 "
                       "UNION ALL SELECT (SELECT min(%1) FROM %2 WHERE %1 > spelling.name) "
                       "FROM spelling WHERE name IS NOT NULL) "
                       "SELECT name FROM spelling WHERE ruled_fold(name) = ruled_fold(%3))")
            .arg(kCategoryName, kTitleTable, expression);
    if (candidates.rows.size() < 2)
        return titles;
    QString own = QStringLiteral("%1 = (SELECT %1 FROM %2 WHERE rowid = %3) COLLATE BINARY")
                      .arg(kCategoryName, kCategoryTable, rowParameter(3));
    if (selected == candidates.rows.first())
        own += QStringLiteral(" OR NOT EXISTS (SELECT 1 FROM %1 AS spelled WHERE "
                              "spelled.%2 = %3.%2 AND spelled.%2 = %3.%2 COLLATE BINARY)")
                   .arg(kCategoryTable, kCategoryName, kTitleTable);
    titles.condition += QStringLiteral(" AND (%1)").arg(own);
    titles.row = selected;
    return titles;
}

} // namespace

std::optional<qint64> selectedCategoryRow(SqliteDatabase& db, const QString& category)
{
    if (PgCatalogue* server = db.server())
        return server::selectedCategoryRow(*server, category);
    const Candidates candidates = candidatesOf(db, typedCategory(), category);
    if (candidates.exact)
        return candidates.exact;
    if (candidates.rows.isEmpty())
        return std::nullopt;
    return candidates.rows.first();
}

CategoryTitles titlesOfCategory(SqliteDatabase& db, const QString& category)
{
    const Candidates candidates = candidatesOf(db, typedCategory(), category);
    const qint64 selected =
        candidates.exact.value_or(candidates.rows.isEmpty() ? 0 : candidates.rows.first());
    return titlesOf(candidates, typedCategory(), selected);
}

CategoryTitles titlesOfCategoryRow(SqliteDatabase& db, qint64 categoryRow)
{
    const Candidates candidates = candidatesOf(db, categoryInRow(), QString::number(categoryRow));
    return titlesOf(candidates, categoryInRow(), categoryRow);
}

void bindCategoryTitles(SqliteStatement& statement, const CategoryTitles& titles)
{
    if (titles.row)
        statement.bindInteger(3, *titles.row);
}

} // namespace store
