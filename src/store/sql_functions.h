#pragma once

class SqliteDatabase;

// SQL names of the rule on the program's own connections. They are never
// written into the schema, so other SQLite tools can still open and edit the
// file.
//   ruled_fold(text)      the folded form
//   ruled_sortkey(text)   the sort key as a BLOB
//   jetlike(pattern, text) the narrowing-search pattern match
// Each is deterministic and innocuous; a connection that cannot take one
// throws DbError rather than failing later on a query that uses it.
void registerRuleFunctions(SqliteDatabase& db);
