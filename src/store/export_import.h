#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class SqliteDatabase;

// Taking the catalogue elsewhere and bringing it back. JSON is the faithful
// form: every category, title and option, each value byte for byte (a value
// that is not UTF-8 is written as {"base64": "…"}), and optionally the memos
// as PNG files in a folder beside it. CSV is the form a spreadsheet opens: UTF-8
// with a byte-order mark, CR LF between records, RFC 4180 quoting, one row per
// title with its category; a title holding bytes that are not UTF-8 cannot be
// written there and is named instead.
namespace store::transfer
{

// The seven columns of a title as stored, in the order of the CSV header:
// category, name, description, thumbnail, link targets, working folder,
// launch options.
struct TitleBytes {
    QByteArray columns[7];
    // The memo's file inside the memo folder beside the JSON, or empty.
    QString memoFile;
    const QByteArray& name() const { return columns[1]; }
    const QByteArray& category() const { return columns[0]; }
};

struct ExportReport {
    int categories = 0;
    int titles = 0;
    int memos = 0;
    // Rows a CSV could not hold, each named with why.
    QStringList unwritable;
    // Empty on success; otherwise nothing usable was written.
    QString error;
};

// The folder beside a JSON file that holds its memos: name.json → name-メモ.
QString memoFolderBeside(const QString& jsonFile);

// Writes the whole catalogue read through db to file (replaced whole, never
// half written). memoFolder empty: no memos; else the memo of each title is
// copied as a PNG file into memoFolderBeside(file).
ExportReport exportJson(SqliteDatabase& db, const QString& file, const QString& memoFolder);
ExportReport exportCsv(SqliteDatabase& db, const QString& file);

// What a file to import holds, read and checked but not yet compared.
struct ImportData {
    QList<QByteArray> categories;
    QList<TitleBytes> titles;
    QList<QPair<QByteArray, QByteArray>> options;
    // Where the memo files named by titles lie; empty when there are none.
    QString memoFolder;
    // Rows that cannot be read, each with where and why.
    QStringList unreadable;
    // Empty when the file could be read at all.
    QString error;
};

ImportData readImportFile(const QString& file);

// What an import would add, or has added.
struct ImportSummary {
    int categories = 0;
    int titles = 0;
    int options = 0;
    int memos = 0;
    // Names the comparison rule finds already there (or twice in the file);
    // these are left as they are.
    QStringList existing;
    QStringList unreadable;
    QString error;
};

// The summary of importing data into the catalogue of db; nothing is written.
ImportSummary planImport(SqliteDatabase& db, const ImportData& data);
// Adds what planImport names, all in one transaction (all or nothing), then
// copies the memos of the added titles into memoFolder where no memo of that
// name exists yet. Throws DbError when the catalogue could not be written.
ImportSummary runImport(SqliteDatabase& db, const ImportData& data, const QString& memoFolder);

} // namespace store::transfer
