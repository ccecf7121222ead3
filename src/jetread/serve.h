#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// What the reading process serves: the user tables of a Jet file, one table
// at a time as the program asks for it. Texts are UTF-8.

class SourceError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

using SourceRow = std::vector<std::optional<std::string>>;

class SourceTable
{
public:
    virtual ~SourceTable() = default;
    virtual std::vector<std::string> columns() const = 0;
    // The next row; false after the last. Throws SourceError.
    virtual bool next(SourceRow& row) = 0;
};

class Source
{
public:
    virtual ~Source() = default;
    virtual std::vector<std::string> tableNames() const = 0;
    // nullptr when there is no table of that name. Throws SourceError.
    virtual std::unique_ptr<SourceTable> open(const std::string& name) = 0;
};

// Sends the table names, then answers each line read from in (a table name)
// with that table's columns and rows. Returns the exit status: 0 when in
// ended, 1 after a failure was sent or the program stopped reading.
int serve(Source& source, std::FILE* in, std::FILE* out);
