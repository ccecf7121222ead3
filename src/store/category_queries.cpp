#include "store/category_queries.h"

#include "store/catalogue_db.h"
#include "store/name_lookup.h"
#include "store/schema.h"

using namespace schema;

namespace catalogue
{

QStringList listCategories(SqliteDatabase& db)
{
    auto query = db.prepare(QStringLiteral("SELECT %1 FROM %2").arg(kCategoryName, kCategoryTable));
    QStringList names;
    while (query.step())
        names.append(query.text(0));
    return names;
}

void insertCategory(SqliteDatabase& db, const QString& name)
{
    if (name.isEmpty())
        throw DbError("empty category name");
    db.transaction([&] {
        if (storedSpelling(db, kCategoryTable, kCategoryName, name))
            throw DuplicateName("category exists");
        db.prepare(
              QStringLiteral("INSERT INTO %1 (%2) VALUES (?)").arg(kCategoryTable, kCategoryName))
            .bind(1, name)
            .step();
    });
}

bool deleteCategory(SqliteDatabase& db, const QString& name)
{
    bool deleted = false;
    db.transaction([&] {
        const auto row = selectedCategoryRow(db, name);
        if (!row)
            return;
        db.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(kCategoryTable))
            .bindInteger(1, *row)
            .step();
        deleted = db.changes() > 0;
    });
    return deleted;
}

int deleteTitlesOfCategory(SqliteDatabase& db, const QString& name)
{
    int deleted = 0;
    db.transaction([&] {
        const CategoryTitles titles = titlesOfCategory(db, name);
        auto remove = db.prepare(
            QStringLiteral("DELETE FROM %1 WHERE %2").arg(kTitleTable, titles.condition));
        remove.bind(1, name);
        bindCategoryTitles(remove, titles);
        remove.step();
        deleted = db.changes();
    });
    return deleted;
}

QList<NamedRow> listCategoryRows(SqliteDatabase& db)
{
    auto query =
        db.prepare(QStringLiteral("SELECT rowid, %1 FROM %2").arg(kCategoryName, kCategoryTable));
    QList<NamedRow> rows;
    while (query.step())
        rows.append(NamedRow{query.text(0).toLongLong(), query.text(1)});
    return rows;
}

bool deleteCategoryByRow(SqliteDatabase& db, qint64 row)
{
    bool deleted = false;
    db.transaction([&] {
        db.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = %2")
                       .arg(kCategoryTable, rowParameter(1)))
            .bind(1, QString::number(row))
            .step();
        deleted = db.changes() > 0;
    });
    return deleted;
}

int deleteTitlesOfCategoryRow(SqliteDatabase& db, qint64 categoryRow)
{
    int deleted = 0;
    db.transaction([&] {
        const CategoryTitles titles = titlesOfCategoryRow(db, categoryRow);
        auto remove = db.prepare(
            QStringLiteral("DELETE FROM %1 WHERE %2").arg(kTitleTable, titles.condition));
        remove.bind(1, QString::number(categoryRow));
        bindCategoryTitles(remove, titles);
        remove.step();
        deleted = db.changes();
    });
    return deleted;
}

} // namespace catalogue
