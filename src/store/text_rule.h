#pragma once

#include <string>
#include <string_view>

#include <QByteArray>
#include <QString>
#include <QStringView>

class SqliteDatabase;

// The one comparison rule of the catalogue. Two texts are the same when their
// folded forms are equal: Unicode NFKC (full-width Latin and digits become
// half-width, half-width katakana full-width with their voiced marks joined),
// full case folding (ß and ss are the same), katakana folded to hiragana.
// Stored names are never rewritten; only comparisons go through the rule.
QString foldForComparison(QStringView text);
bool sameUnderRule(QStringView a, QStringView b);
// The folded form as code points, for matchers that walk it.
std::u32string foldForComparisonUcs4(QStringView text);
// Code points as text, each kept: unlike QString::fromStdU32String, a
// leading U+FEFF is a character here, not a byte-order mark to drop.
QString fromCodePoints(std::u32string_view codePoints);
// The same for text already taken apart into code points; every one is kept,
// a leading U+FEFF included.
std::u32string foldCodePoints(std::u32string_view text);

// A byte string whose plain byte order is the catalogue's Japanese name order:
// ICU's Japanese collation with numbers by value (symbols, numbers, Latin,
// kana of both kinds and widths together, kanji), then the exact spelling, so
// two different names never get the same key.
QByteArray japaneseSortKey(QStringView text);

// SQL names of the rule on the program's own connections. They are never
// written into the schema, so other SQLite tools can still open and edit the
// file.
//   ruled_fold(text)      the folded form
//   ruled_sortkey(text)   the sort key as a BLOB
//   jetlike(pattern, text) the narrowing-search pattern match
void registerTextRule(SqliteDatabase& db);
