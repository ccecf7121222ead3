#include "store/search_all.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "platform/database.h"
#include "store/schema.h"
#include "store/text_rule.h"

using namespace schema;

namespace catalogue
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
    // The same pattern the category search builds, tried on the name first:
    // the description is only matched for titles whose name does not hold it.
    auto query = db.prepare(
        QStringLiteral("SELECT rowid, %1, %2 FROM %3 WHERE jetlike(?1, %1) OR jetlike(?1, %4)")
            .arg(kTitleName, kCategoryName, kTitleTable, kDescription));
    query.bind(1, QLatin1Char('*') + searchText + QLatin1Char('*'));

    // A catalogue has few categories and each is looked up once, however
    // many of its titles are found.
    const std::vector<CategoryRow> rows = categoryRows(db);
    // Node-based, so the owners the hits point at stay where they are.
    std::unordered_map<QString, Owner> owners;
    struct Listed {
        const Owner* owner;
        FoundTitle title;
    };
    std::vector<Listed> found;
    while (query.step()) {
        const QString category = query.text(2);
        auto owner = owners.find(category);
        if (owner == owners.end())
            owner = owners.emplace(category, ownerOf(rows, category)).first;
        const Owner& listed = owner->second;
        found.push_back(
            {&listed, FoundTitle{query.integer(0), query.text(1), listed.row, listed.name}});
    }
    // The categories in Japanese order, each keyed once; within a category
    // the titles stay in the engine's order, as the narrowing search lists
    // them. Keying every title's name as well would cost several times the
    // query itself when the text finds most of a large catalogue.
    std::stable_sort(found.begin(), found.end(), [](const Listed& a, const Listed& b) {
        return a.owner != b.owner && a.owner->key < b.owner->key;
    });
    QList<FoundTitle> titles;
    titles.reserve(qsizetype(found.size()));
    for (Listed& entry : found)
        titles.append(std::move(entry.title));
    return titles;
}

} // namespace catalogue
