#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "store/category_queries.h"
#include "store/drive_conversion.h"
#include "store/pg_database.h"
#include "store/search_all.h"
#include "store/title_queries.h"

// A catalogue on a PostgreSQL server. The server holds the same three tables
// as the file, each with an id column in place of SQLite's rowid, and key
// columns holding the folded names (foldForComparison), filled by the program,
// whose unique indexes keep two names that compare the same out even when two
// PCs write at once. The comparison rule, the search patterns and the
// Japanese order run here, in the program, on what the server returns, so the
// lists and searches are the file's.
class PgCatalogue
{
public:
    // The version of the tables this program creates and reads.
    static constexpr int kSchemaVersion = 1;

    // Connects; on an empty database creates the tables with their version.
    // Throws PgError when the server cannot be reached, and
    // ForeignDatabase when the database holds tables that are not a
    // catalogue of this version. The connection of the thread's last
    // operation on the same database is taken over while it still stands,
    // since connecting costs more than most operations; one that was lost
    // is replaced by a new one.
    explicit PgCatalogue(const QString& conninfo);

    PgConnection& connection() { return *m_connection; }

private:
    std::shared_ptr<PgConnection> m_connection;
};

// The server's table of handwritten memos: the title's key (its folded
// name) and the memo's PNG bytes.
inline const QString kServerMemoTable = QStringLiteral("メモ");

// The tables of the database (its current schema), in no order.
QStringList serverTables(PgConnection& connection);
// Creates the catalogue's tables with their version and the 'Memory' option
// row in an empty database, inside the caller's transaction.
void createServerCatalogue(PgConnection& connection);

// A database that holds something other than a catalogue, which the
// program neither uses nor changes.
class ForeignDatabase : public DbError
{
public:
    using DbError::DbError;
};

// The store's operations on a server catalogue; each behaves as its namesake
// in title_queries.h, category_queries.h, option_queries.h and search_all.h.
namespace store::server
{

QList<NamedRow> listTitleRows(PgCatalogue& db, const QString& category);
QList<NamedRow> listTitleRowsOfCategoryRow(PgCatalogue& db, qint64 categoryRow);
QList<NamedRow> searchTitleRows(PgCatalogue& db, const QString& category,
                                const QString& searchText);
QList<NamedRow> searchTitleRowsOfCategoryRow(PgCatalogue& db, qint64 categoryRow,
                                             const QString& searchText);
std::optional<TitleRecord> readTitle(PgCatalogue& db, const QString& name);
void insertTitle(PgCatalogue& db, const TitleRecord& title);
bool titleExists(PgCatalogue& db, const QString& name);
bool updateTitle(PgCatalogue& db, const TitleRecord& title);
bool deleteTitle(PgCatalogue& db, const QString& name);
std::optional<StoredTitle> readTitleByRow(PgCatalogue& db, qint64 row);
std::optional<StoredTitle> readStoredTitle(PgCatalogue& db, const QString& name);
bool updateTitleByRow(PgCatalogue& db, qint64 row, const TitleRecord& title);
bool deleteTitleByRow(PgCatalogue& db, qint64 row);
WriteOutcome updateTitleIfUnchanged(PgCatalogue& db, const StoredTitle& asRead,
                                    const TitleRecord& title, StoredTitle* written);
WriteOutcome deleteTitleIfUnchanged(PgCatalogue& db, const StoredTitle& asRead);
QList<StoredTitle> readAllTitles(PgCatalogue& db);
QList<qint64> rewriteTitlesIfUnchanged(PgCatalogue& db, const QList<TitleRewrite>& rewrites);

QList<NamedRow> listCategoryRows(PgCatalogue& db);
void insertCategory(PgCatalogue& db, const QString& name);
bool deleteCategory(PgCatalogue& db, const QString& name);
bool deleteCategoryByRow(PgCatalogue& db, qint64 row);
int deleteTitlesOfCategory(PgCatalogue& db, const QString& name);
int deleteTitlesOfCategoryRow(PgCatalogue& db, qint64 categoryRow);
CategoryDeletion deleteCategoryWithTitles(PgCatalogue& db, const QString& name,
                                          std::optional<qint64> row, DeletionStep& step);
std::optional<qint64> selectedCategoryRow(PgCatalogue& db, const QString& category);

std::optional<QString> readMemoryOption(PgCatalogue& db);
bool writeMemoryOption(PgCatalogue& db, const QString& value);

QList<FoundTitle> searchAllTitles(PgCatalogue& db, const QString& searchText);

// As store::conversion::convertStoredColumn, for a path column the caller
// has checked.
conversion::ColumnConversion convertStoredColumn(PgCatalogue& db, const QString& column,
                                                 const QString& oldPrefix,
                                                 const QString& newPrefix);

} // namespace store::server
