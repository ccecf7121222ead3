#pragma once

#include <optional>

#include <QList>
#include <QString>

class SqliteDatabase;

// A title found by the search over every category.
struct FoundTitle {
    // The title's row, and its name as text.
    qint64 row = 0;
    QString name;
    // The category it is listed under: the category row it belongs to (as
    // titlesOfCategoryRow() in name_lookup.h selects its titles) and that
    // row's spelling, or, where no row is its own, the title's category as
    // stored with no row.
    std::optional<qint64> categoryRow;
    QString category;
    friend bool operator==(const FoundTitle&, const FoundTitle&) = default;
};

namespace store
{

// Every title, in any category, whose name or description contains
// searchText, matched as searchTitles() matches names: the catalogue's LIKE
// language under the comparison rule, so an empty text finds every title.
// Listed by category in Japanese order, and within a category in the
// engine's order, as searchTitles() lists them. Throws DbError on an engine
// failure and on a malformed pattern.
QList<FoundTitle> searchAllTitles(SqliteDatabase& db, const QString& searchText);

} // namespace store
