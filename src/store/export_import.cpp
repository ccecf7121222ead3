#include "store/export_import.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>

#include "store/pg_catalogue.h"
#include "store/schema.h"
#include "store/sqlite_database.h"
#include "store/text_fold.h"

using namespace store::schema;

namespace store::transfer
{

namespace
{

const QString kFormat = QStringLiteral("quilmo-catalogue");
const QString kBase64 = QStringLiteral("base64");
const QString kMemoKey = QStringLiteral("memo");
const QString kMemoSuffix = QStringLiteral(".ole");

// The title columns in CSV order; kColumns[1] is the name.
const QString* const kColumns[7] = {&kCategoryName,  &kTitleName,   &kDescription,
                                    &kThumbnailPath, &kLinkTargets, &kWorkingFolder,
                                    &kLaunchOptions};

bool isUtf8(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// A name for messages: the text where it is UTF-8, else its bytes in hex.
QString shownName(const QByteArray& bytes)
{
    const QString text = isUtf8(bytes)
                             ? QString::fromUtf8(bytes)
                             : QStringLiteral("<%1>").arg(QString::fromLatin1(bytes.toHex(' ')));
    return text.size() > 80 ? text.left(80) + QStringLiteral("…") : text;
}

void appendJsonString(QByteArray& out, const QByteArray& bytes)
{
    out += '"';
    for (const char c : bytes) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

// A stored value: a JSON string where it is UTF-8, else its bytes in base64
// under a marker, so nothing is lost or replaced on the way.
void appendJsonValue(QByteArray& out, const QByteArray& bytes)
{
    if (isUtf8(bytes)) {
        appendJsonString(out, bytes);
        return;
    }
    out += "{\"base64\": \"" + bytes.toBase64() + "\"}";
}

std::optional<QByteArray> jsonBytes(const QJsonValue& value)
{
    if (value.isString())
        return value.toString().toUtf8();
    if (value.isObject() && value.toObject().value(kBase64).isString()) {
        auto decoded =
            QByteArray::fromBase64Encoding(value.toObject().value(kBase64).toString().toLatin1(),
                                           QByteArray::AbortOnBase64DecodingErrors);
        if (decoded)
            return *decoded;
    }
    return std::nullopt;
}

QString writeFile(const QString& file, const QByteArray& content)
{
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return QStringLiteral("%1 を書き込めません（%2）").arg(file, out.errorString());
    if (out.write(content) != content.size() || !out.commit())
        return QStringLiteral("%1 を書き込めません（%2）").arg(file, out.errorString());
    return {};
}

// The rows of a query on either engine, each value as stored. A file's rows
// come in the order they were added; so do a server's where its table keeps
// an id, the others in the order of their first column.
QList<QList<QByteArray>> readRows(SqliteDatabase& db, const QString& table,
                                  const QStringList& columns)
{
    const QString select = QStringLiteral("SELECT %1 FROM %2 ORDER BY ")
                               .arg(columns.join(QStringLiteral(", ")), table);
    QList<QList<QByteArray>> rows;
    if (PgCatalogue* server = db.server()) {
        const PgResult result = server->connection().exec(
            select + (table == kOptionTable ? columns.first() : QStringLiteral("id")));
        for (int i = 0; i < result.rows(); ++i) {
            QList<QByteArray> row;
            for (int c = 0; c < int(columns.size()); ++c)
                row << result.bytes(i, c);
            rows << row;
        }
        return rows;
    }
    SqliteStatement statement = db.prepare(select + QStringLiteral("rowid"));
    while (statement.step()) {
        QList<QByteArray> row;
        for (int c = 0; c < int(columns.size()); ++c)
            row << statement.columnBytes(c);
        rows << row;
    }
    return rows;
}

// Runs the reads of an export. On a server they share one snapshot, so a
// title another PC adds or removes meanwhile is in every list or in none.
template <typename Reads> void readAtOnce(SqliteDatabase& db, Reads reads)
{
    PgCatalogue* server = db.server();
    if (!server) {
        reads();
        return;
    }
    server->connection().transaction([&] {
        server->connection().exec(
            QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ READ ONLY"));
        reads();
    });
}

QHash<QString, QByteArray> readServerMemos(PgCatalogue& server)
{
    // As base64: the text form of bytea would have to be decoded by hand.
    const PgResult result = server.connection().exec(
        QStringLiteral("SELECT title_key, encode(png, 'base64') FROM %1").arg(kServerMemoTable));
    QHash<QString, QByteArray> memos;
    for (int i = 0; i < result.rows(); ++i)
        memos.insert(result.text(i, 0), QByteArray::fromBase64(result.bytes(i, 1)));
    return memos;
}

QList<QByteArray> readColumn(SqliteDatabase& db, const QString& table, const QString& column)
{
    QList<QByteArray> values;
    for (const QList<QByteArray>& row : readRows(db, table, {column}))
        values << row[0];
    return values;
}

QList<TitleBytes> readTitles(SqliteDatabase& db)
{
    QStringList names;
    for (const QString* column : kColumns)
        names << *column;
    QList<TitleBytes> titles;
    for (const QList<QByteArray>& row : readRows(db, kTitleTable, names)) {
        TitleBytes title;
        for (int i = 0; i < 7; ++i)
            title.columns[i] = row[i];
        titles << title;
    }
    return titles;
}

bool needsQuotes(const QByteArray& field)
{
    if (field.isEmpty())
        return false;
    // Spaces at either end are quoted too, so no reader trims them.
    return field.contains(',') || field.contains('"') || field.contains('\r') ||
           field.contains('\n') || field.front() == ' ' || field.back() == ' ';
}

void appendCsvField(QByteArray& out, const QByteArray& field)
{
    if (!needsQuotes(field)) {
        out += field;
        return;
    }
    out += '"';
    for (const char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// RFC 4180 records: fields split at commas outside quotes, records at CR LF
// (or a lone LF) outside quotes; "" inside quotes is one quote.
QList<QList<QByteArray>> parseCsv(const QByteArray& text, QString& error)
{
    QList<QList<QByteArray>> records;
    QList<QByteArray> record;
    QByteArray field;
    bool quoted = false;
    bool wasQuoted = false;
    qsizetype i = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const qsizetype n = text.size();
    auto endRecord = [&] {
        record << field;
        field.clear();
        records << record;
        record.clear();
        wasQuoted = false;
    };
    for (; i < n; ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < n && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == '"' && field.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            record << field;
            field.clear();
            wasQuoted = false;
        } else if (c == '\r' && i + 1 < n && text[i + 1] == '\n') {
            ++i;
            endRecord();
        } else if (c == '\n') {
            endRecord();
        } else {
            field += c;
        }
    }
    if (quoted)
        error = QStringLiteral("引用符が閉じていません");
    if (!field.isEmpty() || !record.isEmpty())
        endRecord();
    return records;
}

ImportData readCsv(const QByteArray& text)
{
    ImportData data;
    const QList<QList<QByteArray>> records = parseCsv(text, data.error);
    if (!data.error.isEmpty())
        return data;
    if (records.isEmpty()) {
        data.error = QStringLiteral("見出しの行がありません");
        return data;
    }
    int at[7];
    for (int c = 0; c < 7; ++c)
        at[c] = int(records[0].indexOf(kColumns[c]->toUtf8()));
    if (at[0] < 0 || at[1] < 0) {
        data.error =
            QStringLiteral("見出しに「%1」と「%2」の列がありません").arg(kCategoryName, kTitleName);
        return data;
    }
    QSet<QByteArray> categories;
    for (qsizetype r = 1; r < records.size(); ++r) {
        const QList<QByteArray>& record = records[r];
        const QString where = QStringLiteral("%1 行目").arg(r + 1);
        if (record.size() == 1 && record[0].isEmpty())
            continue;
        if (record.size() != records[0].size()) {
            data.unreadable << QStringLiteral("%1: 列の数が見出しと合いません").arg(where);
            continue;
        }
        TitleBytes title;
        bool readable = true;
        for (int c = 0; c < 7; ++c) {
            QByteArray value = at[c] >= 0 ? record[at[c]] : QByteArray();
            if (!isUtf8(value)) {
                data.unreadable
                    << QStringLiteral("%1: UTF-8 として読めない文字があります").arg(where);
                readable = false;
                break;
            }
            // A spreadsheet keeps a line break in a cell as a lone LF; the
            // catalogue's line breaks are CR LF.
            value.replace("\r\n", "\n").replace("\n", "\r\n");
            // Optional fields are never stored empty.
            if (value.isEmpty() && c >= 2)
                value = " ";
            title.columns[c] = value;
        }
        if (!readable)
            continue;
        if (title.name().isEmpty() || title.category().isEmpty()) {
            data.unreadable << QStringLiteral("%1: タイトル名かカテゴリ名が空です").arg(where);
            continue;
        }
        if (!categories.contains(title.category())) {
            categories.insert(title.category());
            data.categories << title.category();
        }
        data.titles << title;
    }
    return data;
}

ImportData readJson(const QByteArray& text, const QString& file)
{
    ImportData data;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    const QJsonObject root = document.object();
    if (parseError.error != QJsonParseError::NoError ||
        root.value(QStringLiteral("format")) != kFormat) {
        data.error =
            parseError.error != QJsonParseError::NoError
                ? QStringLiteral("JSON として読めません（%1）").arg(parseError.errorString())
                : QStringLiteral("QUILMO のカタログの JSON ではありません");
        return data;
    }
    const QJsonArray categories = root.value(QStringLiteral("categories")).toArray();
    for (qsizetype i = 0; i < categories.size(); ++i) {
        if (const auto name = jsonBytes(categories[i]); name && !name->isEmpty())
            data.categories << *name;
        else
            data.unreadable << QStringLiteral("カテゴリ %1 番目: 名前が読めません").arg(i + 1);
    }
    const QJsonArray titles = root.value(QStringLiteral("titles")).toArray();
    for (qsizetype i = 0; i < titles.size(); ++i) {
        const QJsonObject object = titles[i].toObject();
        TitleBytes title;
        QString why;
        for (int c = 0; c < 7 && why.isEmpty(); ++c) {
            const QJsonValue value = object.value(*kColumns[c]);
            if (value.isUndefined() && c >= 2) {
                title.columns[c] = " ";
                continue;
            }
            const auto bytes = jsonBytes(value);
            if (!bytes)
                why = QStringLiteral("「%1」が読めません").arg(*kColumns[c]);
            else
                title.columns[c] = *bytes;
        }
        if (why.isEmpty() && title.name().isEmpty())
            why = QStringLiteral("タイトル名が空です");
        if (!why.isEmpty()) {
            data.unreadable << QStringLiteral("タイトル %1 番目: %2").arg(i + 1).arg(why);
            continue;
        }
        const QString memo = object.value(kMemoKey).toString();
        if (!memo.isEmpty() && !memo.contains(QLatin1Char('/')) && memo != QStringLiteral("..") &&
            memo != QStringLiteral("."))
            title.memoFile = memo;
        data.titles << title;
    }
    const QJsonArray options = root.value(QStringLiteral("options")).toArray();
    for (const QJsonValue& option : options) {
        const auto name = jsonBytes(option.toObject().value(kOptionName));
        const auto value = jsonBytes(option.toObject().value(kOptionValue));
        if (name && value && !name->isEmpty())
            data.options << qMakePair(*name, *value);
    }
    const QString memos = memoFolderBeside(file);
    if (QFileInfo(memos).isDir())
        data.memoFolder = memos;
    return data;
}

// The comparison key of a stored name: its folded form where it is text,
// its own bytes where it is not (such a name only ever equals itself).
QString ruleKey(const QByteArray& bytes)
{
    if (!isUtf8(bytes))
        return QStringLiteral("\x01") + QString::fromLatin1(bytes.toHex());
    return foldForComparison(QString::fromUtf8(bytes));
}

QSet<QString> storedKeys(SqliteDatabase& db, const QString& table, const QString& column)
{
    QSet<QString> keys;
    for (const QByteArray& name : readColumn(db, table, column))
        keys.insert(ruleKey(name));
    return keys;
}

struct Additions {
    QList<QByteArray> categories;
    QList<const TitleBytes*> titles;
    QList<QPair<QByteArray, QByteArray>> options;
    ImportSummary summary;
};

// A server stores text alone: bytes that are not UTF-8, or a NUL, would be
// refused there and take the whole import with them.
bool storable(SqliteDatabase& db, const QByteArray& value)
{
    return !db.server() || (isUtf8(value) && !value.contains('\0'));
}

const QString kNotStorable = QStringLiteral("%1 %2: UTF-8 でない文字か NUL を含むため、サーバーの"
                                            "カタログには取り込めません");

Additions compare(SqliteDatabase& db, const ImportData& data)
{
    Additions additions;
    ImportSummary& summary = additions.summary;
    summary.unreadable = data.unreadable;
    QSet<QString> categories = storedKeys(db, kCategoryTable, kCategoryName);
    for (const QByteArray& name : data.categories) {
        if (!storable(db, name)) {
            summary.unreadable << kNotStorable.arg(QStringLiteral("カテゴリ"), shownName(name));
        } else if (!categories.contains(ruleKey(name))) {
            categories.insert(ruleKey(name));
            additions.categories << name;
        } else {
            summary.existing << QStringLiteral("カテゴリ %1").arg(shownName(name));
        }
    }
    QSet<QString> titles = storedKeys(db, kTitleTable, kTitleName);
    for (const TitleBytes& title : data.titles) {
        const bool text =
            std::all_of(std::begin(title.columns), std::end(title.columns),
                        [&](const QByteArray& column) { return storable(db, column); });
        if (!text) {
            summary.unreadable << kNotStorable.arg(QStringLiteral("タイトル"),
                                                   shownName(title.name()));
        } else if (!titles.contains(ruleKey(title.name()))) {
            titles.insert(ruleKey(title.name()));
            additions.titles << &title;
            if (!title.memoFile.isEmpty() && !data.memoFolder.isEmpty())
                ++summary.memos;
        } else {
            summary.existing << QStringLiteral("タイトル %1").arg(shownName(title.name()));
        }
    }
    QSet<QString> options = storedKeys(db, kOptionTable, kOptionName);
    for (const auto& option : data.options) {
        if (storable(db, option.first) && storable(db, option.second) &&
            !options.contains(ruleKey(option.first))) {
            options.insert(ruleKey(option.first));
            additions.options << option;
        }
    }
    summary.categories = int(additions.categories.size());
    summary.titles = int(additions.titles.size());
    summary.options = int(additions.options.size());
    return additions;
}

// The import into a server catalogue: the titles with their keys, the memos
// into the server's memo table, all in one transaction.
ImportSummary runServerImport(SqliteDatabase& db, PgCatalogue& server, const ImportData& data)
{
    Additions additions;
    PgConnection& connection = server.connection();
    connection.transaction([&] {
        // Other PCs may write meanwhile: they wait for the commit, so what
        // is compared here is what the catalogue holds when the rows go in,
        // and no name the import adds can be taken in between.
        connection.exec(QStringLiteral("LOCK TABLE %1, %2, %3, %4 IN SHARE ROW EXCLUSIVE MODE")
                            .arg(kCategoryTable, kTitleTable, kOptionTable, kServerMemoTable));
        additions = compare(db, data);
        for (const QByteArray& name : additions.categories)
            store::server::insertCategory(server, QString::fromUtf8(name));
        ImportSummary& summary = additions.summary;
        summary.memos = 0;
        for (const TitleBytes* row : additions.titles) {
            const auto text = [&](int c) { return QString::fromUtf8(row->columns[c]); };
            store::server::insertTitle(
                server, TitleRecord{text(1), text(2), text(3), text(4), text(5), text(6), text(0)});
            if (row->memoFile.isEmpty() || data.memoFolder.isEmpty())
                continue;
            QFile memo(QDir(data.memoFolder).filePath(row->memoFile));
            if (!memo.open(QIODevice::ReadOnly))
                continue;
            // A memo already kept under that key stays, as a memo file does.
            summary.memos += connection
                                 .exec(QStringLiteral("INSERT INTO %1 (title_key, png) VALUES "
                                                      "($1, $2) ON CONFLICT DO NOTHING")
                                           .arg(kServerMemoTable),
                                       {PgValue::text(foldForComparison(text(1))),
                                        PgValue::bytes(memo.readAll())})
                                 .changes();
        }
        for (const auto& pair : additions.options)
            connection.exec(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES ($1, $2)")
                                .arg(kOptionTable, kOptionName, kOptionValue),
                            {PgValue::text(QString::fromUtf8(pair.first)),
                             PgValue::text(QString::fromUtf8(pair.second))});
    });
    return additions.summary;
}

} // namespace

QString memoFolderBeside(const QString& jsonFile)
{
    const QFileInfo info(jsonFile);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral("-メモ"));
}

ExportReport exportJson(SqliteDatabase& db, const QString& file, const QString& memoFolder)
{
    ExportReport report;
    QList<QByteArray> categories;
    QList<TitleBytes> titles;
    QList<QList<QByteArray>> options;
    // A server's memos, by the key of their title.
    QHash<QString, QByteArray> serverMemos;
    readAtOnce(db, [&] {
        categories = readColumn(db, kCategoryTable, kCategoryName);
        titles = readTitles(db);
        options = readRows(db, kOptionTable, {kOptionName, kOptionValue});
        if (db.server() && !memoFolder.isEmpty())
            serverMemos = readServerMemos(*db.server());
    });

    const QString memosOut = memoFolderBeside(file);
    QByteArray out;
    out.reserve(titles.size() * 200 + 1024);
    out += "{\n\"format\": \"" + kFormat.toUtf8() + "\",\n\"version\": 1,\n\"categories\": [";
    for (qsizetype i = 0; i < categories.size(); ++i) {
        out += i ? ",\n" : "\n";
        appendJsonValue(out, categories[i]);
    }
    out += "\n],\n\"titles\": [";
    const QDir memos(memoFolder);
    for (qsizetype i = 0; i < titles.size(); ++i) {
        out += i ? ",\n{" : "\n{";
        for (int c = 0; c < 7; ++c) {
            if (c)
                out += ", ";
            appendJsonString(out, kColumns[c]->toUtf8());
            out += ": ";
            appendJsonValue(out, titles[i].columns[c]);
        }
        const QByteArray& name = titles[i].name();
        if (!memoFolder.isEmpty() && isUtf8(name) && !name.contains('/') && !name.contains('\0')) {
            const QString source = memos.filePath(QString::fromUtf8(name) + kMemoSuffix);
            const QString target = QStringLiteral("%1.png").arg(i + 1);
            const auto serverMemo =
                serverMemos.constFind(foldForComparison(QString::fromUtf8(name)));
            if (db.server() ? serverMemo != serverMemos.cend() : QFileInfo(source).isFile()) {
                // The folder is made with the first memo, so an export without
                // memos leaves no empty folder behind.
                QFile::remove(QDir(memosOut).filePath(target));
                const bool written =
                    QDir().mkpath(memosOut) &&
                    (db.server() ? writeFile(QDir(memosOut).filePath(target), *serverMemo).isEmpty()
                                 : QFile::copy(source, QDir(memosOut).filePath(target)));
                if (!written) {
                    report.error = QStringLiteral("メモ %1 を書き出せません").arg(shownName(name));
                    return report;
                }
                out += ", \"memo\": ";
                appendJsonString(out, target.toUtf8());
                ++report.memos;
            }
        }
        out += '}';
    }
    out += "\n],\n\"options\": [";
    for (qsizetype i = 0; i < options.size(); ++i) {
        out += i ? ",\n{" : "\n{";
        appendJsonString(out, kOptionName.toUtf8());
        out += ": ";
        appendJsonValue(out, options[i][0]);
        out += ", ";
        appendJsonString(out, kOptionValue.toUtf8());
        out += ": ";
        appendJsonValue(out, options[i][1]);
        out += '}';
    }
    out += "\n]\n}\n";
    report.error = writeFile(file, out);
    report.categories = int(categories.size());
    report.titles = int(titles.size());
    return report;
}

ExportReport exportCsv(SqliteDatabase& db, const QString& file)
{
    ExportReport report;
    QList<TitleBytes> titles;
    readAtOnce(db, [&] { titles = readTitles(db); });
    QByteArray out;
    out.reserve(titles.size() * 200 + 256);
    out += "\xEF\xBB\xBF";
    for (int c = 0; c < 7; ++c) {
        if (c)
            out += ',';
        appendCsvField(out, kColumns[c]->toUtf8());
    }
    out += "\r\n";
    QSet<QByteArray> categories;
    for (const TitleBytes& title : titles) {
        bool text = true;
        for (const QByteArray& column : title.columns)
            text = text && isUtf8(column);
        if (!text) {
            report.unwritable << QStringLiteral(
                                     "タイトル %1: UTF-8 でない文字を含むため CSV に書けません")
                                     .arg(shownName(title.name()));
            continue;
        }
        for (int c = 0; c < 7; ++c) {
            if (c)
                out += ',';
            appendCsvField(out, title.columns[c]);
        }
        out += "\r\n";
        categories.insert(title.category());
        ++report.titles;
    }
    report.categories = int(categories.size());
    report.error = writeFile(file, out);
    return report;
}

ImportData readImportFile(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        ImportData data;
        data.error = QStringLiteral("%1 を読めません（%2）").arg(file, in.errorString());
        return data;
    }
    const QByteArray text = in.readAll();
    if (file.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        return readCsv(text);
    return readJson(text, file);
}

ImportSummary planImport(SqliteDatabase& db, const ImportData& data)
{
    return compare(db, data).summary;
}

ImportSummary runImport(SqliteDatabase& db, const ImportData& data, const QString& memoFolder)
{
    if (PgCatalogue* server = db.server())
        return runServerImport(db, *server, data);
    Additions additions;
    db.transaction([&] {
        // Compared inside the transaction, so what is added is exactly what
        // the catalogue lacks at this moment.
        additions = compare(db, data);
        SqliteStatement category = db.prepare(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (?)").arg(kCategoryTable, kCategoryName));
        for (const QByteArray& name : additions.categories) {
            category.bindBytes(1, name).step();
            category.reset();
        }
        SqliteStatement title = db.prepare(
            QStringLiteral(
                "INSERT INTO %1 (%2, %3, %4, %5, %6, %7, %8) VALUES (?, ?, ?, ?, ?, ?, ?)")
                .arg(kTitleTable, kCategoryName, kTitleName, kDescription, kThumbnailPath,
                     kLinkTargets, kWorkingFolder, kLaunchOptions));
        for (const TitleBytes* row : additions.titles) {
            for (int c = 0; c < 7; ++c)
                title.bindBytes(c + 1, row->columns[c]);
            title.step();
            title.reset();
        }
        SqliteStatement option = db.prepare(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)")
                                                .arg(kOptionTable, kOptionName, kOptionValue));
        for (const auto& pair : additions.options) {
            option.bindBytes(1, pair.first).bindBytes(2, pair.second).step();
            option.reset();
        }
    });
    // The memos follow the titles they belong to; one already there stays.
    ImportSummary& summary = additions.summary;
    summary.memos = 0;
    if (!data.memoFolder.isEmpty()) {
        QDir().mkpath(memoFolder);
        for (const TitleBytes* row : additions.titles) {
            if (row->memoFile.isEmpty() || !isUtf8(row->name()) || row->name().contains('/') ||
                row->name().contains('\0'))
                continue;
            const QString target =
                QDir(memoFolder).filePath(QString::fromUtf8(row->name()) + kMemoSuffix);
            if (QFileInfo::exists(target))
                continue;
            if (QFile::copy(QDir(data.memoFolder).filePath(row->memoFile), target))
                ++summary.memos;
        }
    }
    return summary;
}

} // namespace store::transfer
