#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include <QStringList>

#include "store/name_order.h"
#include "store/text_fold.h"

namespace
{

struct Pair {
    const char* a;
    const char* b;
};

TEST(TextRule, TheseCompareTheSame)
{
    const Pair same[] = {
        {"カナ", "ｶﾅ"},
        {"ガイド", "ｶﾞｲﾄﾞ"},
        {"かな", "カナ"},
        {"ぱぴぷ", "ﾊﾟﾋﾟﾌﾟ"},
        {"ＡＢＣ", "abc"},
        {"Éclair", "éclair"},
        {"CAFÉ", "café"},
        {"①", "1"},
        {"１２３", "123"},
        {"ｚ", "Z"},
        {"Ｚ", "z"},
        {"９", "9"},
        {"ß", "ss"},
        {"STRASSE", "straße"},
        {"ﬁle", "FILE"},
        {"ヴ", "ゔ"},
        {"ゝ", "ヽ"},
        {"全角　空白", "全角 空白"},
        // A voiced mark typed apart joins its letter, as NFKC joins it.
        {"か\u3099", "が"},
        {"e\u0301", "é"},
    };
    for (const auto& [a, b] : same) {
        EXPECT_TRUE(sameUnderRule(QString::fromUtf8(a), QString::fromUtf8(b))) << a << " / " << b;
        EXPECT_EQ(foldForComparison(QString::fromUtf8(a)), foldForComparison(QString::fromUtf8(b)));
    }
}

TEST(TextRule, TheseStayDifferent)
{
    const Pair different[] = {
        {"カ", "ガ"}, {"は", "ぱ"}, {"ば", "ぱ"}, {"1", "2"},   {"あ", "ぁ"},  {"ツ", "ッ"},
        {"e", "é"},   {"a", "ä"},   {"0", "O"},   {"漢", "汉"}, {"ア", "ア "}, {"", " "},
    };
    for (const auto& [a, b] : different)
        EXPECT_FALSE(sameUnderRule(QString::fromUtf8(a), QString::fromUtf8(b))) << a << " / " << b;
}

TEST(TextRule, FoldedFormIsHalfWidthLowerCaseHiragana)
{
    EXPECT_EQ(foldForComparison(u"ＡＢＣ ｶﾞｲﾄﾞ ﾃﾞｰﾀ ９"), QStringLiteral("abc がいど でーた 9"));
    EXPECT_EQ(foldForComparison(u""), QString());
}

// The rule written out plainly, for the characters Japanese names are mostly
// made of (none of them needs more than simple case folding).
QString plainRule(const QString& text)
{
    QString folded = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    for (QChar& c : folded) {
        const char16_t u = c.unicode();
        if ((u >= 0x30A1 && u <= 0x30F6) || u == 0x30FD || u == 0x30FE)
            c = QChar(char16_t(u - 0x60));
    }
    return folded;
}

// Every character of ASCII, the kana blocks, CJK punctuation and the full-
// and half-width forms, alone, after a kana and before a voicing mark, folds
// as the rule says.
TEST(TextRule, EveryCommonCharacterFoldsAsTheRuleSays)
{
    QStringList samples;
    const auto addRange = [&](char16_t first, char16_t last) {
        for (char16_t c = first; c <= last; ++c) {
            const QString one(QChar{c});
            samples << one << QStringLiteral("か") + one << one + QChar(0x3099)
                    << one + QChar(0xFF9E) << one + QChar(0xFF9F);
        }
    };
    addRange(0x20, 0x7E);
    addRange(0x3000, 0x30FF);
    addRange(0xFF01, 0xFF9F);
    samples << QStringLiteral("漢字") << QStringLiteral("ＡＢＣ計画") << QStringLiteral("ｶﾞｲﾄﾞﾌﾞｯｸ")
            << QStringLiteral("ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ") << QStringLiteral("ｳﾞｧ");
    for (const QString& sample : samples)
        EXPECT_EQ(foldForComparison(sample), plainRule(sample)) << sample.toStdString();
}

QStringList byKey(QStringList names)
{
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return japaneseSortKey(a) < japaneseSortKey(b);
    });
    return names;
}

// A catalogue's worth of names written every way a Japanese user writes them.
const QStringList kMixed = {
    "漢字",     "一覧",         "亜細亜",  "東京",    "2",      "10",     "1",         "２０",
    "9ab",      "100",          "abc",     "ABD",     "ＡＢＥ", "Éclair", "eclair",    "zeta",
    "Ｚｅｔａ", "あいう",       "アイス",  "ｱｲｽｸﾘｰﾑ", "かな",   "カナ",   "ｶﾅ",        "がっこう",
    "ガイド",   "ｶﾞｲﾄﾞ",        "データ",  "でんわ",  "でえた", "ぱん",   "はん",      "ばん",
    "ん",       "ヴァイオリン", "ー",      "章1",     "章10",   "章2",    "ｶﾞｲﾄﾞﾌﾞｯｸ", "ｷｬﾝﾌﾟ",
    "#1",       "(メモ)",       "_下書き", " 空白",   "ｚｚ",   "Ωmega",  "Яблоко",    "写真2024",
    "写真2023", "おちゃ",       "おちや",  "OK",      "ok",     "Ok",     "ｏｋ",      "ストラッセ",
    "straße",   "strasse",
};

TEST(JapaneseOrder, GroupsComeInOrderDigitsLatinKanaKanji)
{
    const QStringList sorted =
        byKey({"漢字", "かな", "カナ", "ｶﾅ", "abc", "ＡＢＣ", "10", "２", "1"});
    EXPECT_EQ(sorted,
              QStringList({"1", "２", "10", "abc", "ＡＢＣ", "かな", "カナ", "ｶﾅ", "漢字"}));
}

TEST(JapaneseOrder, NumbersCountAsNumbers)
{
    EXPECT_EQ(byKey({"章10", "章2", "章１", "章100", "章09"}),
              QStringList({"章１", "章2", "章09", "章10", "章100"}));
}

// Every name of the table in its place: ICU's Japanese collation with numbers
// by value, ties between writings of one name broken by the exact spelling.
TEST(JapaneseOrder, MixedNamesInOrder)
{
    const QStringList expected = {
        " 空白",        "_下書き",  "(メモ)",   "#1",     "ー",         "1",         "2",
        "9ab",          "10",       "２０",     "100",    "abc",        "ABD",       "ＡＢＥ",
        "eclair",       "Éclair",   "ok",       "ｏｋ",   "Ok",         "OK",        "strasse",
        "straße",       "zeta",     "Ｚｅｔａ", "ｚｚ",   "あいう",     "アイス",    "ｱｲｽｸﾘｰﾑ",
        "ヴァイオリン", "おちゃ",   "おちや",   "ガイド", "ｶﾞｲﾄﾞ",      "ｶﾞｲﾄﾞﾌﾞｯｸ", "がっこう",
        "かな",         "カナ",     "ｶﾅ",       "ｷｬﾝﾌﾟ",  "ストラッセ", "データ",    "でえた",
        "でんわ",       "はん",     "ばん",     "ぱん",   "ん",         "亜細亜",    "一覧",
        "漢字",         "写真2023", "写真2024", "章1",    "章2",        "章10",      "東京",
        "Ωmega",        "Яблоко",
    };
    EXPECT_EQ(byKey(kMixed), expected);
}

// The collation lengthens a kana with ー only after a full-width one; here a
// half-width ｰ does the same, so ﾃﾞｰﾀ sorts beside データ.
TEST(JapaneseOrder, HalfWidthLengthMarkSortsLikeTheFullWidthOne)
{
    EXPECT_EQ(byKey({"でんわ", "ﾃﾞｰﾀﾍﾞｰｽ", "てがみ", "データ", "ﾃﾞｰﾀ", "でえた"}),
              QStringList({"データ", "ﾃﾞｰﾀ", "でえた", "ﾃﾞｰﾀﾍﾞｰｽ", "てがみ", "でんわ"}));
}

TEST(JapaneseOrder, DifferentNamesNeverTie)
{
    const QStringList sorted = byKey(kMixed);
    for (qsizetype i = 1; i < sorted.size(); ++i)
        EXPECT_LT(japaneseSortKey(sorted[i - 1]), japaneseSortKey(sorted[i]));
    EXPECT_EQ(japaneseSortKey(u"ｶﾅ"), japaneseSortKey(u"ｶﾅ"));
    // Each thread has a collator of its own; all of them give the same keys.
    std::vector<QByteArray> elsewhere;
    std::thread([&] {
        for (const QString& name : sorted)
            elsewhere.push_back(japaneseSortKey(name));
    }).join();
    ASSERT_EQ(qsizetype(elsewhere.size()), sorted.size());
    for (qsizetype i = 0; i < sorted.size(); ++i)
        EXPECT_EQ(elsewhere[size_t(i)], japaneseSortKey(sorted[i])) << sorted[i].toStdString();
}

} // namespace
