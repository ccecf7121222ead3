#pragma once

#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

#include "store/sqlite_database.h"

struct pg_conn;
struct pg_result;

// The server engine: a thin RAII layer over libpq. Every value reaches the
// server as a parameter of its statement, as text or as bytes; nothing here
// splices values into SQL.

// The rows a statement returned; freed with the object.
class PgResult
{
public:
    explicit PgResult(pg_result* result) : m_result(result) {}
    PgResult(PgResult&& other) noexcept : m_result(other.m_result) { other.m_result = nullptr; }
    PgResult& operator=(PgResult&&) = delete;
    PgResult(const PgResult&) = delete;
    PgResult& operator=(const PgResult&) = delete;
    ~PgResult();

    int rows() const;
    bool isNull(int row, int column) const;
    // The value as text; a NULL reads as the empty text.
    QString text(int row, int column) const;
    // The value as it came, without decoding: bytes for a bytea column.
    QByteArray bytes(int row, int column) const;
    qint64 integer(int row, int column) const;
    // Rows changed by an INSERT, UPDATE or DELETE.
    int changes() const;

private:
    pg_result* m_result = nullptr;
};

// One value for a statement: text, bytes (for bytea) or NULL.
struct PgValue {
    enum class Kind { Text, Bytes, Null };
    Kind kind = Kind::Null;
    QByteArray data;
    static PgValue text(const QString& value) { return {Kind::Text, value.toUtf8()}; }
    static PgValue bytes(const QByteArray& value) { return {Kind::Bytes, value}; }
    static PgValue integer(qint64 value) { return {Kind::Text, QByteArray::number(value)}; }
    static PgValue null() { return {}; }
};

// A server error: the message, and the five-character SQLSTATE (empty when
// the connection itself failed).
class PgError : public DbError
{
public:
    PgError(const std::string& message, QByteArray state)
        : DbError(message), m_state(std::move(state))
    {
    }
    const QByteArray& state() const { return m_state; }
    // The statement broke a unique index.
    bool isUniqueViolation() const { return m_state == "23505"; }

private:
    QByteArray m_state;
};

class PgConnection
{
public:
    // Connects with a libpq connection URI or key=value string; a password
    // comes from ~/.pgpass or the environment, as libpq finds it. Gives up
    // after ten seconds. Throws PgError.
    explicit PgConnection(const QString& conninfo);
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;
    ~PgConnection();

    // Whether the connection still stands and is outside any transaction, so
    // the next operation may take it over.
    bool isIdle() const;

    // Runs one statement with its parameters ($1, $2, ...); throws PgError.
    PgResult exec(const QString& sql, const std::vector<PgValue>& parameters = {});

    // Sends rows to a COPY ... FROM STDIN statement, each a list of values
    // (nullopt for NULL), in one stream; throws PgError.
    void copyIn(const QString& sql, const std::vector<std::vector<std::optional<QString>>>& rows);

    // Runs body inside one transaction: committed when it returns, rolled
    // back when it throws (the exception goes on to the caller). A lost
    // connection rolls back on the server by itself.
    template <typename Body> void transaction(Body&& body)
    {
        exec(QStringLiteral("BEGIN"));
        try {
            body();
        } catch (...) {
            rollbackQuietly();
            throw;
        }
        exec(QStringLiteral("COMMIT"));
    }

private:
    void rollbackQuietly() noexcept;

    pg_conn* m_conn = nullptr;
};

// What a connection string holds, as libpq reads it.
struct ConnectionInfo {
    QString error; // why libpq cannot read it; empty when it can
    bool holdsPassword = false;
};
ConnectionInfo readConnectionInfo(const QString& conninfo);

// Whether a catalogue given by the user names a server rather than a file:
// a postgresql:// or postgres:// URI, or a libpq key=value string.
bool isServerCatalogue(const QString& catalogue);
