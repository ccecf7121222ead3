#pragma once

#include <optional>

#include <QStringView>

// Matches text against a pattern of the catalogue's LIKE language, comparing
// under the catalogue's comparison rule (width, case and kana type ignored):
//   *  any run of characters      ?  any one character
//   #  any one digit              [list] one character of the list (a-z ranges)
//   [!list] one character not in the list
// Only the ASCII forms of * ? # [ ] ! - are pattern characters; every other
// character, SQL's % and _ and full-width ＊ included, stands for itself.
// Range ends are folded too, so [ｱ-ｵ] is [あ-お] and [Ａ-Ｚ] is [a-z].
// Returns nullopt for a malformed pattern (a "[" without its "]").
std::optional<bool> jetLikeMatch(QStringView pattern, QStringView text);

class SqliteDatabase;

// Registers jetlike(pattern, text) on a connection; a malformed pattern makes
// the statement fail rather than silently match nothing.
void registerJetLike(SqliteDatabase& db);
