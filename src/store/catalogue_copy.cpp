#include "store/catalogue_copy.h"

#include <array>
#include <optional>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QUuid>

#include "store/backup.h"
#include "store/catalogue_db.h"
#include "store/pg_catalogue.h"
#include "store/schema.h"
#include "store/text_fold.h"

using namespace store::schema;

namespace store
{

namespace
{

using Value = std::optional<QString>;
using Row = std::vector<Value>;

// A catalogue's whole content as read in one transaction.
struct Content {
    std::vector<Row> categories;                       // the name
    std::vector<Row> titles;                           // the seven columns, in kTitleColumns order
    std::vector<Row> options;                          // name, value
    std::vector<std::pair<QString, QByteArray>> memos; // title name, PNG bytes
};

const QString kTitleColumns = QStringLiteral("%1, %2, %3, %4, %5, %6, %7")
                                  .arg(kTitleName, kDescription, kThumbnailPath, kLinkTargets,
                                       kCategoryName, kWorkingFolder, kLaunchOptions);

QString memoFolderBesideFile(const QString& path)
{
    return backup::memoFolderOf(QFileInfo(path).absolutePath());
}

// The memo file of a title in a memo folder, as the memo editor names it;
// nullopt for a name that cannot be a file there.
std::optional<QString> memoFile(const QString& folder, const QString& title)
{
    if (title.isEmpty() || title.contains(QLatin1Char('/')) || title.contains(QChar(u'\0')))
        return std::nullopt;
    return folder + QLatin1Char('/') + title + QStringLiteral(".ole");
}

std::vector<Row> readFileRows(SqliteDatabase& db, const QString& sql, int columns)
{
    auto query = db.prepare(sql);
    std::vector<Row> rows;
    while (query.step()) {
        Row row;
        for (int column = 0; column < columns; ++column)
            row.push_back(query.isNull(column) ? Value() : Value(query.text(column)));
        rows.push_back(std::move(row));
    }
    return rows;
}

Content readFile(const QString& path)
{
    if (!QFileInfo(path).isFile() || !isCatalogueFile(path))
        throw DbError("the source is not a catalogue file");
    Content content;
    SqliteDatabase db(path);
    db.exec(QStringLiteral("BEGIN"));
    try {
        content.categories = readFileRows(
            db,
            QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(kCategoryName, kCategoryTable),
            1);
        content.titles = readFileRows(
            db, QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(kTitleColumns, kTitleTable),
            7);
        content.options = readFileRows(db,
                                       QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY rowid")
                                           .arg(kOptionName, kOptionValue, kOptionTable),
                                       2);
        db.exec(QStringLiteral("COMMIT"));
    } catch (...) {
        db.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
    const QString folder = memoFolderBesideFile(path);
    for (const Row& title : content.titles) {
        const auto file = memoFile(folder, title[0].value_or(QString()));
        if (!file || !QFileInfo(*file).isFile())
            continue;
        QFile memo(*file);
        if (!memo.open(QIODevice::ReadOnly))
            throw DbError("a memo file cannot be read: " + file->toStdString());
        content.memos.emplace_back(*title[0], memo.readAll());
    }
    return content;
}

std::vector<Row> readServerRows(PgConnection& connection, const QString& sql, int columns)
{
    const PgResult result = connection.exec(sql);
    std::vector<Row> rows;
    rows.reserve(std::size_t(result.rows()));
    for (int i = 0; i < result.rows(); ++i) {
        Row row;
        for (int column = 0; column < columns; ++column)
            row.push_back(result.isNull(i, column) ? Value() : Value(result.text(i, column)));
        rows.push_back(std::move(row));
    }
    return rows;
}

Content readServer(const QString& conninfo)
{
    {
        PgConnection probe(conninfo);
        if (serverTables(probe).isEmpty())
            throw DbError("the source database holds no catalogue");
    }
    PgCatalogue catalogue(conninfo);
    PgConnection& connection = catalogue.connection();
    Content content;
    connection.exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
    content.categories = readServerRows(
        connection,
        QStringLiteral("SELECT %1 FROM %2 ORDER BY id").arg(kCategoryName, kCategoryTable), 1);
    content.titles = readServerRows(
        connection, QStringLiteral("SELECT %1 FROM %2 ORDER BY id").arg(kTitleColumns, kTitleTable),
        7);
    content.options = readServerRows(connection,
                                     QStringLiteral("SELECT %1, %2 FROM %3 ORDER BY %1")
                                         .arg(kOptionName, kOptionValue, kOptionTable),
                                     2);
    const PgResult memos = connection.exec(
        QStringLiteral("SELECT t.%1, encode(m.png, 'base64') FROM %2 AS m JOIN %3 AS t ON "
                       "t.name_key = m.title_key ORDER BY t.id")
            .arg(kTitleName, kServerMemoTable, kTitleTable));
    connection.exec(QStringLiteral("COMMIT"));
    for (int i = 0; i < memos.rows(); ++i)
        content.memos.emplace_back(memos.text(i, 0), QByteArray::fromBase64(memos.bytes(i, 1)));
    return content;
}

void writeServer(const QString& conninfo, const Content& content)
{
    PgConnection connection(conninfo);
    connection.transaction([&] {
        connection.exec(QStringLiteral("SELECT pg_advisory_xact_lock(hashtext('quilmo'))"));
        if (!serverTables(connection).isEmpty())
            throw DbError("the target database is not empty");
        createServerCatalogue(connection);
        connection.exec(QStringLiteral("DELETE FROM %1").arg(kOptionTable));
        std::vector<Row> categories;
        for (const Row& row : content.categories)
            categories.push_back({row[0], foldForComparison(row[0].value_or(QString()))});
        connection.copyIn(
            QStringLiteral("COPY %1 (%2, name_key) FROM STDIN").arg(kCategoryTable, kCategoryName),
            categories);
        std::vector<Row> titles;
        titles.reserve(content.titles.size());
        for (const Row& row : content.titles) {
            Row keyed = row;
            keyed.push_back(foldForComparison(row[0].value_or(QString())));
            keyed.push_back(foldForComparison(row[4].value_or(QString())));
            titles.push_back(std::move(keyed));
        }
        connection.copyIn(QStringLiteral("COPY %1 (%2, name_key, category_key) FROM STDIN")
                              .arg(kTitleTable, kTitleColumns),
                          titles);
        connection.copyIn(QStringLiteral("COPY %1 (%2, %3) FROM STDIN")
                              .arg(kOptionTable, kOptionName, kOptionValue),
                          content.options);
        for (const auto& [title, png] : content.memos)
            connection.exec(QStringLiteral("INSERT INTO %1 (title_key, png) VALUES ($1, $2)")
                                .arg(kServerMemoTable),
                            {PgValue::text(foldForComparison(title)), PgValue::bytes(png)});
    });
}

void insertFileRows(SqliteDatabase& db, const QString& sql, const std::vector<Row>& rows)
{
    auto insert = db.prepare(sql);
    for (const Row& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column)
            if (row[column])
                insert.bind(int(column + 1), *row[column]);
        insert.step();
        insert.reset();
    }
}

void writeFile(const QString& path, const Content& content)
{
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink())
        throw DbError("the target file exists");
    const QString folder = memoFolderBesideFile(path);
    std::vector<std::pair<QString, QByteArray>> memos;
    for (const auto& [title, png] : content.memos) {
        const auto file = memoFile(folder, title);
        if (!file)
            throw DbError("a memo's title cannot name a file: " + title.toStdString());
        if (QFileInfo(*file).exists() || QFileInfo(*file).isSymLink())
            throw DbError("a memo file exists already: " + file->toStdString());
        memos.emplace_back(*file, png);
    }

    const QString staging =
        path + QStringLiteral(".new-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QStringList written;
    const auto undo = [&] {
        for (const QString& file : written)
            QFile::remove(file);
        QFile::remove(staging);
    };
    try {
        if (!createCatalogueIfMissing(staging))
            throw DbError("the target file cannot be created");
        {
            SqliteDatabase db(staging);
            db.transaction([&] {
                db.exec(QStringLiteral("DELETE FROM %1").arg(kOptionTable));
                insertFileRows(db,
                               QStringLiteral("INSERT INTO %1 (%2) VALUES (?)")
                                   .arg(kCategoryTable, kCategoryName),
                               content.categories);
                insertFileRows(db,
                               QStringLiteral("INSERT INTO %1 (%2) VALUES (?, ?, ?, ?, ?, ?, ?)")
                                   .arg(kTitleTable, kTitleColumns),
                               content.titles);
                insertFileRows(db,
                               QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)")
                                   .arg(kOptionTable, kOptionName, kOptionValue),
                               content.options);
            });
        }
        if (!memos.empty() && !QDir().mkpath(folder))
            throw DbError("the memo folder cannot be created");
        for (const auto& [file, png] : memos) {
            QSaveFile memo(file);
            if (!memo.open(QIODevice::WriteOnly) || memo.write(png) != png.size() || !memo.commit())
                throw DbError("a memo file cannot be written: " + file.toStdString());
            written.append(file);
        }
        // Renaming never replaces a file that appeared meanwhile.
        if (!QFile::rename(staging, path))
            throw DbError("the target file cannot take its name");
    } catch (...) {
        undo();
        throw;
    }
}

} // namespace

CopyCounts copyCatalogue(const QString& from, const QString& to)
{
    const Content content = isServerCatalogue(from) ? readServer(from) : readFile(from);
    if (isServerCatalogue(to))
        writeServer(to, content);
    else
        writeFile(to, content);
    return CopyCounts{int(content.categories.size()), int(content.titles.size()),
                      int(content.memos.size())};
}

} // namespace store
