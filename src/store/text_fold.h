#pragma once

#include <string>
#include <string_view>

#include <QString>
#include <QStringView>

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

// What NFKC writes for a half-width katakana or mark (U+FF61..U+FF9F) when
// that is one character; any other character comes back as it is.
char16_t nfkcOfHalfWidthKana(char16_t c);
