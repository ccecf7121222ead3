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

TEST(JetPattern, CaseIsIgnoredForAsciiAndFullWidthLetters)
{
    EXPECT_TRUE(like("*abc*", "xABCx"));
    EXPECT_TRUE(like("*ａｂｃ*", "ＡＢＣ"));
    EXPECT_TRUE(like("*ＡＢＣ*", "ａｂｃ"));
    // Full-width and half-width letters are different letters.
    EXPECT_FALSE(like("abc", "ａｂｃ"));
    EXPECT_FALSE(like("あ", "ア"));
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
