#pragma once

#include <optional>

#include <QString>

// Which catalogue the program opens: the file in the data folder, another
// file, or a database on a PostgreSQL server shared by several PCs. The last
// choice made with --catalogue is remembered in the data folder, so a start
// without it (the desktop entry) opens the same catalogue.

// The file in the data folder that remembers the choice.
QString choiceFilePath(const QString& dataFolder);

// What is wrong with a choice given on the command line, or nothing: a
// connection string libpq cannot read, or one that holds a password, which
// the program never stores (it belongs in ~/.pgpass or PGPASSWORD).
std::optional<QString> choiceError(const QString& choice);

// The catalogue of this run: the one given (a file path made absolute, a
// connection string as given), remembered in the data folder; without one,
// the remembered one; empty for the data folder's own file. A choice that
// cannot be remembered still holds for this run.
QString chooseCatalogue(const QString& dataFolder, const QString& given);

// What the user is told, once, when the server of the chosen catalogue
// cannot be reached or holds something other than a catalogue.
QString serverFailureText(const QString& catalogue, const QString& error);
// The detail of that text when the database holds something other than a
// catalogue of this version.
QString foreignDatabaseText();
