#include "store/title_queries.h"

#include <algorithm>
#include <vector>

#include "platform/database.h"
#include "store/catalogue_db.h"
#include "store/name_lookup.h"
#include "store/schema.h"
#include "store/text_rule.h"

using namespace schema;

namespace catalogue {

namespace {

QStringList readNames(SqliteStatement& query)
{
    QStringList names;
    while (query.step())
        names.append(query.text(0));
    return names;
}

} // namespace

QStringList listTitles(SqliteDatabase& db, const QString& category)
{
    auto query = db.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                                .arg(kTitleName, kTitleTable, categoryCondition(db, category)));
    query.bind(1, category);
    // Sorted here rather than by ORDER BY on the key function: the engine's
    // sorter over 40,000 key blobs costs more than computing the keys and
    // sorting them in memory.
    struct Keyed {
        QByteArray key;
        QString name;
    };
    std::vector<Keyed> keyed;
    while (query.step()) {
        QString name = query.text(0);
        QByteArray key = japaneseSortKey(name);
        keyed.push_back({std::move(key), std::move(name)});
    }
    std::sort(keyed.begin(), keyed.end(),
              [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
    QStringList names;
    names.reserve(qsizetype(keyed.size()));
    for (Keyed& entry : keyed)
        names.append(std::move(entry.name));
    return names;
}

QStringList searchTitles(SqliteDatabase& db, const QString& category, const QString& searchText)
{
    auto query = db.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 AND jetlike(?2, %1)")
                                .arg(kTitleName, kTitleTable, categoryCondition(db, category)));
    query.bind(1, category);
    query.bind(2, QLatin1Char('*') + searchText + QLatin1Char('*'));
    return readNames(query);
}

std::optional<TitleRecord> readTitle(SqliteDatabase& db, const QString& name)
{
    const auto stored = storedSpelling(db, kTitleTable, kTitleName, name);
    if (!stored)
        return std::nullopt;
    auto query =
        db.prepare(QStringLiteral("SELECT %1, %2, %3, %4, %5, %6, %7 FROM %8 WHERE %9")
                       .arg(kTitleName, kDescription, kThumbnailPath, kLinkTargets, kWorkingFolder,
                            kLaunchOptions, kCategoryName, kTitleTable, exactMatch(kTitleName, 1)));
    query.bind(1, *stored);
    if (!query.step())
        return std::nullopt;
    return TitleRecord{query.text(0), query.text(1), query.text(2), query.text(3),
                       query.text(4), query.text(5), query.text(6)};
}

namespace {

// Binds the columns in the order both writes list them, from parameter 1.
SqliteStatement& bindColumns(SqliteStatement& statement, const TitleRecord& title)
{
    return statement.bind(1, title.name)
        .bind(2, title.description)
        .bind(3, title.thumbnailPath)
        .bind(4, title.linkTargets)
        .bind(5, title.category)
        .bind(6, title.workingFolder)
        .bind(7, title.launchOptions);
}

} // namespace

void insertTitle(SqliteDatabase& db, const TitleRecord& title)
{
    db.transaction([&] {
        if (storedSpelling(db, kTitleTable, kTitleName, title.name))
            throw DuplicateName("title exists");
        auto insert =
            db.prepare(QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6, %7, %8) "
                                      "VALUES (?, ?, ?, ?, ?, ?, ?)")
                           .arg(kTitleTable, kTitleName, kDescription, kThumbnailPath, kLinkTargets,
                                kCategoryName, kWorkingFolder, kLaunchOptions));
        bindColumns(insert, title).step();
    });
}

bool titleExists(SqliteDatabase& db, const QString& name)
{
    return storedSpelling(db, kTitleTable, kTitleName, name).has_value();
}

bool updateTitle(SqliteDatabase& db, const TitleRecord& title)
{
    bool updated = false;
    db.transaction([&] {
        const auto stored = storedSpelling(db, kTitleTable, kTitleName, title.name);
        if (!stored)
            return;
        // The name is written back as well: a title found under the rule
        // takes the spelling the editor shows, as every other field does.
        auto update = db.prepare(QStringLiteral("UPDATE %1 SET %2 = ?1, %3 = ?2, %4 = ?3, "
                                                "%5 = ?4, %6 = ?5, %7 = ?6, %8 = ?7 WHERE %9")
                                     .arg(kTitleTable, kTitleName, kDescription, kThumbnailPath,
                                          kLinkTargets, kCategoryName, kWorkingFolder,
                                          kLaunchOptions, exactMatch(kTitleName, 8)));
        bindColumns(update, title).bind(8, *stored).step();
        updated = db.changes() > 0;
    });
    return updated;
}

bool deleteTitle(SqliteDatabase& db, const QString& name)
{
    bool deleted = false;
    db.transaction([&] {
        const auto stored = storedSpelling(db, kTitleTable, kTitleName, name);
        if (!stored)
            return;
        db.prepare(
              QStringLiteral("DELETE FROM %1 WHERE %2").arg(kTitleTable, exactMatch(kTitleName, 1)))
            .bind(1, *stored)
            .step();
        deleted = db.changes() > 0;
    });
    return deleted;
}

} // namespace catalogue
