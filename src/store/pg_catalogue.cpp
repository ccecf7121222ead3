#include "store/pg_catalogue.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "store/catalogue_db.h"
#include "store/jet_pattern.h"
#include "store/name_order.h"
#include "store/schema.h"
#include "store/text_fold.h"

using namespace store::schema;

namespace
{

// The key columns beside the names, and the tables only the server has.
const QString kNameKey = QStringLiteral("name_key");
const QString kCategoryKey = QStringLiteral("category_key");
const QString& kMemoTable = kServerMemoTable;
const QString kVersionTable = QStringLiteral("quilmo_schema");

QString key(const QString& name)
{
    return foldForComparison(name);
}

QStringList tablesOf(PgConnection& connection)
{
    // Tables, views and foreign tables of the schema, as information_schema
    // lists them, read from the catalogue directly, which is quicker.
    PgResult result = connection.exec(QStringLiteral(
        "SELECT relname FROM pg_class WHERE relnamespace = (SELECT oid FROM pg_namespace WHERE "
        "nspname = current_schema()) AND relkind IN ('r', 'p', 'v', 'm', 'f')"));
    QStringList tables;
    for (int i = 0; i < result.rows(); ++i)
        tables.append(result.text(i, 0));
    return tables;
}

void createTables(PgConnection& connection)
{
    connection.exec(QStringLiteral("CREATE TABLE %1 (id bigint GENERATED ALWAYS AS IDENTITY "
                                   "PRIMARY KEY, %2 text NOT NULL, %3 text NOT NULL UNIQUE)")
                        .arg(kCategoryTable, kCategoryName, kNameKey));
    connection.exec(QStringLiteral("CREATE TABLE %1 (id bigint GENERATED ALWAYS AS IDENTITY "
                                   "PRIMARY KEY, %2 text NOT NULL, %3 text, %4 text, %5 text, "
                                   "%6 text, %7 text, %8 text, %9 text NOT NULL UNIQUE, ")
                        .arg(kTitleTable, kTitleName, kDescription, kThumbnailPath, kLinkTargets,
                             kCategoryName, kWorkingFolder, kLaunchOptions, kNameKey) +
                    QStringLiteral("%1 text NOT NULL)").arg(kCategoryKey));
    connection.exec(QStringLiteral("CREATE INDEX %1_%2 ON %1 (%2)").arg(kTitleTable, kCategoryKey));
    connection.exec(QStringLiteral("CREATE TABLE %1 (%2 text PRIMARY KEY, %3 text)")
                        .arg(kOptionTable, kOptionName, kOptionValue));
    connection.exec(
        QStringLiteral("CREATE TABLE %1 (title_key text PRIMARY KEY, png bytea NOT NULL)")
            .arg(kMemoTable));
    connection.exec(
        QStringLiteral("CREATE TABLE %1 (version integer NOT NULL)").arg(kVersionTable));
    connection.exec(QStringLiteral("INSERT INTO %1 VALUES ($1)").arg(kVersionTable),
                    {PgValue::integer(PgCatalogue::kSchemaVersion)});
    connection.exec(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES ($1, '1')")
                        .arg(kOptionTable, kOptionName, kOptionValue),
                    {PgValue::text(kMemoryOption)});
}

QStringList catalogueTables()
{
    QStringList tables{kCategoryTable, kTitleTable, kOptionTable, kMemoTable, kVersionTable};
    std::sort(tables.begin(), tables.end(),
              [](const QString& a, const QString& b) { return a.toUtf8() < b.toUtf8(); });
    return tables;
}

// Makes sure the database holds a catalogue of this version, creating it in
// an empty one. Two programs meeting the same empty database at once take
// turns on a lock, so only one creates it. Looked at on every connection: a
// database emptied or replaced meanwhile is never written as a catalogue.
void ensureCatalogue(PgConnection& connection)
{
    QStringList tables = tablesOf(connection);
    if (tables.isEmpty()) {
        connection.transaction([&] {
            connection.exec(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext('quilmo'))"));
            tables = tablesOf(connection);
            if (tables.isEmpty())
                createTables(connection);
        });
        if (tables.isEmpty())
            return;
    }
    std::sort(tables.begin(), tables.end(),
              [](const QString& a, const QString& b) { return a.toUtf8() < b.toUtf8(); });
    if (tables != catalogueTables())
        throw ForeignDatabase("the database holds tables that are not a catalogue");
    const PgResult version =
        connection.exec(QStringLiteral("SELECT max(version) FROM %1").arg(kVersionTable));
    if (version.rows() != 1 || version.integer(0, 0) != PgCatalogue::kSchemaVersion)
        throw ForeignDatabase("the catalogue on the server is of another version");
}

} // namespace

QStringList serverTables(PgConnection& connection)
{
    return tablesOf(connection);
}

void createServerCatalogue(PgConnection& connection)
{
    createTables(connection);
}

PgCatalogue::PgCatalogue(const QString& conninfo)
{
    // One connection a thread: the window's operations run one after the
    // other, and a test's or a tool's threads each have their own.
    thread_local QString lastConninfo;
    thread_local std::shared_ptr<PgConnection> last;
    if (last && lastConninfo == conninfo && last.use_count() == 1 && last->isIdle()) {
        m_connection = last;
    } else {
        last.reset();
        m_connection = std::make_shared<PgConnection>(conninfo);
        last = m_connection;
        lastConninfo = conninfo;
    }
    // Looked at on every operation, a connection taken over too: the
    // database may have been emptied or replaced since.
    ensureCatalogue(*m_connection);
}

namespace store::server
{

namespace
{

const QString kTitleColumns = QStringLiteral("%1, %2, %3, %4, %5, %6, %7")
                                  .arg(kTitleName, kDescription, kThumbnailPath, kLinkTargets,
                                       kCategoryName, kWorkingFolder, kLaunchOptions);

// SQLite's NOCASE order: ASCII letters folded, then the bytes.
QByteArray nocase(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    for (char& c : bytes)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return bytes;
}

QList<NamedRow> japaneseOrder(const PgResult& result)
{
    QList<NamedRow> rows;
    rows.reserve(result.rows());
    for (int i = 0; i < result.rows(); ++i)
        rows.append(NamedRow{result.integer(i, 0), result.text(i, 1)});
    return inJapaneseOrder(std::move(rows));
}

// The titles of a category key, each with its row, name and category.
PgResult titlesOfKey(PgCatalogue& db, const QString& condition, const PgValue& bound)
{
    return db.connection().exec(
        QStringLiteral("SELECT id, %1, %2 FROM %3 WHERE %4 = %5")
            .arg(kTitleName, kCategoryName, kTitleTable, kCategoryKey, condition),
        {bound});
}

const QString kKeyOfCategoryRow = QStringLiteral("(SELECT name_key FROM カテゴリ WHERE id = $1)");

// The search pattern of a search text, compiled once for every candidate;
// throws DbError for a malformed one, as the file's query does.
JetPattern searchPattern(const QString& searchText)
{
    const auto pattern = JetPattern::compile(QLatin1Char('*') + searchText + QLatin1Char('*'));
    if (!pattern)
        throw DbError("malformed pattern");
    return *pattern;
}

bool matches(const JetPattern& pattern, const PgResult& result, int row, int column)
{
    return !result.isNull(row, column) &&
           pattern.matchesFolded(foldForComparisonUcs4(result.text(row, column)));
}

// The titles of a category (by the key condition) that may match: those
// whose folded name holds the pattern's longest plain run, which every
// match holds, so that the server sends only those; the pattern itself
// decides in the program.
PgResult candidateTitles(PgCatalogue& db, const QString& condition, const PgValue& bound,
                         const JetPattern& pattern)
{
    const QString literal = fromCodePoints(pattern.longestLiteral());
    if (literal.isEmpty() || literal.contains(QChar(0)))
        return titlesOfKey(db, condition, bound);
    return db.connection().exec(
        QStringLiteral("SELECT id, %1, %2 FROM %3 WHERE %4 = %5 AND strpos(%6, $2) > 0")
            .arg(kTitleName, kCategoryName, kTitleTable, kCategoryKey, condition, kNameKey),
        {bound, PgValue::text(literal)});
}

// The hits in the order the file's index gives them: by category, then by
// name, each compared as SQLite's NOCASE does, then by row.
QList<NamedRow> matching(const PgResult& result, const JetPattern& pattern)
{
    struct Hit {
        QByteArray category;
        QByteArray name;
        NamedRow row;
    };
    std::vector<Hit> hits;
    for (int i = 0; i < result.rows(); ++i) {
        if (!matches(pattern, result, i, 1))
            continue;
        const QString name = result.text(i, 1);
        hits.push_back({nocase(result.text(i, 2)), nocase(name), {result.integer(i, 0), name}});
    }
    std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
        if (a.category != b.category)
            return a.category < b.category;
        if (a.name != b.name)
            return a.name < b.name;
        return a.row.row < b.row.row;
    });
    QList<NamedRow> rows;
    for (Hit& hit : hits)
        rows.append(std::move(hit.row));
    return rows;
}

// The stamp of a row's seven columns as read: NULL and every text differ.
QString stampOf(const PgResult& result, int row, int firstColumn)
{
    QStringList parts;
    for (int column = firstColumn; column < firstColumn + 7; ++column)
        parts.append(result.isNull(row, column)
                         ? QStringLiteral("null")
                         : QStringLiteral("text:") +
                               QString::fromLatin1(result.bytes(row, column).toHex()));
    return parts.join(QLatin1Char('|'));
}

StoredTitle storedAt(const PgResult& result, int row)
{
    StoredTitle stored;
    stored.row = result.integer(row, 0);
    stored.record = TitleRecord{result.text(row, 1), result.text(row, 2), result.text(row, 3),
                                result.text(row, 4), result.text(row, 6), result.text(row, 7),
                                result.text(row, 5)};
    stored.stamp = stampOf(result, row, 1);
    return stored;
}

std::optional<StoredTitle> readStored(PgCatalogue& db, const QString& condition,
                                      const PgValue& bound, bool lock = false)
{
    PgResult result =
        db.connection().exec(QStringLiteral("SELECT id, %1 FROM %2 WHERE %3%4")
                                 .arg(kTitleColumns, kTitleTable, condition,
                                      lock ? QStringLiteral(" FOR UPDATE") : QString()),
                             {bound});
    if (result.rows() == 0)
        return std::nullopt;
    return storedAt(result, 0);
}

// The category a title is filed under: the spelling of the category row its
// typed category selects, or the typed text where it selects none.
// The typed text is at $5, its key at $9, as valuesOf() gives them.
QString storedCategory()
{
    return QStringLiteral("COALESCE((SELECT %1 FROM %2 WHERE %3 = $9), $5)")
        .arg(kCategoryName, kCategoryTable, kNameKey);
}

// The nine values of a title's columns and keys: the seven columns, the
// name's key, the category's key.
std::vector<PgValue> valuesOf(const TitleRecord& title)
{
    return {PgValue::text(title.name),          PgValue::text(title.description),
            PgValue::text(title.thumbnailPath), PgValue::text(title.linkTargets),
            PgValue::text(title.category),      PgValue::text(title.workingFolder),
            PgValue::text(title.launchOptions), PgValue::text(key(title.name)),
            PgValue::text(key(title.category))};
}

// The SET list of an update with the values of valuesOf() at $1..$9.
QString assignments()
{
    return QStringLiteral("%1 = $1, %2 = $2, %3 = $3, %4 = $4, %5 = %6, %7 = $6, %8 = $7, "
                          "%9 = $8, ")
               .arg(kTitleName, kDescription, kThumbnailPath, kLinkTargets, kCategoryName,
                    storedCategory(), kWorkingFolder, kLaunchOptions, kNameKey) +
           QStringLiteral("%1 = $9").arg(kCategoryKey);
}

bool rewriteRow(PgCatalogue& db, qint64 row, const TitleRecord& title)
{
    std::vector<PgValue> values = valuesOf(title);
    values.push_back(PgValue::integer(row));
    try {
        return db.connection()
                   .exec(QStringLiteral("UPDATE %1 SET %2 WHERE id = $10")
                             .arg(kTitleTable, assignments()),
                         values)
                   .changes() > 0;
    } catch (const PgError& error) {
        if (error.isUniqueViolation())
            throw DuplicateName("title exists");
        throw;
    }
}

bool removeRow(PgCatalogue& db, qint64 row)
{
    return db.connection()
               .exec(QStringLiteral("DELETE FROM %1 WHERE id = $1").arg(kTitleTable),
                     {PgValue::integer(row)})
               .changes() > 0;
}

template <typename Write>
WriteOutcome writeIfUnchanged(PgCatalogue& db, const StoredTitle& asRead, Write write)
{
    WriteOutcome outcome = WriteOutcome::Missing;
    db.connection().transaction([&] {
        // The row stays locked until the commit: no other PC writes it
        // between the comparison and this write.
        const auto current =
            readStored(db, QStringLiteral("id = $1"), PgValue::integer(asRead.row), true);
        if (!current)
            return;
        if (current->stamp != asRead.stamp) {
            outcome = WriteOutcome::ChangedSinceRead;
            return;
        }
        write();
        outcome = WriteOutcome::Done;
    });
    return outcome;
}

} // namespace

QList<NamedRow> listTitleRows(PgCatalogue& db, const QString& category)
{
    return japaneseOrder(titlesOfKey(db, QStringLiteral("$1"), PgValue::text(key(category))));
}

QList<NamedRow> listTitleRowsOfCategoryRow(PgCatalogue& db, qint64 categoryRow)
{
    return japaneseOrder(titlesOfKey(db, kKeyOfCategoryRow, PgValue::integer(categoryRow)));
}

QList<NamedRow> searchTitleRows(PgCatalogue& db, const QString& category, const QString& searchText)
{
    const JetPattern pattern = searchPattern(searchText);
    return matching(
        candidateTitles(db, QStringLiteral("$1"), PgValue::text(key(category)), pattern), pattern);
}

QList<NamedRow> searchTitleRowsOfCategoryRow(PgCatalogue& db, qint64 categoryRow,
                                             const QString& searchText)
{
    const JetPattern pattern = searchPattern(searchText);
    return matching(candidateTitles(db, kKeyOfCategoryRow, PgValue::integer(categoryRow), pattern),
                    pattern);
}

std::optional<TitleRecord> readTitle(PgCatalogue& db, const QString& name)
{
    const auto stored = readStoredTitle(db, name);
    if (!stored)
        return std::nullopt;
    return stored->record;
}

void insertTitle(PgCatalogue& db, const TitleRecord& title)
{
    // One statement: of two PCs adding the same name at once, the unique
    // key lets one in and tells the other.
    const PgResult result = db.connection().exec(
        QStringLiteral("INSERT INTO %1 (%2, %3, %4) VALUES ($1, $2, $3, $4, %5, $6, $7, $8, $9) "
                       "ON CONFLICT (%6) DO NOTHING")
            .arg(kTitleTable, kTitleColumns, kNameKey, kCategoryKey, storedCategory(), kNameKey),
        valuesOf(title));
    if (result.changes() == 0)
        throw DuplicateName("title exists");
}

bool titleExists(PgCatalogue& db, const QString& name)
{
    return db.connection()
               .exec(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = $1").arg(kTitleTable, kNameKey),
                     {PgValue::text(key(name))})
               .rows() > 0;
}

bool updateTitle(PgCatalogue& db, const TitleRecord& title)
{
    std::vector<PgValue> values = valuesOf(title);
    values.push_back(PgValue::text(key(title.name)));
    return db.connection()
               .exec(QStringLiteral("UPDATE %1 SET %2 WHERE %3 = $10")
                         .arg(kTitleTable, assignments(), kNameKey),
                     values)
               .changes() > 0;
}

bool deleteTitle(PgCatalogue& db, const QString& name)
{
    return db.connection()
               .exec(QStringLiteral("DELETE FROM %1 WHERE %2 = $1").arg(kTitleTable, kNameKey),
                     {PgValue::text(key(name))})
               .changes() > 0;
}

std::optional<StoredTitle> readTitleByRow(PgCatalogue& db, qint64 row)
{
    return readStored(db, QStringLiteral("id = $1"), PgValue::integer(row));
}

std::optional<StoredTitle> readStoredTitle(PgCatalogue& db, const QString& name)
{
    return readStored(db, kNameKey + QStringLiteral(" = $1"), PgValue::text(key(name)));
}

bool updateTitleByRow(PgCatalogue& db, qint64 row, const TitleRecord& title)
{
    return rewriteRow(db, row, title);
}

bool deleteTitleByRow(PgCatalogue& db, qint64 row)
{
    return removeRow(db, row);
}

WriteOutcome updateTitleIfUnchanged(PgCatalogue& db, const StoredTitle& asRead,
                                    const TitleRecord& title, StoredTitle* written)
{
    return writeIfUnchanged(db, asRead, [&] {
        rewriteRow(db, asRead.row, title);
        // Read before the commit, as the row this write left.
        if (written)
            *written = *readTitleByRow(db, asRead.row);
    });
}

WriteOutcome deleteTitleIfUnchanged(PgCatalogue& db, const StoredTitle& asRead)
{
    return writeIfUnchanged(db, asRead, [&] { removeRow(db, asRead.row); });
}

QList<StoredTitle> readAllTitles(PgCatalogue& db)
{
    const PgResult result = db.connection().exec(
        QStringLiteral("SELECT id, %1 FROM %2 ORDER BY id").arg(kTitleColumns, kTitleTable));
    QList<StoredTitle> titles;
    titles.reserve(result.rows());
    for (int i = 0; i < result.rows(); ++i)
        titles.append(storedAt(result, i));
    return titles;
}

QList<qint64> rewriteTitlesIfUnchanged(PgCatalogue& db, const QList<TitleRewrite>& rewrites)
{
    QList<qint64> written;
    db.connection().transaction([&] {
        written.clear();
        for (const TitleRewrite& rewrite : rewrites) {
            const auto current = readStored(db, QStringLiteral("id = $1"),
                                            PgValue::integer(rewrite.asRead.row), true);
            if (!current || current->stamp != rewrite.asRead.stamp)
                continue;
            if (rewriteRow(db, rewrite.asRead.row, rewrite.title))
                written.append(rewrite.asRead.row);
        }
    });
    return written;
}

// ---- Categories ----------------------------------------------------------------

QList<NamedRow> listCategoryRows(PgCatalogue& db)
{
    // The order the rows were added in, as the file lists them.
    const PgResult result = db.connection().exec(
        QStringLiteral("SELECT id, %1 FROM %2 ORDER BY id").arg(kCategoryName, kCategoryTable));
    QList<NamedRow> rows;
    rows.reserve(result.rows());
    for (int i = 0; i < result.rows(); ++i)
        rows.append(NamedRow{result.integer(i, 0), result.text(i, 1)});
    return rows;
}

void insertCategory(PgCatalogue& db, const QString& name)
{
    if (name.isEmpty())
        throw DbError("empty category name");
    const PgResult result = db.connection().exec(
        QStringLiteral("INSERT INTO %1 (%2, %3) VALUES ($1, $2) ON CONFLICT (%3) DO NOTHING")
            .arg(kCategoryTable, kCategoryName, kNameKey),
        {PgValue::text(name), PgValue::text(key(name))});
    if (result.changes() == 0)
        throw DuplicateName("category exists");
}

bool deleteCategory(PgCatalogue& db, const QString& name)
{
    return db.connection()
               .exec(QStringLiteral("DELETE FROM %1 WHERE %2 = $1").arg(kCategoryTable, kNameKey),
                     {PgValue::text(key(name))})
               .changes() > 0;
}

bool deleteCategoryByRow(PgCatalogue& db, qint64 row)
{
    return db.connection()
               .exec(QStringLiteral("DELETE FROM %1 WHERE id = $1").arg(kCategoryTable),
                     {PgValue::integer(row)})
               .changes() > 0;
}

int deleteTitlesOfCategory(PgCatalogue& db, const QString& name)
{
    return db.connection()
        .exec(QStringLiteral("DELETE FROM %1 WHERE %2 = $1").arg(kTitleTable, kCategoryKey),
              {PgValue::text(key(name))})
        .changes();
}

int deleteTitlesOfCategoryRow(PgCatalogue& db, qint64 categoryRow)
{
    return db.connection()
        .exec(QStringLiteral("DELETE FROM %1 WHERE %2 = %3")
                  .arg(kTitleTable, kCategoryKey, kKeyOfCategoryRow),
              {PgValue::integer(categoryRow)})
        .changes();
}

CategoryDeletion deleteCategoryWithTitles(PgCatalogue& db, const QString& name,
                                          std::optional<qint64> row, DeletionStep& step)
{
    CategoryDeletion deleted;
    db.connection().transaction([&] {
        step = DeletionStep::Titles;
        deleted.titles =
            row ? deleteTitlesOfCategoryRow(db, *row) : deleteTitlesOfCategory(db, name);
        step = DeletionStep::Category;
        deleted.category = row ? deleteCategoryByRow(db, *row) : deleteCategory(db, name);
    });
    return deleted;
}

std::optional<qint64> selectedCategoryRow(PgCatalogue& db, const QString& category)
{
    const PgResult result = db.connection().exec(
        QStringLiteral("SELECT id FROM %1 WHERE %2 = $1").arg(kCategoryTable, kNameKey),
        {PgValue::text(key(category))});
    if (result.rows() == 0)
        return std::nullopt;
    return result.integer(0, 0);
}

// ---- Options -------------------------------------------------------------------

std::optional<QString> readMemoryOption(PgCatalogue& db)
{
    const PgResult result = db.connection().exec(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = $1")
                                                     .arg(kOptionValue, kOptionTable, kOptionName),
                                                 {PgValue::text(kMemoryOption)});
    if (result.rows() == 0)
        return std::nullopt;
    return result.text(0, 0);
}

bool writeMemoryOption(PgCatalogue& db, const QString& value)
{
    return db.connection()
               .exec(QStringLiteral("UPDATE %1 SET %2 = $1 WHERE %3 = $2")
                         .arg(kOptionTable, kOptionValue, kOptionName),
                     {PgValue::text(value), PgValue::text(kMemoryOption)})
               .changes() > 0;
}

// ---- Search over every category ------------------------------------------------

QList<FoundTitle> searchAllTitles(PgCatalogue& db, const QString& searchText)
{
    const PgResult result = db.connection().exec(
        QStringLiteral("SELECT t.id, t.%1, t.%2, t.%3, c.id, c.%3 FROM %4 AS t LEFT JOIN %5 AS c "
                       "ON c.%6 = t.%7 ORDER BY t.id")
            .arg(kTitleName, kDescription, kCategoryName, kTitleTable, kCategoryTable, kNameKey,
                 kCategoryKey));
    const JetPattern pattern = searchPattern(searchText);
    struct Group {
        QByteArray key;
        QList<FoundTitle> titles;
    };
    std::vector<Group> groups;
    // Titles go to their category row, or where none is theirs, to their
    // category as stored.
    std::unordered_map<QString, std::size_t> groupOf;
    for (int i = 0; i < result.rows(); ++i) {
        if (!matches(pattern, result, i, 1) && !matches(pattern, result, i, 2))
            continue;
        const QString name = result.text(i, 1);
        const bool owned = !result.isNull(i, 4);
        const QString category = owned ? result.text(i, 5) : result.text(i, 3);
        const QString groupName =
            owned ? QStringLiteral("row:") + result.text(i, 4) : QStringLiteral("text:") + category;
        auto found = groupOf.find(groupName);
        if (found == groupOf.end()) {
            found = groupOf.emplace(groupName, groups.size()).first;
            groups.push_back({japaneseSortKey(category), {}});
        }
        FoundTitle title{result.integer(i, 0), name, std::nullopt, category};
        if (owned)
            title.categoryRow = result.integer(i, 4);
        groups[found->second].titles.append(std::move(title));
    }
    std::stable_sort(groups.begin(), groups.end(),
                     [](const Group& a, const Group& b) { return a.key < b.key; });
    QList<FoundTitle> titles;
    for (Group& group : groups)
        titles.append(std::move(group.titles));
    return titles;
}

// ---- Drive conversion ----------------------------------------------------------

conversion::ColumnConversion convertStoredColumn(PgCatalogue& db, const QString& column,
                                                 const QString& oldPrefix, const QString& newPrefix)
{
    conversion::ColumnConversion counts;
    PgConnection& connection = db.connection();
    connection.transaction([&] {
        counts = {};
        // Every title is locked as it is read: a PC that edits one meanwhile
        // waits for the commit, and its edit then lands on the converted row
        // rather than being overwritten with the value read here.
        const PgResult result =
            connection.exec(QStringLiteral("SELECT id, %1 FROM %2 ORDER BY id FOR UPDATE")
                                .arg(column, kTitleTable));
        QJsonArray changes;
        int unreadableChanges = 0;
        for (int i = 0; i < result.rows(); ++i) {
            const QByteArray value = result.bytes(i, 1);
            const conversion::StoredConversion converted =
                conversion::convertStoredValue(column, value, oldPrefix, newPrefix);
            if (converted.value)
                ++counts.matched;
            if (converted.value && *converted.value != value) {
                changes.append(
                    QJsonObject{{QStringLiteral("id"), result.integer(i, 0)},
                                {QStringLiteral("value"), QString::fromUtf8(*converted.value)}});
                if (converted.unreadable)
                    ++unreadableChanges;
            } else if (converted.unreadable) {
                ++counts.left;
            }
        }
        if (changes.isEmpty())
            return;
        // One statement for all the rows: a round trip a title would hold
        // the locks for as long as a slow network takes.
        counts.changed =
            connection
                .exec(QStringLiteral(
                          "UPDATE %1 AS t SET %2 = c.value FROM jsonb_to_recordset($1::jsonb) "
                          "AS c(id bigint, value text) WHERE t.id = c.id")
                          .arg(kTitleTable, column),
                      {PgValue::text(QString::fromUtf8(
                          QJsonDocument(changes).toJson(QJsonDocument::Compact)))})
                .changes();
        counts.left += int(changes.size()) - counts.changed + unreadableChanges;
    });
    return counts;
}

} // namespace store::server
