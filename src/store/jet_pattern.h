#pragma once

#include <optional>

#include <QStringView>

// Matches text against a pattern of the catalogue's LIKE language, ignoring
// the case of ASCII and full-width Latin letters:
//   *  any run of characters      ?  any one character
//   #  any one digit              [list] one character of the list (a-z ranges)
//   [!list] one character not in the list
// Every other character, SQL's % and _ included, stands for itself.
// Returns nullopt for a malformed pattern (a "[" without its "]").
std::optional<bool> jetLikeMatch(QStringView pattern, QStringView text);

class SqliteDatabase;

// Registers jetlike(pattern, text) on a connection; a malformed pattern makes
// the statement fail rather than silently match nothing.
void registerJetLike(SqliteDatabase& db);
