#include "store/name_lookup.h"

#include "platform/database.h"
#include "store/schema.h"

using namespace schema;

namespace catalogue {

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

QString categoryCondition(SqliteDatabase& db, const QString& category)
{
    auto exact = db.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2 LIMIT 1")
                                .arg(kTitleTable, exactMatch(kCategoryName, 1)));
    exact.bind(1, category);
    if (exact.step())
        return exactMatch(kCategoryName, 1);
    return QStringLiteral("ruled_fold(%1) = ruled_fold(?1)").arg(kCategoryName);
}

QString rowParameter(int index)
{
    return QStringLiteral("CAST(?%1 AS INTEGER)").arg(index);
}

QString categoryRowCondition(SqliteDatabase& db, qint64 categoryRow)
{
    const QString stored = QStringLiteral("(SELECT %1 FROM %2 WHERE rowid = %3)")
                               .arg(kCategoryName, kCategoryTable, rowParameter(1));
    // Compared as stored, so bytes that are not UTF-8 still select their own
    // titles; the first comparison lets the engine use the category index.
    const QString exact =
        QStringLiteral("%1 = %2 AND %1 = %2 COLLATE BINARY").arg(kCategoryName, stored);
    auto probe =
        db.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2 LIMIT 1").arg(kTitleTable, exact));
    probe.bind(1, QString::number(categoryRow));
    if (probe.step())
        return exact;
    return QStringLiteral("ruled_fold(%1) = ruled_fold(%2)").arg(kCategoryName, stored);
}

} // namespace catalogue
