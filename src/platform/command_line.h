#pragma once

#include <optional>

#include <QString>
#include <QStringList>

// Launch options split into a program's arguments as a POSIX shell splits
// words: blanks separate them, quotes and backslashes are honoured, and
// nothing is expanded (no variables, no wildcards, and no shell runs). Text
// of blanks alone gives no arguments. nullopt when text cannot be split, as
// with an unbalanced quote or a NUL character, which no argument can carry.
std::optional<QStringList> splitCommandLine(const QString& text);
