#include "store/category_queries.h"

#include "store/catalogue_db.h"
#include "store/name_lookup.h"
#include "store/pg_catalogue.h"
#include "store/schema.h"

using namespace store::schema;

namespace store
{

namespace
{

// The writes below, each inside the caller's transaction.
bool removeCategory(SqliteDatabase& db, const QString& name)
{
    const auto row = selectedCategoryRow(db, name);
    if (!row)
        return false;
    db.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(kCategoryTable))
        .bindInteger(1, *row)
        .step();
    return db.changes() > 0;
}

bool removeCategoryRow(SqliteDatabase& db, qint64 row)
{
    db.prepare(
          QStringLiteral("DELETE FROM %1 WHERE rowid = %2").arg(kCategoryTable, rowParameter(1)))
        .bind(1, QString::number(row))
        .step();
    return db.changes() > 0;
}

int removeTitles(SqliteDatabase& db, const CategoryTitles& titles, const QString& firstValue)
{
    auto remove =
        db.prepare(QStringLiteral("DELETE FROM %1 WHERE %2").arg(kTitleTable, titles.condition));
    remove.bind(1, firstValue);
    bindCategoryTitles(remove, titles);
    remove.step();
    return db.changes();
}

int removeTitlesOfCategory(SqliteDatabase& db, const QString& name)
{
    return removeTitles(db, titlesOfCategory(db, name), name);
}

int removeTitlesOfCategoryRow(SqliteDatabase& db, qint64 categoryRow)
{
    return removeTitles(db, titlesOfCategoryRow(db, categoryRow), QString::number(categoryRow));
}

} // namespace

QStringList listCategories(SqliteDatabase& db)
{
    if (PgCatalogue* server = db.server()) {
        QStringList names;
        for (const NamedRow& row : server::listCategoryRows(*server))
            names.append(row.name);
        return names;
    }
    auto query = db.prepare(QStringLiteral("SELECT %1 FROM %2").arg(kCategoryName, kCategoryTable));
    QStringList names;
    while (query.step())
        names.append(query.text(0));
    return names;
}

void insertCategory(SqliteDatabase& db, const QString& name)
{
    if (PgCatalogue* server = db.server())
        return server::insertCategory(*server, name);
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
    if (PgCatalogue* server = db.server())
        return server::deleteCategory(*server, name);
    bool deleted = false;
    db.transaction([&] { deleted = removeCategory(db, name); });
    return deleted;
}

int deleteTitlesOfCategory(SqliteDatabase& db, const QString& name)
{
    if (PgCatalogue* server = db.server())
        return server::deleteTitlesOfCategory(*server, name);
    int deleted = 0;
    db.transaction([&] { deleted = removeTitlesOfCategory(db, name); });
    return deleted;
}

QList<NamedRow> listCategoryRows(SqliteDatabase& db)
{
    if (PgCatalogue* server = db.server())
        return server::listCategoryRows(*server);
    auto query =
        db.prepare(QStringLiteral("SELECT rowid, %1 FROM %2").arg(kCategoryName, kCategoryTable));
    QList<NamedRow> rows;
    while (query.step())
        rows.append(NamedRow{query.text(0).toLongLong(), query.text(1)});
    return rows;
}

bool deleteCategoryByRow(SqliteDatabase& db, qint64 row)
{
    if (PgCatalogue* server = db.server())
        return server::deleteCategoryByRow(*server, row);
    bool deleted = false;
    db.transaction([&] { deleted = removeCategoryRow(db, row); });
    return deleted;
}

int deleteTitlesOfCategoryRow(SqliteDatabase& db, qint64 categoryRow)
{
    if (PgCatalogue* server = db.server())
        return server::deleteTitlesOfCategoryRow(*server, categoryRow);
    int deleted = 0;
    db.transaction([&] { deleted = removeTitlesOfCategoryRow(db, categoryRow); });
    return deleted;
}

CategoryDeletion deleteCategoryWithTitles(SqliteDatabase& db, const QString& name,
                                          std::optional<qint64> row, DeletionStep& step)
{
    if (PgCatalogue* server = db.server())
        return server::deleteCategoryWithTitles(*server, name, row, step);
    CategoryDeletion deleted;
    db.transaction([&] {
        step = DeletionStep::Titles;
        deleted.titles =
            row ? removeTitlesOfCategoryRow(db, *row) : removeTitlesOfCategory(db, name);
        step = DeletionStep::Category;
        deleted.category = row ? removeCategoryRow(db, *row) : removeCategory(db, name);
    });
    return deleted;
}

} // namespace store
