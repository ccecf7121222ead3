#pragma once

#include <memory>
#include <stdexcept>

#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;
class PgCatalogue;

// The database engine: a thin RAII layer over SQLite. Every value reaches a
// statement as a bound parameter; nothing here splices text into SQL.

class DbError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class SqliteStatement
{
public:
    SqliteStatement(sqlite3* db, const QString& sql);
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&&) = delete;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    ~SqliteStatement();

    // Binds a text to the 1-based parameter index.
    SqliteStatement& bind(int index, const QString& value);
    // Binds bytes as a text value exactly as given, UTF-8 or not, so a value
    // read with columnBytes goes back byte for byte.
    SqliteStatement& bindBytes(int index, const QByteArray& value);
    SqliteStatement& bindInteger(int index, qint64 value);
    // Advances to the next row: true while there is one, false when done.
    // Throws DbError on any engine error (busy, not a database, constraint).
    bool step();
    // The column's value of the current row; a NULL reads as the empty text.
    QString text(int column) const;
    // The column's text as stored, never decoded: a sequence that is not
    // UTF-8 stays as it is instead of turning into U+FFFD. A NULL reads as no
    // bytes.
    QByteArray columnBytes(int column) const;
    qint64 integer(int column) const;
    bool isNull(int column) const;
    int columnCount() const;
    // Makes the statement ready to run again with new bindings.
    void reset();

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

class SqliteDatabase
{
public:
    enum class OpenMode { ExistingOnly, CreateIfMissing };

    // Opens the file; ExistingOnly never creates it. A statement that meets
    // another connection's lock waits up to five seconds for it before it
    // fails with DbError. Throws DbError.
    explicit SqliteDatabase(const QString& path, OpenMode mode = OpenMode::ExistingOnly);
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;
    ~SqliteDatabase();

    SqliteStatement prepare(const QString& sql);
    // Runs statements that take no parameters (schema, transaction control).
    void exec(const QString& sql);
    // How long a statement waits for another connection's lock from now on.
    void setBusyTimeout(int milliseconds);
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;
    sqlite3* handle() const { return m_db; }
    // The server catalogue this handle stands for instead of a file, or
    // null: the store's operations then run on the server, and SQL of the
    // file's own fails with DbError.
    PgCatalogue* server() const { return m_server.get(); }

    // Runs body inside one transaction: committed when it returns, rolled
    // back when it throws (the exception goes on to the caller).
    template <typename Body> void transaction(Body&& body)
    {
        exec(QStringLiteral("BEGIN IMMEDIATE"));
        try {
            body();
        } catch (...) {
            rollbackQuietly();
            throw;
        }
        exec(QStringLiteral("COMMIT"));
    }

protected:
    // A handle for a catalogue on a server when server is given, with no
    // file; otherwise the file at path, opened as ExistingOnly.
    SqliteDatabase(std::unique_ptr<PgCatalogue> server, const QString& path);

private:
    void open(const QString& path, OpenMode mode);
    void rollbackQuietly() noexcept;

    sqlite3* m_db = nullptr;
    std::unique_ptr<PgCatalogue> m_server;
};
