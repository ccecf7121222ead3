#pragma once

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

// Opens a Jet file read-only through libmdb. Throws JetError when the file
// is missing or is not a Jet database.
std::unique_ptr<JetDatabase> openJetDatabase(const QString& path);
