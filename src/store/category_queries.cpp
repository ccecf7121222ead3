#include "store/category_queries.h"

#include "store/catalogue_db.h"
#include "store/schema.h"

using namespace schema;

namespace catalogue {

QStringList listCategories(SqliteDatabase& db)
{
    auto query = db.prepare(QStringLiteral("SELECT %1 FROM %2").arg(kCategoryName, kCategoryTable));
    QStringList names;
    while (query.step()) {
        names.append(query.text(0));
        checkListSize(names.size());
    }
    return names;
}

void insertCategory(SqliteDatabase& db, const QString& name)
{
    if (name.isEmpty())
        throw DbError("empty category name");
    db.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (?)").arg(kCategoryTable, kCategoryName))
        .bind(1, name)
        .step();
}

bool deleteCategory(SqliteDatabase& db, const QString& name)
{
    db.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(kCategoryTable, kCategoryName))
        .bind(1, name)
        .step();
    return db.changes() > 0;
}

int deleteTitlesOfCategory(SqliteDatabase& db, const QString& name)
{
    db.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(kTitleTable, kCategoryName))
        .bind(1, name)
        .step();
    return db.changes();
}

} // namespace catalogue
