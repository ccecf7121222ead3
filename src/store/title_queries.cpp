#include "store/title_queries.h"

#include <algorithm>
#include <vector>

#include "store/catalogue_db.h"
#include "store/name_lookup.h"
#include "store/name_order.h"
#include "store/pg_catalogue.h"
#include "store/schema.h"
#include "store/sqlite_database.h"

using namespace store::schema;

namespace store
{

// Sorted in memory rather than by ORDER BY on the key function: the engine's
// sorter over 40,000 key blobs costs more than computing the keys and
// sorting them here.
QList<NamedRow> inJapaneseOrder(QList<NamedRow> rows)
{
    struct Keyed {
        QByteArray key;
        NamedRow row;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(std::size_t(rows.size()));
    for (NamedRow& row : rows) {
        QByteArray key = japaneseSortKey(row.name);
        keyed.push_back({std::move(key), std::move(row)});
    }
    std::sort(keyed.begin(), keyed.end(),
              [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
    rows.clear();
    for (Keyed& entry : keyed)
        rows.append(std::move(entry.row));
    return rows;
}

namespace
{

QStringList namesOf(const QList<NamedRow>& rows)
{
    QStringList names;
    names.reserve(rows.size());
    for (const NamedRow& row : rows)
        names.append(row.name);
    return names;
}

QList<NamedRow> unsortedRows(SqliteStatement& query)
{
    QList<NamedRow> rows;
    while (query.step())
        rows.append(NamedRow{query.text(0).toLongLong(), query.text(1)});
    return rows;
}

QList<NamedRow> selectRows(SqliteDatabase& db, const CategoryTitles& category, const QString& bound)
{
    auto query = db.prepare(QStringLiteral("SELECT rowid, %1 FROM %2 WHERE %3")
                                .arg(kTitleName, kTitleTable, category.condition));
    query.bind(1, bound);
    bindCategoryTitles(query, category);
    return inJapaneseOrder(unsortedRows(query));
}

QList<NamedRow> searchRows(SqliteDatabase& db, const CategoryTitles& category, const QString& bound,
                           const QString& searchText)
{
    auto query = db.prepare(QStringLiteral("SELECT rowid, %1 FROM %2 WHERE %3 AND jetlike(?2, %1)")
                                .arg(kTitleName, kTitleTable, category.condition));
    query.bind(1, bound);
    query.bind(2, QLatin1Char('*') + searchText + QLatin1Char('*'));
    bindCategoryTitles(query, category);
    return unsortedRows(query);
}

} // namespace

QList<NamedRow> listTitleRows(SqliteDatabase& db, const QString& category)
{
    if (PgCatalogue* server = db.server())
        return server::listTitleRows(*server, category);
    return selectRows(db, titlesOfCategory(db, category), category);
}

QList<NamedRow> listTitleRowsOfCategoryRow(SqliteDatabase& db, qint64 categoryRow)
{
    if (PgCatalogue* server = db.server())
        return server::listTitleRowsOfCategoryRow(*server, categoryRow);
    const QString row = QString::number(categoryRow);
    return selectRows(db, titlesOfCategoryRow(db, categoryRow), row);
}

QList<NamedRow> searchTitleRows(SqliteDatabase& db, const QString& category,
                                const QString& searchText)
{
    if (PgCatalogue* server = db.server())
        return server::searchTitleRows(*server, category, searchText);
    return searchRows(db, titlesOfCategory(db, category), category, searchText);
}

QList<NamedRow> searchTitleRowsOfCategoryRow(SqliteDatabase& db, qint64 categoryRow,
                                             const QString& searchText)
{
    if (PgCatalogue* server = db.server())
        return server::searchTitleRowsOfCategoryRow(*server, categoryRow, searchText);
    return searchRows(db, titlesOfCategoryRow(db, categoryRow), QString::number(categoryRow),
                      searchText);
}

QStringList listTitles(SqliteDatabase& db, const QString& category)
{
    return namesOf(listTitleRows(db, category));
}

QStringList searchTitles(SqliteDatabase& db, const QString& category, const QString& searchText)
{
    return namesOf(searchTitleRows(db, category, searchText));
}

std::optional<TitleRecord> readTitle(SqliteDatabase& db, const QString& name)
{
    if (PgCatalogue* server = db.server())
        return server::readTitle(*server, name);
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

namespace
{

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

// The category a title is filed under: the spelling of the category row the
// typed category (at ?typed) selects, whose row is bound at ?row, so that no
// new spellings of one category arise; the typed text where it selects none.
QString storedCategory(int typed, int row)
{
    return QStringLiteral("COALESCE((SELECT %1 FROM %2 WHERE rowid = ?%3), ?%4)")
        .arg(kCategoryName, kCategoryTable)
        .arg(row)
        .arg(typed);
}

// Binds the row the category selects; left unbound (NULL) it selects none.
void bindSelectedCategory(SqliteDatabase& db, SqliteStatement& statement, int index,
                          const QString& category)
{
    if (const auto row = selectedCategoryRow(db, category))
        statement.bindInteger(index, *row);
}

} // namespace

void insertTitle(SqliteDatabase& db, const TitleRecord& title)
{
    if (PgCatalogue* server = db.server())
        return server::insertTitle(*server, title);
    db.transaction([&] {
        if (storedSpelling(db, kTitleTable, kTitleName, title.name))
            throw DuplicateName("title exists");
        auto insert =
            db.prepare(QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5, %6, %7, %8) "
                                      "VALUES (?1, ?2, ?3, ?4, %9, ?6, ?7)")
                           .arg(kTitleTable, kTitleName, kDescription, kThumbnailPath, kLinkTargets,
                                kCategoryName, kWorkingFolder, kLaunchOptions)
                           .arg(storedCategory(5, 8)));
        bindColumns(insert, title);
        bindSelectedCategory(db, insert, 8, title.category);
        insert.step();
    });
}

bool titleExists(SqliteDatabase& db, const QString& name)
{
    if (PgCatalogue* server = db.server())
        return server::titleExists(*server, name);
    return storedSpelling(db, kTitleTable, kTitleName, name).has_value();
}

bool updateTitle(SqliteDatabase& db, const TitleRecord& title)
{
    if (PgCatalogue* server = db.server())
        return server::updateTitle(*server, title);
    bool updated = false;
    db.transaction([&] {
        const auto stored = storedSpelling(db, kTitleTable, kTitleName, title.name);
        if (!stored)
            return;
        // The name is written back as well: a title found under the rule
        // takes the spelling the editor shows, as every other field does.
        auto update = db.prepare(QStringLiteral("UPDATE %1 SET %2 = ?1, %3 = ?2, %4 = ?3, "
                                                "%5 = ?4, %6 = %10, %7 = ?6, %8 = ?7 WHERE %9")
                                     .arg(kTitleTable, kTitleName, kDescription, kThumbnailPath,
                                          kLinkTargets, kCategoryName, kWorkingFolder,
                                          kLaunchOptions, exactMatch(kTitleName, 8))
                                     .arg(storedCategory(5, 9)));
        bindColumns(update, title).bind(8, *stored);
        bindSelectedCategory(db, update, 9, title.category);
        update.step();
        updated = db.changes() > 0;
    });
    return updated;
}

bool deleteTitle(SqliteDatabase& db, const QString& name)
{
    if (PgCatalogue* server = db.server())
        return server::deleteTitle(*server, name);
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

// ---- By row ------------------------------------------------------------------

namespace
{

// The seven columns in TitleRecord order as bindColumns() binds them.
const QString* const kColumns[] = {&kTitleName,    &kDescription,   &kThumbnailPath, &kLinkTargets,
                                   &kCategoryName, &kWorkingFolder, &kLaunchOptions};

const QString& fieldOf(const TitleRecord& title, int column)
{
    const QString* const fields[] = {&title.name,         &title.description, &title.thumbnailPath,
                                     &title.linkTargets,  &title.category,    &title.workingFolder,
                                     &title.launchOptions};
    return *fields[column];
}

// Each column's type and stored bytes: a NULL, an empty text and a text that
// reads the same only after its bytes were repaired all differ here.
QString stampExpression()
{
    QStringList parts;
    for (const QString* column : kColumns)
        parts.append(QStringLiteral("typeof(%1) || ':' || hex(%1)").arg(*column));
    return parts.join(QStringLiteral(" || '|' || "));
}

std::optional<StoredTitle> readStored(SqliteDatabase& db, const QString& condition,
                                      const QString& bound)
{
    auto query =
        db.prepare(QStringLiteral("SELECT rowid, %1, %2, %3, %4, %5, %6, %7, %8 FROM %9 "
                                  "WHERE %10")
                       .arg(kTitleName, kDescription, kThumbnailPath, kLinkTargets, kCategoryName,
                            kWorkingFolder, kLaunchOptions, stampExpression(), kTitleTable)
                       .arg(condition));
    query.bind(1, bound);
    if (!query.step())
        return std::nullopt;
    StoredTitle stored;
    stored.row = query.text(0).toLongLong();
    stored.record = TitleRecord{query.text(1), query.text(2), query.text(3), query.text(4),
                                query.text(6), query.text(7), query.text(5)};
    stored.stamp = query.text(8);
    return stored;
}

std::optional<QString> stampOfRow(SqliteDatabase& db, qint64 row)
{
    auto query = db.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = %3")
                                .arg(stampExpression(), kTitleTable, rowParameter(1)));
    query.bind(1, QString::number(row));
    if (!query.step())
        return std::nullopt;
    return query.text(0);
}

// The write of updateTitleByRow(), inside the caller's transaction.
bool rewriteRow(SqliteDatabase& db, qint64 row, const TitleRecord& title)
{
    const auto current =
        readStored(db, QStringLiteral("rowid = %1").arg(rowParameter(1)), QString::number(row));
    if (!current)
        return false;
    if (title.name != current->record.name) {
        auto taken = db.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE rowid <> %2 AND "
                                               "ruled_fold(%3) = ruled_fold(?2) LIMIT 1")
                                    .arg(kTitleTable, rowParameter(1), kTitleName));
        taken.bind(1, QString::number(row)).bind(2, title.name);
        if (taken.step())
            throw DuplicateName("title exists");
    }
    QStringList assignments;
    QStringList values;
    const std::optional<qint64> categoryRow = selectedCategoryRow(db, title.category);
    if (categoryRow)
        assignments.append(QStringLiteral("%1 = (SELECT %1 FROM %2 WHERE rowid = ?2)")
                               .arg(kCategoryName, kCategoryTable));
    for (int column = 0; column < 7; ++column) {
        if (fieldOf(title, column) == fieldOf(current->record, column) ||
            (categoryRow && kColumns[column] == &kCategoryName))
            continue;
        values.append(fieldOf(title, column));
        assignments.append(
            QStringLiteral("%1 = ?%2").arg(*kColumns[column]).arg(values.size() + 2));
    }
    if (assignments.isEmpty())
        return true;
    auto update =
        db.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = %3")
                       .arg(kTitleTable, assignments.join(QStringLiteral(", ")), rowParameter(1)));
    update.bind(1, QString::number(row));
    if (categoryRow)
        update.bindInteger(2, *categoryRow);
    for (qsizetype i = 0; i < values.size(); ++i)
        update.bind(int(i + 3), values[i]);
    update.step();
    return true;
}

bool removeRow(SqliteDatabase& db, qint64 row)
{
    db.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = %2").arg(kTitleTable, rowParameter(1)))
        .bind(1, QString::number(row))
        .step();
    return db.changes() > 0;
}

} // namespace

std::optional<StoredTitle> readTitleByRow(SqliteDatabase& db, qint64 row)
{
    if (PgCatalogue* server = db.server())
        return server::readTitleByRow(*server, row);
    return readStored(db, QStringLiteral("rowid = %1").arg(rowParameter(1)), QString::number(row));
}

std::optional<StoredTitle> readStoredTitle(SqliteDatabase& db, const QString& name)
{
    if (PgCatalogue* server = db.server())
        return server::readStoredTitle(*server, name);
    const auto stored = storedSpelling(db, kTitleTable, kTitleName, name);
    if (!stored)
        return std::nullopt;
    return readStored(db, exactMatch(kTitleName, 1), *stored);
}

bool updateTitleByRow(SqliteDatabase& db, qint64 row, const TitleRecord& title)
{
    if (PgCatalogue* server = db.server())
        return server::updateTitleByRow(*server, row, title);
    bool updated = false;
    db.transaction([&] { updated = rewriteRow(db, row, title); });
    return updated;
}

bool deleteTitleByRow(SqliteDatabase& db, qint64 row)
{
    if (PgCatalogue* server = db.server())
        return server::deleteTitleByRow(*server, row);
    bool deleted = false;
    db.transaction([&] { deleted = removeRow(db, row); });
    return deleted;
}

namespace
{

// Runs write on the row inside one transaction, only while the row still
// holds byte for byte what was read.
template <typename Write>
WriteOutcome writeIfUnchanged(SqliteDatabase& db, const StoredTitle& asRead, Write write)
{
    WriteOutcome outcome = WriteOutcome::Missing;
    db.transaction([&] {
        const auto stamp = stampOfRow(db, asRead.row);
        if (!stamp)
            return;
        if (*stamp != asRead.stamp) {
            outcome = WriteOutcome::ChangedSinceRead;
            return;
        }
        write();
        outcome = WriteOutcome::Done;
    });
    return outcome;
}

} // namespace

WriteOutcome updateTitleIfUnchanged(SqliteDatabase& db, const StoredTitle& asRead,
                                    const TitleRecord& title, StoredTitle* written)
{
    if (PgCatalogue* server = db.server())
        return server::updateTitleIfUnchanged(*server, asRead, title, written);
    return writeIfUnchanged(db, asRead, [&] {
        rewriteRow(db, asRead.row, title);
        // Read before the commit: once it is committed another connection may
        // write the row, and taking that as what this write left would let the
        // next write overwrite it unseen.
        if (written)
            *written = *readTitleByRow(db, asRead.row);
    });
}

WriteOutcome deleteTitleIfUnchanged(SqliteDatabase& db, const StoredTitle& asRead)
{
    if (PgCatalogue* server = db.server())
        return server::deleteTitleIfUnchanged(*server, asRead);
    return writeIfUnchanged(db, asRead, [&] { removeRow(db, asRead.row); });
}

QList<StoredTitle> readAllTitles(SqliteDatabase& db)
{
    if (PgCatalogue* server = db.server())
        return server::readAllTitles(*server);
    auto query =
        db.prepare(QStringLiteral("SELECT rowid, %1, %2, %3, %4, %5, %6, %7, %8 FROM %9 "
                                  "ORDER BY rowid")
                       .arg(kTitleName, kDescription, kThumbnailPath, kLinkTargets, kCategoryName,
                            kWorkingFolder, kLaunchOptions, stampExpression(), kTitleTable));
    QList<StoredTitle> titles;
    while (query.step()) {
        StoredTitle stored;
        stored.row = query.text(0).toLongLong();
        stored.record = TitleRecord{query.text(1), query.text(2), query.text(3), query.text(4),
                                    query.text(6), query.text(7), query.text(5)};
        stored.stamp = query.text(8);
        titles.append(std::move(stored));
    }
    return titles;
}

QList<qint64> rewriteTitlesIfUnchanged(SqliteDatabase& db, const QList<TitleRewrite>& rewrites)
{
    if (PgCatalogue* server = db.server())
        return server::rewriteTitlesIfUnchanged(*server, rewrites);
    QList<qint64> written;
    db.transaction([&] {
        written.clear();
        for (const TitleRewrite& rewrite : rewrites) {
            const auto stamp = stampOfRow(db, rewrite.asRead.row);
            if (!stamp || *stamp != rewrite.asRead.stamp)
                continue;
            if (rewriteRow(db, rewrite.asRead.row, rewrite.title))
                written.append(rewrite.asRead.row);
        }
    });
    return written;
}

} // namespace store
