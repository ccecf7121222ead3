#include <gtest/gtest.h>

#include <QString>

#include "store/jet_pattern.h"
#include "store/text_fold.h"

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

// Case folding can undo NFKC: what it leaves is normalised again, so that
// canonically equivalent spellings stay the same in any letter case.
TEST(FoldPieces, CaseFoldedTextIsNormalisedAgain)
{
    const std::pair<const char16_t*, const char16_t*> same[] = {
        {u"\u0390", u"\u0399\u0308\u0301"}, // ΐ and Ι, diaeresis, acute
        {u"\u0390", u"\u03AA\u0301"},       // ΐ and Ϊ, acute
        {u"\u1E98", u"W\u030A"},            // ẘ and W, ring above
        {u"\u01F0", u"J\u030C"},            // ǰ and J, caron
        {u"\u01F0", u"\u01F0"},
    };
    for (const auto& [a, b] : same) {
        EXPECT_TRUE(sameUnderRule(QStringView(a), QStringView(b)))
            << QString::fromUtf16(a).toStdString();
        EXPECT_EQ(foldForComparison(QStringView(a)), foldForComparison(QStringView(b)));
    }
    EXPECT_FALSE(sameUnderRule(u"\u1E98", u"W"));
    EXPECT_FALSE(sameUnderRule(u"\u0390", u"\u03AA"));
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

// A piece of the pattern with no case to fold beside one that has: each is
// folded alone, the text as a whole, and they must still agree.
TEST(JetPatternPieces, PiecesFoldedApartMatchTheTextFoldedWhole)
{
    EXPECT_TRUE(like(u"\u00DF[*]\u0399\u0308\u0301", u"\u00DF*\u0399\u0308\u0301"));
    EXPECT_TRUE(like(u"W\u030A[?]J\u030C", u"w\u030A?\u01F0"));
    EXPECT_TRUE(like(u"*\u0390", u"x\u0399\u0308\u0301"));
    EXPECT_TRUE(like(u"[\u0390]", u"\u03AA\u0301"));
    EXPECT_FALSE(like(u"*\u0390", u"x\u0399\u0308"));
}

} // namespace
