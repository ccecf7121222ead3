#include "store/pg_database.h"

#include <libpq-fe.h>

#include <QRegularExpression>

namespace
{

QByteArray stateOf(const PGresult* result)
{
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    return state ? QByteArray(state) : QByteArray();
}

} // namespace

PgResult::~PgResult()
{
    PQclear(m_result);
}

int PgResult::rows() const
{
    return PQntuples(m_result);
}

bool PgResult::isNull(int row, int column) const
{
    return PQgetisnull(m_result, row, column) != 0;
}

QString PgResult::text(int row, int column) const
{
    return QString::fromUtf8(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
}

QByteArray PgResult::bytes(int row, int column) const
{
    return QByteArray(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
}

qint64 PgResult::integer(int row, int column) const
{
    return QByteArray(PQgetvalue(m_result, row, column)).toLongLong();
}

int PgResult::changes() const
{
    return QByteArray(PQcmdTuples(m_result)).toInt();
}

PgConnection::PgConnection(const QString& conninfo)
{
    // The timeout and the encoding come first, so the string's own win.
    const char* keys[] = {"connect_timeout", "client_encoding", "dbname", nullptr};
    const QByteArray info = conninfo.toUtf8();
    const char* values[] = {"10", "UTF8", info.constData(), nullptr};
    m_conn = PQconnectdbParams(keys, values, 1);
    if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
        std::string message = "connect: ";
        message += m_conn ? PQerrorMessage(m_conn) : "out of memory";
        PQfinish(m_conn);
        m_conn = nullptr;
        throw PgError(message, {});
    }
    // Notices (an index created, a table already there) are not the
    // program's output.
    PQsetNoticeProcessor(
        m_conn, [](void*, const char*) {}, nullptr);
}

PgConnection::~PgConnection()
{
    PQfinish(m_conn);
}

bool PgConnection::isIdle() const
{
    return PQstatus(m_conn) == CONNECTION_OK && PQtransactionStatus(m_conn) == PQTRANS_IDLE;
}

PgResult PgConnection::exec(const QString& sql, const std::vector<PgValue>& parameters)
{
    std::vector<const char*> values;
    std::vector<int> lengths;
    std::vector<int> formats;
    for (const PgValue& value : parameters) {
        // A text goes to the server up to its first NUL, which the server
        // cannot store: cut short, it would be written as something else.
        if (value.kind == PgValue::Kind::Text && value.data.contains('\0'))
            throw PgError("a text holds a NUL character, which the server cannot store", {});
        values.push_back(value.kind == PgValue::Kind::Null ? nullptr : value.data.constData());
        lengths.push_back(int(value.data.size()));
        formats.push_back(value.kind == PgValue::Kind::Bytes ? 1 : 0);
    }
    const QByteArray text = sql.toUtf8();
    PGresult* result = PQexecParams(m_conn, text.constData(), int(parameters.size()), nullptr,
                                    values.data(), lengths.data(), formats.data(), 0);
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        std::string message = "exec: ";
        message += result ? PQresultErrorMessage(result) : PQerrorMessage(m_conn);
        const QByteArray state = stateOf(result);
        PQclear(result);
        throw PgError(message, state);
    }
    return PgResult(result);
}

void PgConnection::copyIn(const QString& sql,
                          const std::vector<std::vector<std::optional<QString>>>& rows)
{
    const QByteArray text = sql.toUtf8();
    PGresult* start = PQexec(m_conn, text.constData());
    const bool ready = start && PQresultStatus(start) == PGRES_COPY_IN;
    const QByteArray startState = stateOf(start);
    PQclear(start);
    if (!ready)
        throw PgError(std::string("copy: ") + PQerrorMessage(m_conn), startState);
    // COPY's text form: values split by tabs, rows by line feeds, \N for
    // NULL, and the backslash escapes for what would split them.
    QByteArray data;
    for (const auto& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column) {
            if (column)
                data += '\t';
            if (!row[column]) {
                data += "\\N";
                continue;
            }
            const QByteArray value = row[column]->toUtf8();
            if (value.contains('\0')) {
                PQputCopyEnd(m_conn, "a text holds a NUL character");
                PQclear(PQgetResult(m_conn));
                throw PgError("a text holds a NUL character, which the server cannot store", {});
            }
            for (char c : value) {
                switch (c) {
                case '\\':
                    data += "\\\\";
                    break;
                case '\t':
                    data += "\\t";
                    break;
                case '\n':
                    data += "\\n";
                    break;
                case '\r':
                    data += "\\r";
                    break;
                default:
                    data += c;
                }
            }
        }
        data += '\n';
    }
    bool sent = PQputCopyData(m_conn, data.constData(), int(data.size())) == 1;
    sent = PQputCopyEnd(m_conn, sent ? nullptr : "send failed") == 1 && sent;
    std::string message;
    QByteArray state;
    while (PGresult* result = PQgetResult(m_conn)) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK && message.empty()) {
            message = std::string("copy: ") + PQresultErrorMessage(result);
            state = stateOf(result);
        }
        PQclear(result);
    }
    if (!message.empty() || !sent)
        throw PgError(message.empty() ? std::string("copy: ") + PQerrorMessage(m_conn) : message,
                      state);
}

void PgConnection::rollbackQuietly() noexcept
{
    PQclear(PQexec(m_conn, "ROLLBACK"));
}

bool isServerCatalogue(const QString& catalogue)
{
    if (catalogue.startsWith(QLatin1String("postgresql://")) ||
        catalogue.startsWith(QLatin1String("postgres://")))
        return true;
    // key=value pairs, the first key a word: a file path holds a slash
    // before any '=' or none at all.
    static const QRegularExpression keyValue(QStringLiteral("^\\s*[a-z_]+\\s*="));
    return keyValue.match(catalogue).hasMatch();
}

ConnectionInfo readConnectionInfo(const QString& conninfo)
{
    ConnectionInfo info;
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(conninfo.toUtf8().constData(), &error);
    if (!options) {
        info.error = error ? QString::fromUtf8(error).trimmed() : QStringLiteral("out of memory");
        PQfreemem(error);
        return info;
    }
    for (const PQconninfoOption* option = options; option->keyword; ++option) {
        if (qstrcmp(option->keyword, "password") == 0 && option->val && *option->val)
            info.holdsPassword = true;
    }
    PQconninfoFree(options);
    return info;
}
