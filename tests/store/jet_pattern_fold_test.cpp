#include <gtest/gtest.h>

#include <QString>

#include "store/jet_pattern.h"
#include "store/text_rule.h"

namespace
{

// U+FEFF is a character like any other to the rule: NFKC keeps it. Taken
// for a byte-order mark at the start of a piece it would vanish from one
// side of a comparison only.
TEST(FoldPieces, LeadingZeroWidthNoBreakSpaceIsKept)
{
    EXPECT_EQ(foldForComparison(u"\uFEFFAb"), QStringLiteral("\uFEFFab"));
    EXPECT_EQ(foldCodePoints(U"\uFEFFAb"), std::u32string(U"\uFEFFab"));
    EXPECT_EQ(foldCodePoints(U"\uFEFF"), std::u32string(U"\uFEFF"));
    EXPECT_FALSE(sameUnderRule(u"\uFEFFa", u"a"));
    // İ takes the path that normalises a second time; it must keep it too.
    EXPECT_EQ(foldForComparison(u"\uFEFF\u0130"), QStringLiteral("\uFEFFi\u0307"));
    EXPECT_FALSE(sameUnderRule(u"\uFEFF\u0130", u"\u0130"));
}

TEST(FoldPieces, PiecesFoldAsTheWholeText)
{
    const char32_t* const texts[] = {U"\uFEFF", U"\uFEFF\u3FFD\u0087\u4061", U"ｶﾞ\uFEFFＡ",
                                     U"\uFEFFß", U"\U0001F600x"};
    for (const char32_t* text : texts) {
        const std::u32string points(text);
        EXPECT_EQ(foldCodePoints(points),
                  foldForComparisonUcs4(QString::fromStdU32String(U"x" + points)).substr(1));
    }
}

bool like(QStringView pattern, QStringView text)
{
    const auto result = jetLikeMatch(pattern, text);
    EXPECT_TRUE(result.has_value());
    return result.value_or(false);
}

TEST(JetPatternPieces, RunStartingWithZeroWidthNoBreakSpaceMatchesItself)
{
    // The text the fuzzer found: a C1 control and CJK after a leading U+FEFF.
    const QString found = QStringLiteral("\uFEFF\u3FFD\u0087\u4061\u6B00\u5963\u6300\u8000");
    EXPECT_TRUE(like(found, found));
    EXPECT_TRUE(like(u"\uFEFFa", u"\uFEFFA"));
    EXPECT_TRUE(like(u"[*]\uFEFFb", u"*\uFEFFb"));
    EXPECT_TRUE(like(u"a*\uFEFF", u"ab\uFEFF"));
    // The mark is not dropped from the pattern either, so it still has to be
    // there in the text.
    EXPECT_FALSE(like(u"\uFEFFa", u"a"));
    EXPECT_FALSE(like(u"\uFEFF*", u"x"));
    EXPECT_FALSE(like(u"x*[?]\uFEFF", u"x?"));
}

} // namespace
