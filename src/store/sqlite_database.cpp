#include "store/sqlite_database.h"

#include <sqlite3.h>

#include <QFile>

#include "store/pg_catalogue.h"

namespace
{

// How long an operation waits for another program's lock on the file before
// it gives up and reports its failure: long enough to outlast another
// window's write (a second instance, or the same file on a shared drive),
// short enough that a file held for good is still reported.
constexpr int kBusyTimeoutMs = 5000;

[[noreturn]] void throwError(sqlite3* db, const char* what)
{
    std::string message = what;
    if (db) {
        message += ": ";
        message += sqlite3_errmsg(db);
    }
    throw DbError(message);
}

} // namespace

SqliteStatement::SqliteStatement(sqlite3* db, const QString& sql) : m_db(db)
{
    if (!db)
        throw DbError("prepare: the catalogue is not a file");
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throwError(db, "prepare");
    }
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : m_db(other.m_db), m_stmt(other.m_stmt)
{
    other.m_stmt = nullptr;
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_stmt);
}

SqliteStatement& SqliteStatement::bind(int index, const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    if (sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        throwError(m_db, "bind");
    return *this;
}

SqliteStatement& SqliteStatement::bindBytes(int index, const QByteArray& value)
{
    if (sqlite3_bind_text(m_stmt, index, value.constData(), int(value.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        throwError(m_db, "bind");
    return *this;
}

SqliteStatement& SqliteStatement::bindInteger(int index, qint64 value)
{
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        throwError(m_db, "bind");
    return *this;
}

bool SqliteStatement::step()
{
    switch (sqlite3_step(m_stmt)) {
    case SQLITE_ROW:
        return true;
    case SQLITE_DONE:
        return false;
    default:
        throwError(m_db, "step");
    }
}

QString SqliteStatement::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    if (!data)
        return {};
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column));
}

QByteArray SqliteStatement::columnBytes(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    if (!data)
        return {};
    return QByteArray(data, sqlite3_column_bytes(m_stmt, column));
}

qint64 SqliteStatement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

bool SqliteStatement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

int SqliteStatement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

SqliteDatabase::SqliteDatabase(const QString& path, OpenMode mode)
{
    open(path, mode);
}

SqliteDatabase::SqliteDatabase(std::unique_ptr<PgCatalogue> server, const QString& path)
    : m_server(std::move(server))
{
    if (!m_server)
        open(path, OpenMode::ExistingOnly);
}

void SqliteDatabase::open(const QString& path, OpenMode mode)
{
    int flags = SQLITE_OPEN_READWRITE;
    if (mode == OpenMode::CreateIfMissing)
        flags |= SQLITE_OPEN_CREATE;
    const QByteArray name = QFile::encodeName(path);
    if (sqlite3_open_v2(name.constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        std::string message = "open: ";
        message += m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw DbError(message);
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(m_db, 1);
}

SqliteDatabase::~SqliteDatabase()
{
    sqlite3_close_v2(m_db);
}

SqliteStatement SqliteDatabase::prepare(const QString& sql)
{
    return SqliteStatement(m_db, sql);
}

void SqliteDatabase::exec(const QString& sql)
{
    if (!m_db)
        throw DbError("exec: the catalogue is not a file");
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = "exec: ";
        message += error ? error : sqlite3_errmsg(m_db);
        sqlite3_free(error);
        throw DbError(message);
    }
}

void SqliteDatabase::setBusyTimeout(int milliseconds)
{
    if (!m_db)
        return;
    sqlite3_busy_timeout(m_db, milliseconds);
}

int SqliteDatabase::changes() const
{
    if (!m_db)
        return 0;
    return sqlite3_changes(m_db);
}

void SqliteDatabase::rollbackQuietly() noexcept
{
    if (!m_db)
        return;
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}
