#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include <QString>
#include <QStringList>

// Reading the catalogue files of the old Windows program: Jet databases
// (Access 97 and 2000 formats). Only reading: nothing here ever writes to the
// file.

class JetError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

enum class JetVersion { NotJet, Jet3, Jet4 };

// What the file's first page says it is: "Standard Jet DB" with the format
// byte 0 (Jet 3) or 1 (Jet 4). Anything else, an unreadable or short file
// included, is NotJet.
JetVersion detectJetVersion(const QString& path);

// One row: a cell per column in the order of columnNames(); nullopt where the
// value is absent. The reader cannot tell a NULL from a zero-length text, so
// both come as nullopt.
using JetRow = std::vector<std::optional<QString>>;

// A table read from its first row to its last.
class JetTable
{
public:
    virtual ~JetTable() = default;
    virtual QStringList columnNames() const = 0;
    // Fills row with the next row; false after the last. Throws JetError.
    virtual bool nextRow(JetRow& row) = 0;
};

class JetDatabase
{
public:
    virtual ~JetDatabase() = default;
    // The user tables, in the file's order; system tables are left out.
    virtual QStringList tableNames() const = 0;
    // The table of that name (letter case ignored as the engine does).
    // Throws JetError when there is none.
    virtual std::unique_ptr<JetTable> openTable(const QString& name) = 0;
};

// How a Jet file is read: in a process of its own (quilmo-jet-reader, the
// only part of the program that loads libmdb), within limits, so that a
// damaged file can neither freeze nor end the program.
struct JetReadOptions {
    // The reading program and the arguments put before the file's path;
    // empty: the installed quilmo-jet-reader.
    QString program;
    QStringList arguments;
    // From the start to the last row, waiting included.
    int timeLimitMs = 60000;
    // Address space of the reading process.
    qint64 memoryLimit = qint64(1) << 30;
    // Told the number of rows read so far, now and then; also while the
    // reading process is silent.
    std::function<void(qint64 rows)> progress;
    // Asked now and then; true ends the reading process, and the waiting
    // call throws JetCancelled.
    std::function<bool()> cancelled;
};

class JetCancelled : public JetError
{
public:
    JetCancelled() : JetError("cancelled") {}
};

// Opens a Jet file read-only in a reading process and waits for its table
// list. Throws JetError when the file is missing or is not a Jet database,
// or when the reading fails: the message then says why, in a line for the
// user. The window's events are handled while waiting.
std::unique_ptr<JetDatabase> openJetDatabase(const QString& path, const JetReadOptions& options);
std::unique_ptr<JetDatabase> openJetDatabase(const QString& path);

// Where the reading program is looked for: beside the program (the build
// folder), then the installed libexec folder. A path set here comes first.
QString jetReaderProgram();
void setJetReaderProgram(const QString& path);
