#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include <QString>

#include "store/jet_pattern.h"

namespace
{

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

// Literal runs at either end of a star, empty runs between adjacent stars,
// and runs that overlap themselves, which a run search must not skip past.
TEST(JetPattern, LiteralRunsAroundStars)
{
    EXPECT_TRUE(like("abc*", "abcdef"));
    EXPECT_FALSE(like("abc*", "xabcdef"));
    EXPECT_TRUE(like("abc*", "abc"));
    EXPECT_FALSE(like("abc*", "ab"));
    EXPECT_TRUE(like("*def", "abcdef"));
    EXPECT_FALSE(like("*def", "abcdefx"));
    EXPECT_TRUE(like("*def", "def"));
    EXPECT_TRUE(like("ab*ab", "abab"));
    EXPECT_FALSE(like("ab*ab", "aba"));
    EXPECT_FALSE(like("ab*ba", "aba"));
    EXPECT_TRUE(like("a***b", "ab"));
    EXPECT_TRUE(like("***", ""));
    EXPECT_FALSE(like("a**", ""));
    EXPECT_TRUE(like("*ab*ab*", "abab"));
    EXPECT_FALSE(like("*ab*ab*", "aba"));
    EXPECT_TRUE(like("*aab*", "aaab"));
    EXPECT_TRUE(like("*abab*c", "abaababab c"));
    EXPECT_FALSE(like("*abab*c", "ababc abab"));
    EXPECT_TRUE(like("*a?c*", "xxabxabcx"));
    EXPECT_FALSE(like("*a?c*", "xxabxacx"));
    EXPECT_TRUE(like("*?b#*", "ab1"));
    EXPECT_FALSE(like("*?b#*", "b1"));
    EXPECT_TRUE(like("x*[ab]c?*y", "x..bcz..y"));
    EXPECT_FALSE(like("x*[ab]c?*y", "x..bcy"));
}

// A plain matcher for ASCII patterns, by dynamic programming over every
// pattern position and text position: slow, but plainly right.
bool referenceLike(const std::string& pattern, const std::string& text)
{
    struct Token {
        char kind; // 'l' literal, '*', '?', '#', '[' set
        std::string set;
        bool negated = false;
        char literal = 0;
    };
    std::vector<Token> tokens;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '[') {
            const size_t close = pattern.find(']', i + 1);
            Token token{'[', pattern.substr(i + 1, close - i - 1)};
            if (!token.set.empty() && token.set[0] == '!') {
                token.negated = true;
                token.set.erase(0, 1);
            }
            tokens.push_back(token);
            i = close;
        } else if (c == '*' || c == '?' || c == '#') {
            tokens.push_back(Token{c, {}});
        } else {
            Token token{'l', {}};
            token.literal = c;
            tokens.push_back(token);
        }
    }
    const auto one = [](const Token& t, char c) {
        switch (t.kind) {
        case '?':
            return true;
        case '#':
            return c >= '0' && c <= '9';
        case '[':
            return (t.set.find(c) != std::string::npos) != t.negated;
        default:
            return c == t.literal;
        }
    };
    // at[i][j]: the first i tokens match the first j letters.
    std::vector<std::vector<bool>> at(tokens.size() + 1, std::vector<bool>(text.size() + 1));
    at[0][0] = true;
    for (size_t i = 1; i <= tokens.size(); ++i) {
        for (size_t j = 0; j <= text.size(); ++j) {
            if (tokens[i - 1].kind == '*')
                at[i][j] = at[i - 1][j] || (j > 0 && at[i][j - 1]);
            else
                at[i][j] = j > 0 && at[i - 1][j - 1] && one(tokens[i - 1], text[j - 1]);
        }
    }
    return at[tokens.size()][text.size()];
}

TEST(JetPattern, AgreesWithAPlainMatcherOnRandomPatterns)
{
    std::mt19937 random(7);
    const std::vector<std::string> pieces = {"a", "b", "a",    "b",    "*",
                                             "?", "#", "[ab]", "[!a]", "1"};
    int matched = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string pattern;
        for (size_t n = random() % 7; n > 0; --n)
            pattern += pieces[random() % pieces.size()];
        std::string text;
        for (size_t n = random() % 9; n > 0; --n)
            text += "ab1"[random() % 3];
        const bool expected = referenceLike(pattern, text);
        matched += expected;
        ASSERT_EQ(like(pattern.c_str(), text.c_str()), expected)
            << "pattern " << pattern << " text " << text;
    }
    // Both outcomes were exercised in number.
    EXPECT_GT(matched, 1000);
    EXPECT_LT(matched, 19000);
}

// Long names and long search texts: the search text found at either end,
// in the middle and not at all, where it nearly occurs everywhere.
TEST(JetPattern, LongTextsAndLongSearchTexts)
{
    const QString needle = QString(999, QLatin1Char('a')) + QLatin1Char('b');
    const QString filler(30000, QLatin1Char('a'));
    const auto search = [&](const QString& text) {
        return jetLikeMatch(QLatin1Char('*') + needle + QLatin1Char('*'), text).value_or(false);
    };
    EXPECT_FALSE(search(filler));
    EXPECT_TRUE(search(filler + QLatin1Char('b')));
    EXPECT_TRUE(search(QLatin1Char('b') + filler.left(999) + QLatin1Char('B') + filler));
    EXPECT_TRUE(search(filler.left(15000) + QLatin1Char('b') + filler.left(15000)));
    EXPECT_FALSE(search(filler.left(998) + QLatin1Char('b') + filler.left(15000)));
    // Full-width letters in the text fold to the search text's letters.
    EXPECT_TRUE(search(QString(1000, QChar(0xFF41)) + QChar(0xFF42)));
    // A star inside a long search text, and classes around it.
    const QString half(500, QLatin1Char('a'));
    const QString pattern = "*" + half + "?*#" + half + "*";
    EXPECT_TRUE(jetLikeMatch(pattern, filler + "x1" + filler).value_or(false));
    EXPECT_FALSE(jetLikeMatch(pattern, filler + "x" + filler).value_or(true));
}

TEST(JetPattern, NulIsAnOrdinaryLetter)
{
    // So is U+FEFF at the start of a literal run: no byte-order mark here.
    EXPECT_TRUE(jetLikeMatch(u"\uFEFF計画*", u"\uFEFF計画書").value_or(false));
    EXPECT_FALSE(jetLikeMatch(u"\uFEFF計画*", u"計画書").value_or(true));
    EXPECT_TRUE(jetLikeMatch(u"*\uFEFFß*", u"x\uFEFFSS").value_or(false));
    const QString text = QStringLiteral("前") + QChar(0) + QStringLiteral("後");
    EXPECT_TRUE(jetLikeMatch(u"*後*", text).value_or(false));
    EXPECT_TRUE(
        jetLikeMatch(QStringLiteral("前") + QChar(0) + QStringLiteral("*"), text).value_or(false));
    EXPECT_TRUE(jetLikeMatch(u"前?後", text).value_or(false));
    EXPECT_FALSE(jetLikeMatch(u"前後", text).value_or(true));
}

} // namespace
