#include <gtest/gtest.h>

#include <QString>

#include "store/jet_pattern.h"

namespace {

bool like(const char* pattern, const char* text)
{
    const auto result = jetLikeMatch(QString::fromUtf8(pattern), QString::fromUtf8(text));
    EXPECT_TRUE(result.has_value()) << pattern;
    return result.value_or(false);
}

TEST(JetPattern, StarsMatchAnyRunAnywhere)
{
    EXPECT_TRUE(like("*", ""));
    EXPECT_TRUE(like("**", "abc"));
    EXPECT_TRUE(like("*bc*", "abcd"));
    EXPECT_TRUE(like("*計画*", "2024年計画書"));
    EXPECT_FALSE(like("*xyz*", "abcd"));
    EXPECT_TRUE(like("a*c*e", "abcde"));
    EXPECT_FALSE(like("a*c*e", "abcdef"));
    EXPECT_TRUE(like("*aab", "aaaab"));
}

TEST(JetPattern, LettersCompareUnderTheCatalogueRule)
{
    EXPECT_TRUE(like("*abc*", "xABCx"));
    EXPECT_TRUE(like("*ａｂｃ*", "ＡＢＣ"));
    EXPECT_TRUE(like("*ＡＢＣ*", "ａｂｃ計画"));
    EXPECT_TRUE(like("abc", "ａｂｃ"));
    EXPECT_TRUE(like("あ", "ア"));
    EXPECT_TRUE(like("*カナ*", "ｶﾅ資料"));
    EXPECT_TRUE(like("*かな*", "カナ"));
    EXPECT_TRUE(like("ガイド", "ｶﾞｲﾄﾞ"));
    EXPECT_TRUE(like("*café*", "CAFÉ"));
    EXPECT_FALSE(like("*カ*", "ガ"));
    EXPECT_FALSE(like("*cafe*", "café"));
}

// Each pattern character works beside full-width text, and only its ASCII
// form is a pattern character: the full-width form stands for itself.
TEST(JetPattern, PatternCharactersBesideFullWidthText)
{
    // *
    EXPECT_TRUE(like("*ＡＢＣ*", "x abc y"));
    EXPECT_TRUE(like("ａ＊", "a*"));
    EXPECT_FALSE(like("ａ＊", "ab"));
    // ? takes one letter as the rule sees it: ｶﾞ is one, が.
    EXPECT_TRUE(like("?ａ", "ｶﾞa"));
    EXPECT_TRUE(like("ＡＢ?", "ab１"));
    EXPECT_FALSE(like("ＡＢ?", "ab"));
    EXPECT_TRUE(like("ａ？", "a?"));
    EXPECT_FALSE(like("ａ？", "ab"));
    // #
    EXPECT_TRUE(like("ＡＢ#", "ab９"));
    EXPECT_TRUE(like("ＡＢ#", "ＡＢ0"));
    EXPECT_FALSE(like("ＡＢ#", "abc"));
    EXPECT_TRUE(like("ａ＃", "a#"));
    EXPECT_FALSE(like("ａ＃", "a1"));
    // [ and ]: the full-width brackets are plain letters.
    EXPECT_TRUE(like("*［ａ］*", "x[A]y"));
    EXPECT_FALSE(like("*［ａ］*", "xay"));
    EXPECT_TRUE(like("[ＡＢ]ｚ", "bz"));
    // ! negates only in its ASCII form.
    EXPECT_TRUE(like("[!ＡＢ]ｘ", "cx"));
    EXPECT_FALSE(like("[!ＡＢ]ｘ", "ａx"));
    EXPECT_TRUE(like("[！ａ]", "!"));
    EXPECT_TRUE(like("[！ａ]", "A"));
    EXPECT_FALSE(like("[！ａ]", "b"));
    // - makes a range only in its ASCII form.
    EXPECT_TRUE(like("[ａ－ｃ]", "-"));
    EXPECT_FALSE(like("[ａ－ｃ]", "b"));
    EXPECT_TRUE(like("[ａ-ｃ]", "b"));
}

// Range ends are folded like the text: [ｱ-ｵ] is あ to お, both ends included.
TEST(JetPattern, RangeEndsAreFolded)
{
    for (const char* inside : {"ｱ", "ｵ", "あ", "お", "ア", "オ", "う", "ゥ"})
        EXPECT_TRUE(like("[ｱ-ｵ]", inside)) << inside;
    for (const char* outside : {"ｶ", "か", "ぁ", "ヴ", "a"})
        EXPECT_FALSE(like("[ｱ-ｵ]", outside)) << outside;
    EXPECT_TRUE(like("[ｶﾞ-ｺﾞ]", "ぐ"));
    EXPECT_TRUE(like("[ｶﾞ-ｺﾞ]", "ｺﾞ"));
    EXPECT_FALSE(like("[ｶﾞ-ｺﾞ]", "か"));
    EXPECT_FALSE(like("[ｶﾞ-ｺﾞ]", "さ"));
    for (const char* end : {"Z", "Ｚ", "z", "ａ", "A"})
        EXPECT_TRUE(like("[Ａ-Ｚ]", end)) << end;
    EXPECT_FALSE(like("[Ａ-Ｚ]", "0"));
    for (const char* digit : {"9", "９", "0", "０"})
        EXPECT_TRUE(like("[０-９]", digit)) << digit;
    EXPECT_TRUE(like("[a-]", "-"));
    EXPECT_TRUE(like("[a-]", "A"));
    EXPECT_FALSE(like("[a-]", "b"));
    EXPECT_TRUE(like("[-ｚ]", "-"));
    // A "-" may end a range too; one the wrong way round holds nothing.
    EXPECT_TRUE(like("[+--]", ","));
    EXPECT_TRUE(like("[+--]", "-"));
    EXPECT_FALSE(like("[+--]", "."));
    EXPECT_FALSE(like("[a--]", "-"));
    EXPECT_FALSE(like("[a--]", "a"));
    EXPECT_TRUE(like("[!ｱ-ｵ]", "か"));
    EXPECT_FALSE(like("[!ｱ-ｵ]", "オ"));
}

TEST(JetPattern, SingleCharacterClasses)
{
    EXPECT_TRUE(like("a?c", "abc"));
    EXPECT_TRUE(like("a?c", "aあc"));
    EXPECT_FALSE(like("a?c", "ac"));
    EXPECT_TRUE(like("v#", "v2"));
    EXPECT_TRUE(like("v#", "v２"));
    EXPECT_FALSE(like("v#", "vx"));
    EXPECT_TRUE(like("[abc]x", "Bx"));
    EXPECT_TRUE(like("[a-c]x", "bx"));
    EXPECT_FALSE(like("[a-c]x", "dx"));
    EXPECT_TRUE(like("[!a-c]x", "dx"));
    EXPECT_FALSE(like("[!a-c]x", "Ax"));
    EXPECT_TRUE(like("[*]", "*"));
    EXPECT_FALSE(like("[*]", "a"));
}

TEST(JetPattern, SqlWildcardsAndQuotesAreOrdinaryCharacters)
{
    EXPECT_TRUE(like("*50%*", "割引50%"));
    EXPECT_FALSE(like("*50%*", "割引500"));
    EXPECT_FALSE(like("a_c", "abc"));
    EXPECT_TRUE(like("a_c", "a_c"));
    EXPECT_TRUE(like("*Bob's*", "Bob's notes"));
}

TEST(JetPattern, UnclosedListIsMalformed)
{
    EXPECT_FALSE(jetLikeMatch(u"*[ab*", u"a").has_value());
}

TEST(JetPattern, LongTextsWithManyStarsStayFast)
{
    // Naive backtracking would take exponential time here.
    const QString text = QString(5000, QLatin1Char('a'));
    const auto result = jetLikeMatch(u"*a*a*a*a*a*a*a*a*b", text);
    ASSERT_TRUE(result.has_value());
    EXPECT_FALSE(*result);
}

} // namespace
