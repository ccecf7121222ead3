#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <vector>

#include <QProcess>
#include <QTemporaryDir>

#include "store/catalogue_db.h"
#include "store/category_queries.h"
#include "store/name_lookup.h"
#include "store/search_all.h"
#include "store/name_order.h"
#include "store/title_queries.h"

namespace
{

// A fresh catalogue file in its own folder, opened the way the program opens
// it (with the comparison rule registered).
class StoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = catalogueFilePath(m_dir.path());
        ASSERT_TRUE(createCatalogueIfMissing(m_path));
    }

    QString path() const { return m_path; }

    // Writes as another SQLite program would: no functions registered.
    void plainSql(const QString& statement)
    {
        SqliteDatabase plain(m_path);
        plain.exec(statement);
    }

    void addTitle(const QString& name, const QString& category,
                  const QString& description = QStringLiteral(" "))
    {
        CatalogueDb db(m_path);
        store::insertTitle(db, TitleRecord{name, description, QStringLiteral(" "),
                                               QStringLiteral(" \r\n"), QStringLiteral(" "),
                                               QStringLiteral(" "), category});
    }

    QStringList rows(const QString& query)
    {
        SqliteDatabase plain(m_path);
        auto statement = plain.prepare(query);
        QStringList result;
        while (statement.step())
            result.append(statement.text(0));
        return result;
    }

    // Makes every following operation meet a locked file, as when another
    // program holds a write transaction.
    std::unique_ptr<SqliteDatabase> lockFile()
    {
        auto holder = std::make_unique<SqliteDatabase>(m_path);
        holder->exec(QStringLiteral("BEGIN EXCLUSIVE"));
        return holder;
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// ---- Selection by category ------------------------------------------------

TEST_F(StoreTest, CategoryWrittenDifferentlySelectsItsTitles)
{
    addTitle("手順書", "ＤＯＣＳ");
    addTitle("ｶﾅ資料", "ＤＯＣＳ");
    addTitle("別件", "other");
    CatalogueDb db(path());
    for (const QString& typed : QStringList{"ｄｏｃｓ", "docs", "DOCS", "ＤＯＣＳ"}) {
        EXPECT_EQ(store::listTitles(db, typed), QStringList({"ｶﾅ資料", "手順書"}))
            << typed.toStdString();
        EXPECT_EQ(store::searchTitles(db, typed, "かな"), QStringList({"ｶﾅ資料"}));
    }
    EXPECT_TRUE(store::listTitles(db, "doc").isEmpty());
    EXPECT_EQ(store::deleteTitlesOfCategory(db, "ｄｏｃｓ"), 2);
    EXPECT_EQ(rows("SELECT タイトル名 FROM タイトル"), QStringList({"別件"}));
}

TEST_F(StoreTest, KanaAndWidthOfACategoryAreIgnored)
{
    addTitle("a", "ｼﾞｬﾝﾙ");
    CatalogueDb db(path());
    EXPECT_EQ(store::listTitles(db, "じゃんる"), QStringList({"a"}));
    EXPECT_EQ(store::listTitles(db, "ジャンル"), QStringList({"a"}));
    EXPECT_TRUE(store::listTitles(db, "シャンル").isEmpty());
}

// ---- Uniqueness -----------------------------------------------------------

TEST_F(StoreTest, TitleThatComparesTheSameIsRefusedInAnyCategory)
{
    addTitle("abc", "x");
    addTitle("カナ", "x");
    addTitle("straße", "x");
    const QString refused[] = {"ＡＢＣ", "ABC", "ａｂｃ", "かな", "ｶﾅ", "STRASSE", "カナ"};
    for (const QString& name : refused) {
        EXPECT_THROW(addTitle(name, "elsewhere", "new"), DuplicateName) << name.toStdString();
    }
    EXPECT_EQ(rows("SELECT count(*) FROM タイトル"), QStringList({"3"}));
    EXPECT_EQ(rows("SELECT count(*) FROM タイトル WHERE 説明 = 'new'"), QStringList({"0"}));
    // Names that only look alike are still new titles.
    EXPECT_NO_THROW(addTitle("ガナ", "x"));
    EXPECT_NO_THROW(addTitle("abd", "x"));
}

TEST_F(StoreTest, CategoryThatComparesTheSameIsRefused)
{
    CatalogueDb db(path());
    store::insertCategory(db, "ＤＯＣＳ");
    store::insertCategory(db, "かな");
    for (const QString& name : QStringList{"docs", "Docs", "ｄｏｃｓ", "カナ", "ｶﾅ"})
        EXPECT_THROW(store::insertCategory(db, name), DuplicateName) << name.toStdString();
    EXPECT_THROW(store::insertCategory(db, ""), DbError);
    EXPECT_EQ(store::listCategories(db), QStringList({"ＤＯＣＳ", "かな"}));
    EXPECT_NO_THROW(store::insertCategory(db, "がな"));
}

// ---- Search over the whole stored text -------------------------------------

TEST_F(StoreTest, SearchSeesTextAfterANul)
{
    const QString withNul = QStringLiteral("前書き") + QChar(0) + QStringLiteral("隠れた後半");
    addTitle(withNul, "x");
    addTitle("後半だけ", "y");
    CatalogueDb db(path());
    EXPECT_EQ(store::searchTitles(db, "x", "隠れた"), QStringList({withNul}));
    EXPECT_EQ(store::searchTitles(db, "x", "書き?隠"), QStringList({withNul}));
    EXPECT_TRUE(store::searchTitles(db, "x", "書き隠").isEmpty());
}

TEST_F(StoreTest, LongNamesAreSearchedWhole)
{
    // Names that nearly hold the search text everywhere; one holds it at its
    // very end, one across its middle.
    const QString searchText = QString(999, QChar(u'あ')) + QChar(u'い');
    {
        SqliteDatabase plain(path());
        plain.transaction([&] {
            auto insert =
                plain.prepare("INSERT INTO タイトル (タイトル名, カテゴリ名) VALUES (?, 'long')");
            for (int i = 0; i < 100; ++i) {
                QString name = QString::number(i) + QString(30000, QChar(u'ア'));
                if (i == 17)
                    name += QChar(u'イ');
                if (i == 60)
                    name.insert(15000, QChar(u'ｲ'));
                insert.bind(1, name);
                insert.step();
                insert.reset();
            }
        });
    }
    CatalogueDb db(path());
    QStringList found = store::searchTitles(db, "long", searchText);
    ASSERT_EQ(found.size(), 2);
    std::sort(found.begin(), found.end(),
              [](const QString& a, const QString& b) { return a.size() < b.size(); });
    EXPECT_TRUE(found[0].startsWith("17") || found[0].startsWith("60"));
    EXPECT_EQ(found[0].size(), 30003);
    EXPECT_TRUE(store::searchTitles(db, "long", searchText + QChar(u'い')).isEmpty());
    EXPECT_EQ(store::searchTitles(db, "long", "#" + searchText.right(10)).size(), 0);
    EXPECT_EQ(store::searchTitles(db, "long", "ｱｱ*ｲ").size(), 2);
}

// The narrowing search's rows, run through the search over every category as
// well: the same pattern language and rule, and besides the category's names
// the descriptions and the other categories.
TEST_F(StoreTest, SearchOverEveryCategoryMatchesAsTheCategorySearch)
{
    for (const char* name : {"年間計画", "計画書ABC", "議事録", "50%off", "5000off", "a_b", "axb"})
        addTitle(QString::fromUtf8(name), "文書");
    addTitle("予定表", "文書", "来年の計画");
    addTitle("ｶﾞｲﾄﾞ", "docs", "abcの手引き");
    addTitle("旅行計画", "Docs");
    addTitle("a?b", "未登録");
    CatalogueDb db(path());
    store::insertCategory(db, "文書");
    store::insertCategory(db, "docs");
    const qint64 documents = *store::selectedCategoryRow(db, "文書");
    const qint64 docs = *store::selectedCategoryRow(db, "docs");

    struct Case {
        QString text;
        QStringList inCategory; // the category search in 文書, sorted
        QStringList everywhere; // "category/title", as listed
    };
    const Case cases[] = {
        {"計画",
         {"年間計画", "計画書ABC"},
         {"docs/旅行計画", "文書/年間計画", "文書/計画書ABC", "文書/予定表"}},
        {"abc", {"計画書ABC"}, {"docs/ｶﾞｲﾄﾞ", "文書/計画書ABC"}},
        {"ａｂｃ", {"計画書ABC"}, {"docs/ｶﾞｲﾄﾞ", "文書/計画書ABC"}},
        {"がいど", {}, {"docs/ｶﾞｲﾄﾞ"}},
        {"0%", {"50%off"}, {"文書/50%off"}},
        {"_", {"a_b"}, {"文書/a_b"}},
        {"a?b", {"a_b", "axb"}, {"文書/a_b", "文書/axb", "未登録/a?b"}},
        {"[?]", {}, {"未登録/a?b"}},
        {"#%", {"50%off"}, {"文書/50%off"}},
        {"来年", {}, {"文書/予定表"}},
        {"手引き計画", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QStringList inCategory = store::searchTitles(db, "文書", c.text);
        inCategory.sort();
        EXPECT_EQ(inCategory, c.inCategory);
        QStringList everywhere;
        for (const FoundTitle& found : store::searchAllTitles(db, c.text)) {
            everywhere.append(found.category + "/" + found.name);
            // The category row is the one that lists the title.
            if (found.category == "文書")
                EXPECT_EQ(found.categoryRow, documents);
            else if (found.category == "docs")
                EXPECT_EQ(found.categoryRow, docs);
            else
                EXPECT_FALSE(found.categoryRow);
        }
        EXPECT_EQ(everywhere, c.everywhere);
    }
    EXPECT_EQ(store::searchAllTitles(db, "").size(), 11);
    EXPECT_THROW(store::searchAllTitles(db, "[on"), DbError);
}

// ---- One title by name ----------------------------------------------------

TEST_F(StoreTest, TitleIsFoundByAnyWritingOfItsName)
{
    addTitle("ｶﾞｲﾄﾞ", "x", "guide");
    CatalogueDb db(path());
    const auto title = store::readTitle(db, "がいど");
    ASSERT_TRUE(title);
    EXPECT_EQ(title->name, "ｶﾞｲﾄﾞ");
    EXPECT_EQ(title->description, "guide");
    EXPECT_TRUE(store::titleExists(db, "ガイド"));
    EXPECT_FALSE(store::titleExists(db, "カイド"));
    EXPECT_FALSE(store::readTitle(db, "かいど"));

    // An update through another writing takes that spelling, as the editor
    // shows it; stored names are otherwise never rewritten.
    EXPECT_TRUE(
        store::updateTitle(db, TitleRecord{"ガイド", "updated", " ", " \r\n", " ", " ", "x"}));
    EXPECT_EQ(rows("SELECT タイトル名 || '|' || 説明 FROM タイトル"),
              QStringList({"ガイド|updated"}));
    EXPECT_FALSE(store::updateTitle(db, TitleRecord{"カイド", "no", " ", " ", " ", " ", "x"}));
    EXPECT_FALSE(store::deleteTitle(db, "かいど"));
    EXPECT_TRUE(store::deleteTitle(db, "ｶﾞｲﾄﾞ"));
    EXPECT_TRUE(rows("SELECT タイトル名 FROM タイトル").isEmpty());
}

// A file written before the rule (or by another tool) may hold names that now
// compare the same: the exact spelling wins, and both are listed.
TEST_F(StoreTest, OlderFileWithTwoNamesThatCompareTheSame)
{
    plainSql("INSERT INTO タイトル (タイトル名, 説明, カテゴリ名) VALUES "
             "('カナ', 'katakana', 'old'), ('かな', 'hiragana', 'old'), "
             "('ＡＢＣ', 'wide', 'old'), ('abc', 'narrow', 'old')");
    plainSql("INSERT INTO カテゴリ VALUES ('ＤＯＣＳ'), ('docs')");
    CatalogueDb db(path());
    EXPECT_EQ(store::listTitles(db, "old"), QStringList({"abc", "ＡＢＣ", "かな", "カナ"}));
    EXPECT_EQ(store::searchTitles(db, "old", "ｶﾅ").size(), 2);

    EXPECT_EQ(store::readTitle(db, "カナ")->description, "katakana");
    EXPECT_EQ(store::readTitle(db, "かな")->description, "hiragana");
    EXPECT_EQ(store::readTitle(db, "ＡＢＣ")->description, "wide");
    EXPECT_EQ(store::readTitle(db, "abc")->description, "narrow");
    // No exact spelling: the one that differs in ASCII case only, else the
    // first in binary order, always the same.
    EXPECT_EQ(store::readTitle(db, "ABC")->description, "narrow");
    EXPECT_EQ(store::readTitle(db, "ｶﾅ")->description, "hiragana");

    EXPECT_TRUE(
        store::updateTitle(db, TitleRecord{"カナ", "changed", " ", " ", " ", " ", "old"}));
    EXPECT_EQ(rows("SELECT 説明 FROM タイトル WHERE タイトル名 IN ('カナ', 'かな') ORDER BY 1"),
              QStringList({"changed", "hiragana"}));
    EXPECT_TRUE(store::deleteTitle(db, "ＡＢＣ"));
    EXPECT_EQ(rows("SELECT 説明 FROM タイトル WHERE 説明 IN ('wide', 'narrow')"),
              QStringList({"narrow"}));

    EXPECT_TRUE(store::deleteCategory(db, "docs"));
    EXPECT_EQ(rows("SELECT カテゴリ名 FROM カテゴリ"), QStringList({"ＤＯＣＳ"}));
}

// Titles keep mixed spellings of their category from before, and an older
// file may hold two category rows that compare the same. A title belongs to
// the category row its spelling selects: the exact row where two compare the
// same, else the first of them; a new or updated title takes the spelling of
// the row the typed category selects.
TEST_F(StoreTest, ATitleBelongsToTheCategoryItsSpellingSelects)
{
    struct Case {
        const char* what;
        QStringList categories; // in the list's order
        QStringList titles;     // name, category, name, category, ...
        QString typed;
        QStringList listed; // "新" registered under typed included, in name order
        QString stored;     // the category "新" is filed under
        QStringList left;   // after deleting the category's titles
    };
    const Case cases[] = {
        {"registered under docs and Docs",
         {"docs"},
         {"A1", "docs", "B1", "Docs"},
         "Docs",
         {"A1", "B1", "新"},
         "docs",
         {}},
        {"full-width spelling",
         {"ＤＯＣＳ"},
         {"A1", "ｄｏｃｓ", "B1", "ＤＯＣＳ", "C1", "x"},
         "ＤＯＣＳ",
         {"A1", "B1", "新"},
         "ＤＯＣＳ",
         {"C1"}},
        {"two rows, exact spelling",
         {"ＤＯＣＳ", "docs"},
         {"wide1", "ＤＯＣＳ", "narrow1", "docs", "stray", "Docs"},
         "ＤＯＣＳ",
         {"stray", "wide1", "新"},
         "ＤＯＣＳ",
         {"narrow1"}},
        {"two rows, the second",
         {"ＤＯＣＳ", "docs"},
         {"wide1", "ＤＯＣＳ", "narrow1", "docs", "stray", "Docs"},
         "docs",
         {"narrow1", "新"},
         "docs",
         {"stray", "wide1"}},
        {"two rows, neither spelling",
         {"ＤＯＣＳ", "docs"},
         {"wide1", "ＤＯＣＳ", "narrow1", "docs", "stray", "Docs"},
         "ｄｏｃｓ",
         {"stray", "wide1", "新"},
         "ＤＯＣＳ",
         {"narrow1"}},
        {"no category row", {}, {"a", "x", "b", "X"}, "X", {"a", "b", "新"}, "X", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (bool byRow : {false, true}) {
            SCOPED_TRACE(byRow ? "by row" : "by name");
            plainSql("DELETE FROM タイトル");
            plainSql("DELETE FROM カテゴリ");
            for (const QString& category : c.categories)
                plainSql(QStringLiteral("INSERT INTO カテゴリ VALUES ('%1')").arg(category));
            for (qsizetype i = 0; i < c.titles.size(); i += 2)
                plainSql(QStringLiteral("INSERT INTO タイトル (タイトル名, カテゴリ名) "
                                        "VALUES ('%1', '%2')")
                             .arg(c.titles[i], c.titles[i + 1]));
            addTitle("新", c.typed);
            CatalogueDb db(path());
            const std::optional<qint64> row = store::selectedCategoryRow(db, c.typed);
            ASSERT_EQ(row.has_value(), !c.categories.isEmpty());
            auto namesOf = [](const QList<NamedRow>& rows) {
                QStringList names;
                for (const NamedRow& r : rows)
                    names.append(r.name);
                std::sort(names.begin(), names.end());
                return names;
            };
            const auto listed = byRow ? store::listTitleRowsOfCategoryRow(db, *row)
                                      : store::listTitleRows(db, c.typed);
            EXPECT_EQ(namesOf(listed), c.listed);
            const auto found = byRow ? store::searchTitleRowsOfCategoryRow(db, *row, "1")
                                     : store::searchTitleRows(db, c.typed, "1");
            EXPECT_EQ(namesOf(found), c.listed.filter("1"));
            EXPECT_EQ(rows("SELECT カテゴリ名 FROM タイトル WHERE タイトル名 = '新'"),
                      QStringList({c.stored}));
            // An update through the row files the title the same way.
            plainSql("UPDATE タイトル SET カテゴリ名 = 'elsewhere' WHERE タイトル名 = '新'");
            auto title = store::readStoredTitle(db, "新");
            title->record.category = c.typed;
            ASSERT_TRUE(store::updateTitleByRow(db, title->row, title->record));
            EXPECT_EQ(rows("SELECT カテゴリ名 FROM タイトル WHERE タイトル名 = '新'"),
                      QStringList({c.stored}));
            EXPECT_EQ(byRow ? store::deleteTitlesOfCategoryRow(db, *row)
                            : store::deleteTitlesOfCategory(db, c.typed),
                      c.listed.size());
            auto left = rows("SELECT タイトル名 FROM タイトル");
            std::sort(left.begin(), left.end());
            EXPECT_EQ(left, c.left);
            if (!row)
                break;
        }
    }
}

// ---- Rows found by the row itself -------------------------------------------

// A name written by another tool that is not UTF-8 reads as text with U+FFFD
// in it, the same text as a real U+FFFD name: only its row finds it.
TEST_F(StoreTest, TitleNamedInBytesThatAreNotUtf8IsHandledByItsRow)
{
    // "あf" followed by the lone byte FE, and "あf" followed by a real U+FFFD.
    plainSql("INSERT INTO タイトル VALUES (CAST(x'e3818266fe' AS TEXT), 'bad bytes', ' ', "
             "' ' || char(13, 10), 'x', ' ', ' ')");
    plainSql("INSERT INTO タイトル VALUES ('あf' || char(65533), 'real', ' ', ' ', 'x', ' ', ' ')");
    const QString shown = QStringLiteral("あf") + QChar(0xFFFD);
    const qint64 badRow = rows("SELECT rowid FROM タイトル WHERE hex(タイトル名) = 'E3818266FE'")
                              .first()
                              .toLongLong();

    CatalogueDb db(path());
    const QList<NamedRow> listed = store::listTitleRows(db, "x");
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed[0].name, shown);
    EXPECT_EQ(listed[1].name, shown);
    EXPECT_TRUE(listed.contains(NamedRow{badRow, shown}));
    EXPECT_EQ(store::searchTitleRows(db, "x", "あf").size(), 2);

    const auto read = store::readTitleByRow(db, badRow);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->record.name, shown);
    EXPECT_EQ(read->record.description, "bad bytes");
    EXPECT_EQ(read->record.category, "x");

    // Updating the other fields keeps the name's stored bytes.
    TitleRecord changed = read->record;
    changed.description = "updated";
    EXPECT_TRUE(store::updateTitleByRow(db, badRow, changed));
    EXPECT_EQ(rows("SELECT hex(タイトル名) || ' ' || 説明 FROM タイトル ORDER BY 1"),
              QStringList({"E3818266EFBFBD real", "E3818266FE updated"}));
    // The same with the conditional write, after a fresh read.
    changed.description = "again";
    EXPECT_EQ(
        store::updateTitleIfUnchanged(db, *store::readTitleByRow(db, badRow), changed),
        WriteOutcome::Done);
    EXPECT_EQ(rows("SELECT 説明 FROM タイトル WHERE hex(タイトル名) = 'E3818266FE'"),
              QStringList({"again"}));

    EXPECT_TRUE(store::deleteTitleByRow(db, badRow));
    EXPECT_EQ(rows("SELECT hex(タイトル名) || ' ' || 説明 FROM タイトル"),
              QStringList({"E3818266EFBFBD real"}));
    EXPECT_FALSE(store::deleteTitleByRow(db, badRow));
    EXPECT_FALSE(store::readTitleByRow(db, badRow));
    EXPECT_FALSE(store::updateTitleByRow(db, badRow, changed));
}

TEST_F(StoreTest, UpdateByRowRenamesOnlyToAFreeName)
{
    addTitle("one", "x", "first");
    addTitle("ｶﾅ", "x", "second");
    CatalogueDb db(path());
    const auto one = store::readStoredTitle(db, "ONE");
    ASSERT_TRUE(one);
    TitleRecord renamed = one->record;
    renamed.name = "かな";
    EXPECT_THROW(store::updateTitleByRow(db, one->row, renamed), DuplicateName);
    EXPECT_THROW(store::updateTitleIfUnchanged(db, *one, renamed), DuplicateName);
    renamed.name = "ONE";
    EXPECT_TRUE(store::updateTitleByRow(db, one->row, renamed));
    renamed.name = "two";
    EXPECT_TRUE(store::updateTitleByRow(db, one->row, renamed));
    EXPECT_EQ(rows("SELECT タイトル名 || ' ' || 説明 FROM タイトル ORDER BY 1"),
              QStringList({"two first", "ｶﾅ second"}));
}

TEST_F(StoreTest, CategoryNamedInBytesThatAreNotUtf8IsHandledByItsRow)
{
    plainSql("INSERT INTO カテゴリ VALUES (CAST(x'c3' AS TEXT)), (char(65533)), ('other')");
    plainSql("INSERT INTO タイトル (タイトル名, カテゴリ名) VALUES "
             "('in bad', CAST(x'c3' AS TEXT)), ('also bad', CAST(x'c3' AS TEXT)), "
             "('in real', char(65533))");
    const qint64 badRow =
        rows("SELECT rowid FROM カテゴリ WHERE hex(カテゴリ名) = 'C3'").first().toLongLong();
    const qint64 realRow =
        rows("SELECT rowid FROM カテゴリ WHERE hex(カテゴリ名) = 'EFBFBD'").first().toLongLong();
    CatalogueDb db(path());
    const QList<NamedRow> categories = store::listCategoryRows(db);
    ASSERT_EQ(categories.size(), 3);
    EXPECT_TRUE(categories.contains(NamedRow{badRow, QString(QChar(0xFFFD))}));

    EXPECT_EQ(store::listTitleRowsOfCategoryRow(db, badRow).size(), 2);
    EXPECT_EQ(store::listTitleRowsOfCategoryRow(db, realRow).size(), 1);
    EXPECT_EQ(store::searchTitleRowsOfCategoryRow(db, badRow, "ALSO").size(), 1);
    // A category row that holds no titles lists none; a vanished row neither.
    EXPECT_TRUE(store::listTitleRowsOfCategoryRow(db, badRow + realRow + 100).isEmpty());

    EXPECT_EQ(store::deleteTitlesOfCategoryRow(db, badRow), 2);
    EXPECT_TRUE(store::deleteCategoryByRow(db, badRow));
    EXPECT_FALSE(store::deleteCategoryByRow(db, badRow));
    EXPECT_EQ(rows("SELECT hex(カテゴリ名) FROM カテゴリ ORDER BY 1"),
              QStringList({"6F74686572", "EFBFBD"}));
    EXPECT_EQ(rows("SELECT タイトル名 FROM タイトル"), QStringList({"in real"}));
}

// ---- Writes that depend on what was read -------------------------------------

TEST_F(StoreTest, UpdateOfATitleChangedSinceReadIsRefused)
{
    addTitle("共有", "x", "original");
    CatalogueDb a(path());
    CatalogueDb b(path());
    const auto readByA = store::readStoredTitle(a, "共有");
    const auto readByB = store::readStoredTitle(b, "共有");
    ASSERT_TRUE(readByA && readByB);
    TitleRecord fromB = readByB->record;
    fromB.description = "from B";
    EXPECT_EQ(store::updateTitleIfUnchanged(b, *readByB, fromB), WriteOutcome::Done);

    TitleRecord fromA = readByA->record;
    fromA.description = "from A";
    fromA.category = "moved";
    EXPECT_EQ(store::updateTitleIfUnchanged(a, *readByA, fromA),
              WriteOutcome::ChangedSinceRead);
    EXPECT_EQ(rows("SELECT 説明 || ' ' || カテゴリ名 FROM タイトル"), QStringList({"from B x"}));
    // Read again, the same write goes through.
    EXPECT_EQ(store::updateTitleIfUnchanged(a, *store::readStoredTitle(a, "共有"), fromA),
              WriteOutcome::Done);
    EXPECT_EQ(rows("SELECT 説明 || ' ' || カテゴリ名 FROM タイトル"),
              QStringList({"from A moved"}));
}

TEST_F(StoreTest, DeleteOfATitleChangedSinceReadIsRefused)
{
    addTitle("共有", "x", "original");
    CatalogueDb a(path());
    CatalogueDb b(path());
    const auto readByA = store::readStoredTitle(a, "共有");
    TitleRecord fromB = store::readStoredTitle(b, "共有")->record;
    fromB.description = "from B";
    EXPECT_TRUE(store::updateTitle(b, fromB));
    EXPECT_EQ(store::deleteTitleIfUnchanged(a, *readByA), WriteOutcome::ChangedSinceRead);
    EXPECT_EQ(rows("SELECT 説明 FROM タイトル"), QStringList({"from B"}));

    const auto readAgain = store::readStoredTitle(a, "共有");
    EXPECT_TRUE(store::deleteTitle(b, "共有"));
    EXPECT_EQ(store::deleteTitleIfUnchanged(a, *readAgain), WriteOutcome::Missing);
    EXPECT_EQ(store::updateTitleIfUnchanged(a, *readAgain, fromB), WriteOutcome::Missing);
    EXPECT_TRUE(rows("SELECT タイトル名 FROM タイトル").isEmpty());
}

// Every one of the seven columns counts, down to bytes that read as the same
// text and a NULL that reads as empty.
TEST_F(StoreTest, AnyStoredChangeCountsAsChangedSinceRead)
{
    const QStringList changes = {"タイトル名 = 'ＳＨＡＲＥＤ'",
                                 "説明 = 'other'",
                                 "サムネイルパス = '/b.png'",
                                 "ファイルパス = '/b' || char(13, 10)",
                                 "カテゴリ名 = 'X'",
                                 "作業フォルダ = '/other'",
                                 "起動オプション = '-b'",
                                 "説明 = CAST(x'fe' AS TEXT)",
                                 "サムネイルパス = NULL",
                                 "カテゴリ名 = 'x', 作業フォルダ = '/w'"};
    for (const QString& change : changes) {
        plainSql("DELETE FROM タイトル");
        plainSql("INSERT INTO タイトル VALUES ('shared', CAST(x'ff' AS TEXT), '', '/a' || "
                 "char(13, 10), 'x', '/w', '-a')");
        CatalogueDb db(path());
        const auto read = store::readStoredTitle(db, "shared");
        ASSERT_TRUE(read);
        plainSql("UPDATE タイトル SET " + change);
        TitleRecord mine = read->record;
        mine.launchOptions = "mine";
        EXPECT_EQ(store::updateTitleIfUnchanged(db, *read, mine),
                  change.endsWith("'/w'") ? WriteOutcome::Done : WriteOutcome::ChangedSinceRead)
            << change.toStdString();
        EXPECT_EQ(
            rows("SELECT 起動オプション FROM タイトル"),
            QStringList(
                {change.endsWith("'/w'") ? "mine" : (change.startsWith("起動") ? "-b" : "-a")}))
            << change.toStdString();
    }
}

// ---- Order and size of the list -------------------------------------------

TEST_F(StoreTest, ListIsInJapaneseOrder)
{
    const QStringList names = {"漢字", "ｶﾅ", "かき", "アイス", "ABC",
                               "abd",  "10", "2",    "ｚ",     "ｶﾞｲﾄﾞ"};
    for (const QString& name : names)
        addTitle(name, "mix");
    CatalogueDb db(path());
    EXPECT_EQ(
        store::listTitles(db, "mix"),
        QStringList({"2", "10", "ABC", "abd", "ｚ", "アイス", "ｶﾞｲﾄﾞ", "かき", "ｶﾅ", "漢字"}));
}

TEST_F(StoreTest, FortyThousandTitlesAreListedWhole)
{
    constexpr int kRows = 40000;
    {
        SqliteDatabase plain(path());
        plain.transaction([&] {
            auto insert =
                plain.prepare("INSERT INTO タイトル (タイトル名, カテゴリ名) VALUES (?, 'big')");
            for (int i = 0; i < kRows; ++i) {
                // Every fourth name is written in katakana, the rest numbered.
                insert.bind(1, i % 4 ? QStringLiteral("資料%1").arg(i)
                                     : QStringLiteral("ｼﾘｮｳ%1").arg(i));
                insert.step();
                insert.reset();
            }
        });
    }
    CatalogueDb db(path());
    const QStringList listed = store::listTitles(db, "big");
    ASSERT_EQ(listed.size(), kRows);
    EXPECT_EQ(listed.first(), "ｼﾘｮｳ0");
    EXPECT_EQ(listed.last(), QStringLiteral("資料%1").arg(kRows - 1));
    EXPECT_TRUE(
        std::is_sorted(listed.begin(), listed.end(), [](const QString& a, const QString& b) {
            return japaneseSortKey(a) < japaneseSortKey(b);
        }));
    EXPECT_EQ(store::searchTitles(db, "BIG", "").size(), kRows);
    EXPECT_EQ(store::searchTitles(db, "big", "しりょう").size(), kRows / 4);
}

// ---- The file stays a plain SQLite file -------------------------------------

QString runShell(const QString& file, const QString& sql, int* exitCode)
{
    QProcess shell;
    shell.start(QStringLiteral(QUILMO_SQLITE3_SHELL), {file, sql});
    shell.waitForFinished(30000);
    *exitCode = shell.exitStatus() == QProcess::NormalExit ? shell.exitCode() : -1;
    return QString::fromUtf8(shell.readAllStandardOutput()).trimmed() +
           QString::fromUtf8(shell.readAllStandardError()).trimmed();
}

TEST_F(StoreTest, PlainSqliteShellReadsAndEditsTheFile)
{
    addTitle("ＡＢＣ計画", "ＤＯＣＳ");
    {
        CatalogueDb db(path());
        store::insertCategory(db, "ＤＯＣＳ");
        store::updateTitle(db, TitleRecord{"abc計画", "d", " ", " ", " ", " ", "ＤＯＣＳ"});
    }
    int exitCode = 0;
    // Nothing of the rule is written into the schema.
    EXPECT_EQ(runShell(path(),
                       "SELECT count(*) FROM sqlite_master WHERE sql LIKE '%ruled%' "
                       "OR sql LIKE '%jetlike%'",
                       &exitCode),
              "0");
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(runShell(path(), "PRAGMA integrity_check", &exitCode), "ok");
    EXPECT_EQ(runShell(path(),
                       "INSERT INTO タイトル (タイトル名, 説明, カテゴリ名) VALUES ('ｶﾅ', 'shell', "
                       "'docs'); UPDATE タイトル SET 説明 = 'edited' WHERE タイトル名 = 'abc計画'; "
                       "INSERT INTO カテゴリ VALUES ('other'); "
                       "SELECT タイトル名 FROM タイトル ORDER BY タイトル名;",
                       &exitCode),
              "abc計画\nｶﾅ");
    EXPECT_EQ(exitCode, 0);

    // The program reads what the shell wrote, under the rule.
    CatalogueDb db(path());
    EXPECT_EQ(store::readTitle(db, "ＡＢＣ計画")->description, "edited");
    EXPECT_EQ(store::readTitle(db, "かな")->description, "shell");
    // The shell's "docs" is the one category ＤＯＣＳ, however it is typed.
    EXPECT_EQ(store::listTitles(db, "ＤＯＣＳ"), QStringList({"abc計画", "ｶﾅ"}));
    EXPECT_EQ(store::listTitles(db, "ｄｏｃｓ"), QStringList({"abc計画", "ｶﾅ"}));
    EXPECT_EQ(store::listCategories(db), QStringList({"ＤＯＣＳ", "other"}));
}

// ---- Failure paths --------------------------------------------------------

TEST_F(StoreTest, EveryQueryFailsOnALockedFile)
{
    addTitle("a", "x");
    CatalogueDb db(path());
    // Each of these would otherwise wait the full five seconds.
    db.setBusyTimeout(20);
    const auto holder = lockFile();
    const TitleRecord title{"b", " ", " ", " ", " ", " ", "x"};
    EXPECT_THROW(store::listTitles(db, "x"), DbError);
    EXPECT_THROW(store::searchTitles(db, "x", "a"), DbError);
    EXPECT_THROW(store::readTitle(db, "a"), DbError);
    EXPECT_THROW(store::titleExists(db, "a"), DbError);
    EXPECT_THROW(store::insertTitle(db, title), DbError);
    EXPECT_THROW(store::updateTitle(db, title), DbError);
    EXPECT_THROW(store::deleteTitle(db, "a"), DbError);
    EXPECT_THROW(store::listCategories(db), DbError);
    EXPECT_THROW(store::insertCategory(db, "y"), DbError);
    EXPECT_THROW(store::deleteCategory(db, "x"), DbError);
    EXPECT_THROW(store::deleteTitlesOfCategory(db, "x"), DbError);
    EXPECT_THROW(store::listTitleRows(db, "x"), DbError);
    EXPECT_THROW(store::listTitleRowsOfCategoryRow(db, 1), DbError);
    EXPECT_THROW(store::searchTitleRows(db, "x", "a"), DbError);
    EXPECT_THROW(store::readTitleByRow(db, 1), DbError);
    EXPECT_THROW(store::readStoredTitle(db, "a"), DbError);
    EXPECT_THROW(store::updateTitleByRow(db, 1, title), DbError);
    EXPECT_THROW(store::deleteTitleByRow(db, 1), DbError);
    const StoredTitle asRead{1, title, QString()};
    EXPECT_THROW(store::updateTitleIfUnchanged(db, asRead, title), DbError);
    EXPECT_THROW(store::deleteTitleIfUnchanged(db, asRead), DbError);
    EXPECT_THROW(store::listCategoryRows(db), DbError);
    EXPECT_THROW(store::deleteCategoryByRow(db, 1), DbError);
    EXPECT_THROW(store::deleteTitlesOfCategoryRow(db, 1), DbError);
}

// Another window holding the file for a moment: the operation waits for it
// and then does its work, whether it reads or writes.
TEST_F(StoreTest, ALockReleasedAfterASecondIsWaitedFor)
{
    addTitle("a", "x");
    const std::vector<std::function<void(CatalogueDb&)>> operations = {
        [](CatalogueDb& db) {
            store::insertTitle(db, TitleRecord{"b", " ", " ", " ", " ", " ", "x"});
        },
        [](CatalogueDb& db) {
            EXPECT_EQ(store::listTitles(db, "x"), QStringList({"a", "b", "other"}));
        },
        [](CatalogueDb& db) { EXPECT_TRUE(store::deleteTitle(db, "a")); },
    };
    for (const auto& operation : operations) {
        std::promise<void> locked;
        std::thread other([&] {
            SqliteDatabase holder(path());
            holder.exec(QStringLiteral("BEGIN EXCLUSIVE"));
            holder.exec(QStringLiteral("INSERT OR IGNORE INTO タイトル (タイトル名, カテゴリ名) "
                                       "VALUES ('other', 'x')"));
            locked.set_value();
            std::this_thread::sleep_for(std::chrono::seconds(1));
            holder.exec(QStringLiteral("COMMIT"));
        });
        locked.get_future().wait();
        CatalogueDb db(path());
        EXPECT_NO_THROW(operation(db));
        other.join();
    }
    EXPECT_EQ(rows("SELECT タイトル名 FROM タイトル ORDER BY 1"), QStringList({"b", "other"}));
}

// A file that stays locked fails the operation with the engine's error; it is
// never taken for a duplicate name.
TEST_F(StoreTest, ALockNeverReleasedFailsTheOperationAndIsNoDuplicate)
{
    addTitle("a", "x");
    const auto holder = lockFile();
    CatalogueDb db(path());
    const auto failureOf = [](const std::function<void()>& operation) -> std::string {
        try {
            operation();
        } catch (const DuplicateName&) {
            return "duplicate";
        } catch (const DbError& error) {
            // The engine's own words, without what the layer above added.
            const std::string what = error.what();
            return what.substr(what.find(": ") + 2);
        }
        return "done";
    };
    EXPECT_EQ(failureOf([&] {
                  store::insertTitle(db, TitleRecord{"b", " ", " ", " ", " ", " ", "x"});
              }),
              "database is locked");
    db.setBusyTimeout(20);
    EXPECT_EQ(failureOf([&] { store::insertCategory(db, "y"); }), "database is locked");
    EXPECT_EQ(failureOf([&] {
                  store::insertTitle(db, TitleRecord{"A", " ", " ", " ", " ", " ", "x"});
              }),
              "database is locked");
    holder->exec(QStringLiteral("ROLLBACK"));
    // With the file free, a real duplicate is still told apart.
    EXPECT_EQ(failureOf([&] {
                  store::insertTitle(db, TitleRecord{"A", " ", " ", " ", " ", " ", "x"});
              }),
              "duplicate");
    EXPECT_EQ(rows("SELECT タイトル名 FROM タイトル"), QStringList({"a"}));
}

TEST_F(StoreTest, RefusedWritesLeaveTheRowsAsTheyWere)
{
    addTitle("keep", "x", "before");
    plainSql("CREATE TRIGGER refuse_update BEFORE UPDATE ON タイトル "
             "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    plainSql("CREATE TRIGGER refuse_delete BEFORE DELETE ON タイトル "
             "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    plainSql("CREATE TRIGGER refuse_category BEFORE DELETE ON カテゴリ "
             "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    plainSql("INSERT INTO カテゴリ VALUES ('x')");
    CatalogueDb db(path());
    EXPECT_THROW(
        store::updateTitle(db, TitleRecord{"ＫＥＥＰ", "after", " ", " ", " ", " ", "x"}),
        DbError);
    EXPECT_THROW(store::deleteTitle(db, "ｋｅｅｐ"), DbError);
    EXPECT_THROW(store::deleteTitlesOfCategory(db, "Ｘ"), DbError);
    EXPECT_THROW(store::deleteCategory(db, "Ｘ"), DbError);
    EXPECT_EQ(rows("SELECT タイトル名 || 説明 FROM タイトル"), QStringList({"keepbefore"}));
    EXPECT_EQ(rows("SELECT カテゴリ名 FROM カテゴリ"), QStringList({"x"}));
}

TEST_F(StoreTest, MalformedSearchPatternFails)
{
    addTitle("a[b", "x");
    CatalogueDb db(path());
    EXPECT_THROW(store::searchTitles(db, "x", "[b"), DbError);
    EXPECT_EQ(store::searchTitles(db, "x", "[[]b"), QStringList({"a[b"}));
}

// The rule lives on the program's connections only: a connection without it
// cannot run the catalogue's queries, and a missing table fails them too.
TEST_F(StoreTest, QueriesNeedTheRuleAndTheTables)
{
    addTitle("a", "x");
    {
        SqliteDatabase plain(path());
        EXPECT_THROW(store::listTitles(plain, "Ｘ"), DbError);
        EXPECT_THROW(store::searchTitles(plain, "x", "a"), DbError);
        EXPECT_THROW(store::readTitle(plain, "A"), DbError);
    }
    plainSql("DROP TABLE タイトル");
    CatalogueDb db(path());
    EXPECT_THROW(store::listTitles(db, "x"), DbError);
    EXPECT_THROW(store::insertTitle(db, TitleRecord{"b", " ", " ", " ", " ", " ", "x"}),
                 DbError);
}

} // namespace
