#include "store/search_all.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "store/name_order.h"
#include "store/pg_catalogue.h"
#include "store/schema.h"
#include "store/sqlite_database.h"
#include "store/text_fold.h"

using namespace store::schema;

namespace store
{

namespace
{

struct CategoryRow {
    qint64 row;
    QString name;
    QString folded;
};

// The category rows in the list's order, each folded once.
std::vector<CategoryRow> categoryRows(SqliteDatabase& db)
{
    auto query =
        db.prepare(QStringLiteral("SELECT rowid, %1 FROM %2").arg(kCategoryName, kCategoryTable));
    std::vector<CategoryRow> rows;
    while (query.step()) {
        QString name = query.text(1);
        QString folded = foldForComparison(name);
        rows.push_back({query.integer(0), std::move(name), std::move(folded)});
    }
    return rows;
}

// Where a title's category text is listed: the row spelled exactly so, else
// the first row in the list's order that compares the same, as a category
// row selects its titles; where none does, the text itself.
struct Owner {
    std::optional<qint64> row;
    QString name;
    QByteArray key;
};

Owner ownerOf(const std::vector<CategoryRow>& rows, const QString& category)
{
    const CategoryRow* owner = nullptr;
    for (const CategoryRow& row : rows) {
        if (row.name == category) {
            owner = &row;
            break;
        }
    }
    if (!owner) {
        const QString folded = foldForComparison(category);
        for (const CategoryRow& row : rows) {
            if (row.folded == folded) {
                owner = &row;
                break;
            }
        }
    }
    Owner found;
    if (owner) {
        found.row = owner->row;
        found.name = owner->name;
    } else {
        found.name = category;
    }
    found.key = japaneseSortKey(found.name);
    return found;
}

} // namespace

QList<FoundTitle> searchAllTitles(SqliteDatabase& db, const QString& searchText)
{
    if (PgCatalogue* server = db.server())
        return server::searchAllTitles(*server, searchText);
    // The same pattern the category search builds, tried on the name first:
    // the description is only matched for titles whose name does not hold it.
    auto query = db.prepare(
        QStringLiteral("SELECT rowid, %1, %2 FROM %3 WHERE jetlike(?1, %1) OR jetlike(?1, %4)")
            .arg(kTitleName, kCategoryName, kTitleTable, kDescription));
    query.bind(1, QLatin1Char('*') + searchText + QLatin1Char('*'));

    // A catalogue has few categories and each is looked up once, however
    // many of its titles are found.
    const std::vector<CategoryRow> rows = categoryRows(db);
    // Each category's hits gather in a list of their own, in the engine's
    // order; the lists are then joined in Japanese order of the categories,
    // each keyed once. Keying every title's name as well would cost several
    // times the query itself when the text finds most of a large catalogue.
    std::unordered_map<QString, std::size_t> listOf;
    std::vector<Owner> owners;
    std::vector<QList<FoundTitle>> lists;
    qsizetype total = 0;
    while (query.step()) {
        const QString category = query.text(2);
        auto known = listOf.find(category);
        if (known == listOf.end()) {
            // Spellings of one category share its list, so its titles keep
            // the engine's order whichever spelling they were filed under.
            Owner owner = ownerOf(rows, category);
            std::size_t list = 0;
            while (list < owners.size() &&
                   (owners[list].row != owner.row || owners[list].name != owner.name))
                ++list;
            if (list == owners.size()) {
                owners.push_back(std::move(owner));
                lists.emplace_back();
            }
            known = listOf.emplace(category, list).first;
        }
        const Owner& owner = owners[known->second];
        lists[known->second].append(
            FoundTitle{query.integer(0), query.text(1), owner.row, owner.name});
        ++total;
    }
    std::vector<std::size_t> order(owners.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return owners[a].key < owners[b].key; });
    QList<FoundTitle> titles;
    titles.reserve(total);
    for (std::size_t i : order)
        titles.append(std::move(lists[i]));
    return titles;
}

} // namespace store
