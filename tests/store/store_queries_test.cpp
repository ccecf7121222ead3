#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <iostream>
#include <thread>
#include <tuple>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include "store/catalogue_copy.h"
#include "store/catalogue_db.h"
#include "store/category_queries.h"
#include "store/drive_conversion.h"
#include "store/export_import.h"
#include "store/name_lookup.h"
#include "store/name_order.h"
#include "store/pg_catalogue.h"
#include "store/pg_database.h"
#include "store/search_all.h"
#include "store/server_memo.h"
#include "store/text_fold.h"
#include "store/title_queries.h"

namespace
{

enum class Engine { Sqlite, Postgres };

// A fresh catalogue, opened the way the program opens it: a file in its own
// folder (with the comparison rule registered), or on the server named by
// QUILMO_TEST_PG a schema of its own, which the program fills as it fills an
// empty database. Tests on the server are skipped only where that variable is
// not set; the test script sets it.
class CatalogueFixture : public ::testing::Test
{
protected:
    void open(Engine engine)
    {
        m_engine = engine;
        if (engine == Engine::Sqlite) {
            ASSERT_TRUE(m_dir.isValid());
            m_path = catalogueFilePath(m_dir.path());
            ASSERT_TRUE(createCatalogueIfMissing(m_path));
            return;
        }
        m_server = qEnvironmentVariable("QUILMO_TEST_PG");
        if (m_server.isEmpty())
            GTEST_SKIP() << "QUILMO_TEST_PG is not set";
        m_path = emptyDatabase();
        CatalogueDb created(m_path);
    }

    void TearDown() override
    {
        for (const QString& schema : m_schemas)
            PgConnection(m_server).exec(QStringLiteral("DROP SCHEMA %1 CASCADE").arg(schema));
    }

    // Another database on the same server, empty.
    QString emptyDatabase()
    {
        const QString schema = QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128);
        PgConnection(m_server).exec(QStringLiteral("CREATE SCHEMA ") + schema);
        m_schemas.append(schema);
        return m_server + QStringLiteral(" options='-c search_path=%1'").arg(schema);
    }

    QString path() const { return m_path; }
    Engine engine() const { return m_engine; }

    // Writes as another program would: no rule, no key columns filled.
    void plainSql(const QString& statement)
    {
        if (m_engine == Engine::Postgres) {
            PgConnection(m_path).exec(statement);
            return;
        }
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

    // Adds many titles in one transaction, each with its key where the
    // engine has one.
    void addTitles(const QStringList& names, const QString& category)
    {
        if (m_engine == Engine::Postgres) {
            PgConnection server(m_path);
            server.transaction([&] {
                for (const QString& name : names)
                    server.exec("INSERT INTO タイトル (タイトル名, カテゴリ名, name_key, "
                                "category_key) VALUES ($1, $2, $3, $4)",
                                {PgValue::text(name), PgValue::text(category),
                                 PgValue::text(foldForComparison(name)),
                                 PgValue::text(foldForComparison(category))});
            });
            return;
        }
        SqliteDatabase plain(m_path);
        plain.transaction([&] {
            auto insert =
                plain.prepare("INSERT INTO タイトル (タイトル名, カテゴリ名) VALUES (?, ?)");
            for (const QString& name : names) {
                insert.bind(1, name).bind(2, category);
                insert.step();
                insert.reset();
            }
        });
    }

    QStringList rows(const QString& query) { return rowsAt(m_path, query); }

    // The first column of a query's rows on the catalogue at location.
    static QStringList rowsAt(const QString& location, const QString& query)
    {
        QStringList result;
        if (isServerCatalogue(location)) {
            const PgResult found = PgConnection(location).exec(query);
            for (int i = 0; i < found.rows(); ++i)
                result.append(found.text(i, 0));
            return result;
        }
        SqliteDatabase plain(location);
        auto statement = plain.prepare(query);
        while (statement.step())
            result.append(statement.text(0));
        return result;
    }

private:
    QTemporaryDir m_dir;
    Engine m_engine = Engine::Sqlite;
    QString m_path;
    QString m_server;
    QStringList m_schemas;
};

// What only a file has: bytes that are not UTF-8, locks, the SQLite shell.
class StoreTest : public CatalogueFixture
{
protected:
    void SetUp() override { open(Engine::Sqlite); }

    // Makes every following operation meet a locked file, as when another
    // program holds a write transaction.
    std::unique_ptr<SqliteDatabase> lockFile()
    {
        auto holder = std::make_unique<SqliteDatabase>(path());
        holder->exec(QStringLiteral("BEGIN EXCLUSIVE"));
        return holder;
    }
};

// The same behaviour on both engines.
class EngineTest : public CatalogueFixture, public ::testing::WithParamInterface<Engine>
{
protected:
    void SetUp() override { open(GetParam()); }
};

INSTANTIATE_TEST_SUITE_P(Engines, EngineTest, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const ::testing::TestParamInfo<Engine>& info) {
                             return info.param == Engine::Sqlite ? "Sqlite" : "Postgres";
                         });

// ---- Selection by category ------------------------------------------------

TEST_P(EngineTest, CategoryWrittenDifferentlySelectsItsTitles)
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

TEST_P(EngineTest, KanaAndWidthOfACategoryAreIgnored)
{
    addTitle("a", "ｼﾞｬﾝﾙ");
    CatalogueDb db(path());
    EXPECT_EQ(store::listTitles(db, "じゃんる"), QStringList({"a"}));
    EXPECT_EQ(store::listTitles(db, "ジャンル"), QStringList({"a"}));
    EXPECT_TRUE(store::listTitles(db, "シャンル").isEmpty());
}

// ---- Uniqueness -----------------------------------------------------------

TEST_P(EngineTest, TitleThatComparesTheSameIsRefusedInAnyCategory)
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

TEST_P(EngineTest, CategoryThatComparesTheSameIsRefused)
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

TEST_P(EngineTest, LongNamesAreSearchedWhole)
{
    // Names that nearly hold the search text everywhere; one holds it at its
    // very end, one across its middle.
    const QString searchText = QString(999, QChar(u'あ')) + QChar(u'い');
    QStringList names;
    for (int i = 0; i < 100; ++i) {
        QString name = QString::number(i) + QString(30000, QChar(u'ア'));
        if (i == 17)
            name += QChar(u'イ');
        if (i == 60)
            name.insert(15000, QChar(u'ｲ'));
        names.append(name);
    }
    addTitles(names, "long");
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
TEST_P(EngineTest, SearchOverEveryCategoryMatchesAsTheCategorySearch)
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

TEST_P(EngineTest, TitleIsFoundByAnyWritingOfItsName)
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

    EXPECT_TRUE(store::updateTitle(db, TitleRecord{"カナ", "changed", " ", " ", " ", " ", "old"}));
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
    EXPECT_EQ(store::updateTitleIfUnchanged(db, *store::readTitleByRow(db, badRow), changed),
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

TEST_P(EngineTest, UpdateByRowRenamesOnlyToAFreeName)
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

TEST_P(EngineTest, UpdateOfATitleChangedSinceReadIsRefused)
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
    EXPECT_EQ(store::updateTitleIfUnchanged(a, *readByA, fromA), WriteOutcome::ChangedSinceRead);
    EXPECT_EQ(rows("SELECT 説明 || ' ' || カテゴリ名 FROM タイトル"), QStringList({"from B x"}));
    // Read again, the same write goes through.
    EXPECT_EQ(store::updateTitleIfUnchanged(a, *store::readStoredTitle(a, "共有"), fromA),
              WriteOutcome::Done);
    EXPECT_EQ(rows("SELECT 説明 || ' ' || カテゴリ名 FROM タイトル"),
              QStringList({"from A moved"}));
}

TEST_P(EngineTest, DeleteOfATitleChangedSinceReadIsRefused)
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

TEST_P(EngineTest, ListIsInJapaneseOrder)
{
    const QStringList names = {"漢字", "ｶﾅ", "かき", "アイス", "ABC",
                               "abd",  "10", "2",    "ｚ",     "ｶﾞｲﾄﾞ"};
    for (const QString& name : names)
        addTitle(name, "mix");
    CatalogueDb db(path());
    EXPECT_EQ(store::listTitles(db, "mix"), QStringList({"2", "10", "ABC", "abd", "ｚ", "アイス",
                                                         "ｶﾞｲﾄﾞ", "かき", "ｶﾅ", "漢字"}));
}

TEST_P(EngineTest, FortyThousandTitlesAreListedWhole)
{
    constexpr int kRows = 40000;
    QStringList names;
    for (int i = 0; i < kRows; ++i) {
        // Every fourth name is written in katakana, the rest numbered.
        names.append(i % 4 ? QStringLiteral("資料%1").arg(i) : QStringLiteral("ｼﾘｮｳ%1").arg(i));
    }
    addTitles(names, "big");
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
    EXPECT_THROW(store::updateTitle(db, TitleRecord{"ＫＥＥＰ", "after", " ", " ", " ", " ", "x"}),
                 DbError);
    EXPECT_THROW(store::deleteTitle(db, "ｋｅｅｐ"), DbError);
    EXPECT_THROW(store::deleteTitlesOfCategory(db, "Ｘ"), DbError);
    EXPECT_THROW(store::deleteCategory(db, "Ｘ"), DbError);
    EXPECT_EQ(rows("SELECT タイトル名 || 説明 FROM タイトル"), QStringList({"keepbefore"}));
    EXPECT_EQ(rows("SELECT カテゴリ名 FROM カテゴリ"), QStringList({"x"}));
}

TEST_P(EngineTest, MalformedSearchPatternFails)
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
    EXPECT_THROW(store::insertTitle(db, TitleRecord{"b", " ", " ", " ", " ", " ", "x"}), DbError);
}

// ---- Several clients at once --------------------------------------------------

// Two clients registering the same names and raising one counter by reading
// it into the editor and writing it back: every name is stored once and
// refused once, and no write is lost, however the two interleave.
// ---- Drive conversion ------------------------------------------------------

// Each row converts one column of the same three titles; afterwards every
// column of every title reads as expected and the counts are the ones the
// window reports.
TEST_P(EngineTest, DriveConversionRewritesOnlyTheMatchedPaths)
{
    const QString everyColumn = "SELECT タイトル名 || '|' || サムネイルパス || '|' || ファイルパス "
                                "|| '|' || 作業フォルダ || '|' || 起動オプション FROM タイトル "
                                "ORDER BY タイトル名";
    struct Case {
        const char* column;
        QString oldPrefix, newPrefix;
        QStringList after; // every column of a, b, c
        int matched, changed;
        bool refused;
    };
    const QStringList before = {"a|C:\\pics\\a.bmp|C:\\docs\\a.doc\r\nD:\\b.doc\r\n|C:\\work| ",
                                "b|d:\\b.bmp|http://c.example/\r\n|c:\\Work|-x",
                                "c|/media/oldstuff/c.png|/media/old/c.doc\r\n|/media/old|C:\\opt"};
    const Case cases[] = {
        {"サムネイルパス",
         "C:",
         "E:",
         {"a|E:\\pics\\a.bmp|C:\\docs\\a.doc\r\nD:\\b.doc\r\n|C:\\work| ", before[1], before[2]},
         1,
         1,
         false},
        // The second link target alone is on the old drive.
        {"ファイルパス",
         "D:\\",
         "/mnt/d/",
         {"a|C:\\pics\\a.bmp|C:\\docs\\a.doc\r\n/mnt/d/b.doc\r\n|C:\\work| ", before[1], before[2]},
         1,
         1,
         false},
        {"作業フォルダ",
         "C:",
         "/mnt/c",
         {"a|C:\\pics\\a.bmp|C:\\docs\\a.doc\r\nD:\\b.doc\r\n|/mnt/c/work| ",
          "b|d:\\b.bmp|http://c.example/\r\n|/mnt/c/Work|-x", before[2]},
         2,
         2,
         false},
        {"起動オプション",
         "c:\\",
         "F:\\",
         {before[0], before[1], "c|/media/oldstuff/c.png|/media/old/c.doc\r\n|/media/old|F:\\opt"},
         1,
         1,
         false},
        // A folder name is not the start of a longer one; a web address names
        // no drive.
        {"サムネイルパス", "/media/old", "/srv/new", before, 0, 0, false},
        {"ファイルパス", "http:", "D:", before, 0, 0, false},
        {"ファイルパス",
         "/media/old",
         "/srv/new",
         {before[0], before[1], "c|/media/oldstuff/c.png|/srv/new/c.doc\r\n|/media/old|C:\\opt"},
         1,
         1,
         false},
        // Found but already as it would be written: nothing to change.
        {"サムネイルパス", "d:", "d:", before, 1, 0, false},
        // Only the four path columns are converted.
        {"タイトル名", "a", "z", before, 0, 0, true},
        {"カテゴリ名", "x", "y", before, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.column) + " " + c.oldPrefix.toStdString());
        plainSql("DELETE FROM タイトル");
        {
            CatalogueDb db(path());
            for (const QString& title : before) {
                const QStringList v = title.split('|');
                store::insertTitle(db, TitleRecord{v[0], "desc", v[1], v[2], v[3], v[4], "x"});
            }
        }
        CatalogueDb db(path());
        if (c.refused) {
            EXPECT_THROW(
                store::conversion::convertStoredColumn(db, c.column, c.oldPrefix, c.newPrefix),
                DbError);
        } else {
            const store::conversion::ColumnConversion counts =
                store::conversion::convertStoredColumn(db, c.column, c.oldPrefix, c.newPrefix);
            EXPECT_EQ(counts.matched, c.matched);
            EXPECT_EQ(counts.changed, c.changed);
            EXPECT_EQ(counts.left, 0);
        }
        EXPECT_EQ(rows(everyColumn), c.after);
        EXPECT_EQ(rows("SELECT DISTINCT 説明 || カテゴリ名 FROM タイトル"), QStringList({"descx"}));
        EXPECT_EQ(store::listTitles(db, "x"), QStringList({"a", "b", "c"}));
    }
}

// ---- Export and import -----------------------------------------------------

// The catalogue is exported, then each file is imported into another
// catalogue on the same engine that already holds a category and a title
// the rule finds in it; what the user sees afterwards is checked.
TEST_P(EngineTest, ExportIsImportedIntoAnotherCatalogue)
{
    QTemporaryDir files;
    ASSERT_TRUE(files.isValid());
    const QString memoFolder = files.filePath("memos");
    ASSERT_TRUE(QDir().mkpath(memoFolder));
    {
        CatalogueDb db(path());
        store::insertCategory(db, "ＤＯＣＳ");
        store::insertCategory(db, "写真");
        store::insertTitle(
            db, TitleRecord{"手順書", "theirs", " ", "C:\\a.doc\r\n", " ", " ", "ＤＯＣＳ"});
        store::insertTitle(db, TitleRecord{"夏", "summer", " ", " \r\n", " ", " ", "写真"});
        if (db.server()) {
            store::writeServerMemo(db, "夏", "png-summer");
        } else {
            QFile memo(memoFolder + "/夏.ole");
            ASSERT_TRUE(memo.open(QIODevice::WriteOnly));
            memo.write("png-summer");
        }
        const auto json = store::transfer::exportJson(db, files.filePath("all.json"), memoFolder);
        EXPECT_EQ(json.error, "");
        EXPECT_EQ(QList<int>({json.categories, json.titles, json.memos}), QList<int>({2, 2, 1}));
        QFile exportedMemo(files.filePath("all-メモ/2.png"));
        ASSERT_TRUE(exportedMemo.open(QIODevice::ReadOnly));
        EXPECT_EQ(exportedMemo.readAll(), "png-summer");
        const auto csv = store::transfer::exportCsv(db, files.filePath("all.csv"));
        EXPECT_EQ(QList<int>({csv.categories, csv.titles}), QList<int>({2, 2}));
    }
    QFile notUtf8(files.filePath("bytes.json"));
    ASSERT_TRUE(notUtf8.open(QIODevice::WriteOnly));
    notUtf8.write(R"({"format": "quilmo-catalogue", "titles": [)"
                  R"({"タイトル名": {"base64": "/w=="}, "カテゴリ名": "写真"}]})");
    notUtf8.close();

    struct Case {
        const char* file;
        // categories, titles, memos added; rows named as unreadable.
        QList<int> sqlite, postgres;
        QStringList photos; // the titles of 写真 afterwards
    };
    const Case cases[] = {
        {"all.json", {1, 1, 1, 0}, {1, 1, 1, 0}, {"夏"}},
        {"all.csv", {1, 1, 0, 0}, {1, 1, 0, 0}, {"夏"}},
        // A server holds text alone; the file keeps the bytes.
        {"bytes.json", {0, 1, 0, 0}, {0, 0, 0, 1}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        QTemporaryDir targetDir;
        const QString target =
            engine() == Engine::Postgres ? emptyDatabase() : catalogueFilePath(targetDir.path());
        if (engine() == Engine::Sqlite) {
            ASSERT_TRUE(createCatalogueIfMissing(target));
        }
        const QString targetMemos = targetDir.filePath("memos");
        CatalogueDb db(target);
        store::insertCategory(db, "docs");
        store::insertTitle(db, TitleRecord{"手順書", "mine", " ", " ", " ", " ", "docs"});

        const auto data = store::transfer::readImportFile(files.filePath(c.file));
        ASSERT_EQ(data.error, "");
        const auto planned = store::transfer::planImport(db, data);
        const auto done = store::transfer::runImport(db, data, targetMemos);
        const QList<int> expected = engine() == Engine::Postgres ? c.postgres : c.sqlite;
        EXPECT_EQ(
            QList<int>({done.categories, done.titles, done.memos, int(done.unreadable.size())}),
            expected);
        EXPECT_EQ(QList<int>({planned.categories, planned.titles}), expected.mid(0, 2));
        EXPECT_EQ(store::readTitle(db, "手順書")->description, "mine");
        EXPECT_EQ(store::listCategories(db).first(), "docs");
        EXPECT_EQ(store::listCategories(db).size(), 1 + expected[0]);
        if (!c.photos.isEmpty()) {
            EXPECT_EQ(store::listTitles(db, "写真"), c.photos);
            EXPECT_EQ(store::readTitle(db, "夏")->description, "summer");
        }
        if (expected[2] > 0) {
            if (db.server()) {
                EXPECT_EQ(store::readServerMemo(db, "夏"), "png-summer");
            } else {
                QFile memo(targetMemos + "/夏.ole");
                ASSERT_TRUE(memo.open(QIODevice::ReadOnly));
                EXPECT_EQ(memo.readAll(), "png-summer");
            }
        }
    }
}

TEST_P(EngineTest, TwoClientsAtOnceNeitherDuplicateNorLoseAWrite)
{
    constexpr int kNames = 150;
    constexpr int kRounds = 150;
    addTitle("counter", "x", "0");
    struct Figures {
        int stored = 0, duplicates = 0, written = 0, conflicts = 0;
    };
    const auto client = [&] {
        Figures figures;
        for (int i = 0; i < kNames; ++i) {
            try {
                CatalogueDb db(path());
                store::insertTitle(
                    db, TitleRecord{QStringLiteral("名前%1").arg(i), " ", " ", " ", " ", " ", "x"});
                ++figures.stored;
            } catch (const DuplicateName&) {
                ++figures.duplicates;
            }
        }
        for (int i = 0; i < kRounds; ++i) {
            CatalogueDb db(path());
            const auto read = store::readStoredTitle(db, "counter");
            TitleRecord next = read->record;
            next.description = QString::number(next.description.toInt() + 1);
            const WriteOutcome outcome = store::updateTitleIfUnchanged(db, *read, next);
            figures.written += outcome == WriteOutcome::Done;
            figures.conflicts += outcome == WriteOutcome::ChangedSinceRead;
        }
        return figures;
    };
    auto first = std::async(std::launch::async, client);
    auto second = std::async(std::launch::async, client);
    const Figures a = first.get();
    const Figures b = second.get();
    EXPECT_EQ(a.stored + b.stored, kNames);
    EXPECT_EQ(a.duplicates + b.duplicates, kNames);
    EXPECT_EQ(rows("SELECT count(*) FROM タイトル"), QStringList({QString::number(kNames + 1)}));
    EXPECT_EQ(a.written + a.conflicts + b.written + b.conflicts, 2 * kRounds);
    const int counter =
        rows("SELECT 説明 FROM タイトル WHERE タイトル名 = 'counter'").value(0).toInt();
    const int lost = a.written + b.written - counter;
    EXPECT_EQ(lost, 0);
    std::cout << "registrations " << 2 * kNames << ", duplicates refused "
              << a.duplicates + b.duplicates << "; updates " << 2 * kRounds
              << ", conflicts detected " << a.conflicts + b.conflicts << ", lost updates " << lost
              << "\n";
}

// ---- What only the server has ------------------------------------------------

class ServerTest : public CatalogueFixture
{
protected:
    void SetUp() override { open(Engine::Postgres); }
};

// A connection lost while an operation waits on the server: the operation
// fails, nothing of it stays written, and the next one connects again.
TEST_F(ServerTest, ConnectionLostMidOperationWritesNothingHalf)
{
    struct Case {
        const char* what;
        QString lockedRow; // held by another client while the operation runs
        std::function<void(CatalogueDb&)> operation;
    };
    const Case cases[] = {
        {"category with its titles, stopped at the category",
         "SELECT 1 FROM カテゴリ WHERE カテゴリ名 = 'x' FOR UPDATE",
         [](CatalogueDb& db) {
             store::DeletionStep step = store::DeletionStep::Titles;
             store::deleteCategoryWithTitles(db, "x", std::nullopt, step);
         }},
        {"two titles rewritten, stopped at the second",
         "SELECT 1 FROM タイトル WHERE タイトル名 = 'b' FOR UPDATE",
         [](CatalogueDb& db) {
             QList<store::TitleRewrite> rewrites;
             for (StoredTitle title : store::readAllTitles(db)) {
                 TitleRecord changed = title.record;
                 changed.description = "changed";
                 rewrites.append({title, changed});
             }
             store::rewriteTitlesIfUnchanged(db, rewrites);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        plainSql("DELETE FROM タイトル");
        plainSql("DELETE FROM カテゴリ");
        {
            CatalogueDb db(path());
            store::insertCategory(db, "x");
        }
        addTitle("a", "x", "kept");
        addTitle("b", "x", "kept");
        PgConnection holder(path());
        const QString holderPid = holder.exec("SELECT pg_backend_pid()").text(0, 0);
        holder.exec("BEGIN");
        holder.exec(c.lockedRow);
        auto running = std::async(std::launch::async, [&] {
            CatalogueDb db(path());
            c.operation(db);
        });
        // The operation's own connection ends once it waits for the row.
        const QString waiting =
            QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                           "%1 = ANY(pg_blocking_pids(pid))")
                .arg(holderPid);
        bool ended = false;
        for (int tries = 0; tries < 500 && !ended; ++tries) {
            ended = !rows(waiting).isEmpty();
            if (!ended)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!ended)
            holder.exec("ROLLBACK");
        ASSERT_TRUE(ended);
        EXPECT_THROW(running.get(), DbError);
        holder.exec("ROLLBACK");
        EXPECT_EQ(rows("SELECT タイトル名 || ' ' || 説明 FROM タイトル ORDER BY 1"),
                  QStringList({"a kept", "b kept"}));
        CatalogueDb again(path());
        EXPECT_EQ(store::listCategories(again), QStringList({"x"}));
        EXPECT_EQ(store::listTitles(again, "x"), QStringList({"a", "b"}));
    }
}

// Another PC writes a title while the drive conversion runs: its write is
// neither lost nor left unconverted, whichever of the two reaches the row
// first.
TEST_F(ServerTest, DriveConversionKeepsAnotherPcsWrite)
{
    struct Case {
        const char* what;
        QString otherWrite;
        QStringList after;
    };
    const Case cases[] = {
        {"new path on the old drive",
         "UPDATE タイトル SET サムネイルパス = 'C:\\new.bmp' WHERE タイトル名 = 'a'",
         {"a E:\\new.bmp", "b E:\\b.bmp"}},
        {"path moved off the old drive",
         "UPDATE タイトル SET サムネイルパス = 'G:\\a.bmp' WHERE タイトル名 = 'a'",
         {"a G:\\a.bmp", "b E:\\b.bmp"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        plainSql("DELETE FROM タイトル");
        {
            CatalogueDb db(path());
            store::insertTitle(db, TitleRecord{"a", " ", "C:\\a.bmp", " ", " ", " ", "x"});
            store::insertTitle(db, TitleRecord{"b", " ", "C:\\b.bmp", " ", " ", " ", "x"});
        }
        PgConnection other(path());
        const QString otherPid = other.exec("SELECT pg_backend_pid()").text(0, 0);
        other.exec("BEGIN");
        other.exec(c.otherWrite);
        auto converting = std::async(std::launch::async, [&] {
            CatalogueDb db(path());
            return store::conversion::convertStoredColumn(db, "サムネイルパス", "C:", "E:");
        });
        const QString waiting =
            QStringLiteral("SELECT pid FROM pg_stat_activity WHERE %1 = ANY(pg_blocking_pids(pid))")
                .arg(otherPid);
        bool blocked = false;
        for (int tries = 0; tries < 500 && !blocked; ++tries) {
            blocked = !rows(waiting).isEmpty();
            if (!blocked)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        other.exec("COMMIT");
        ASSERT_TRUE(blocked);
        EXPECT_EQ(converting.get().changed, c.after.filter("E:").size());
        EXPECT_EQ(rows("SELECT タイトル名 || ' ' || サムネイルパス FROM タイトル ORDER BY 1"),
                  c.after);
    }
}

// A database that holds anything but a catalogue of this version is refused
// and left as it was; an empty one receives the tables and their version.
TEST_F(ServerTest, DatabaseOfOtherTablesIsRefusedAndLeftAlone)
{
    const QString tables = "SELECT string_agg(table_name, ',' ORDER BY table_name) FROM "
                           "information_schema.tables WHERE table_schema = current_schema()";
    EXPECT_EQ(rows(tables), QStringList({"quilmo_schema,オプション,カテゴリ,タイトル,メモ"}));
    EXPECT_EQ(rows("SELECT version FROM quilmo_schema"), QStringList({"1"}));
    EXPECT_EQ(rows("SELECT option_value FROM オプション WHERE option_name = 'Memory'"),
              QStringList({"1"}));

    struct Case {
        const char* what;
        QStringList change;
        QString left;
    };
    const Case cases[] = {
        {"another program's table",
         {"DROP TABLE quilmo_schema, オプション, カテゴリ, タイトル, メモ",
          "CREATE TABLE customers (id integer)"},
         "customers"},
        {"a table more",
         {"CREATE TABLE notes (id integer)"},
         "notes,quilmo_schema,オプション,カテゴリ,タイトル,メモ"},
        {"a table less", {"DROP TABLE メモ"}, "quilmo_schema,オプション,カテゴリ,タイトル"},
        {"another version",
         {"UPDATE quilmo_schema SET version = 2"},
         "quilmo_schema,オプション,カテゴリ,タイトル,メモ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        plainSql("DROP TABLE IF EXISTS quilmo_schema, オプション, カテゴリ, タイトル, メモ, "
                 "customers, notes");
        {
            CatalogueDb created(path());
        }
        for (const QString& statement : c.change)
            plainSql(statement);
        EXPECT_THROW(CatalogueDb refused(path()), ForeignDatabase);
        EXPECT_EQ(rows(tables), QStringList({c.left}));
    }
    // A text the server cannot hold is refused, not cut short.
    plainSql("DROP TABLE IF EXISTS quilmo_schema, オプション, カテゴリ, タイトル, メモ, "
             "customers, notes");
    EXPECT_THROW(addTitle(QStringLiteral("前") + QChar(0) + QStringLiteral("後"), "x"), DbError);
    EXPECT_EQ(rows("SELECT count(*) FROM タイトル"), QStringList({"0"}));
}

// The whole catalogue goes to a server and back with every text as it was,
// NULLs and memos included; a target that holds a catalogue or a memo of the
// same name, or names the server's keys refuse, leave everything unwritten.
TEST_F(ServerTest, CopyToTheServerAndBackKeepsEveryText)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto catalogueIn = [&](const QString& folder) {
        EXPECT_TRUE(QDir().mkpath(dir.filePath(folder + "/手書きメモ")));
        return catalogueFilePath(dir.filePath(folder));
    };
    const QString file = catalogueIn("a");
    ASSERT_TRUE(createCatalogueIfMissing(file));
    {
        SqliteDatabase plain(file);
        plain.exec("INSERT INTO カテゴリ VALUES ('文書'), ('ｶﾅ')");
        plain.exec("INSERT INTO タイトル VALUES ('計画', 'tab' || char(9) || '\\', NULL, "
                   "'/a' || char(13, 10) || '/b', '文書', '', ' '), ('ｼﾘｮｳ', '改行' || "
                   "char(10) || '後', ' ', ' ', 'ｶﾅ', NULL, '-x')");
        plain.exec("UPDATE オプション SET Option_Value = '0'");
    }
    const QByteArray png("\x89PNG\r\n\x1a\n\0\xff", 10);
    const QString memo = dir.filePath("a/手書きメモ/計画.ole");
    {
        QFile out(memo);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(png);
    }
    const QString everything =
        "SELECT x FROM (SELECT 'c ' || カテゴリ名 AS x FROM カテゴリ UNION ALL "
        "SELECT 't ' || タイトル名 || '|' || coalesce(説明, '<null>') || '|' || "
        "coalesce(サムネイルパス, '<null>') || '|' || coalesce(ファイルパス, '<null>') || '|' || "
        "coalesce(カテゴリ名, '<null>') || '|' || coalesce(作業フォルダ, '<null>') || '|' || "
        "coalesce(起動オプション, '<null>') FROM タイトル UNION ALL "
        "SELECT 'o ' || Option_Name || '=' || Option_Value FROM オプション) AS e ORDER BY x";
    const QStringList original = rowsAt(file, everything);
    ASSERT_EQ(original.size(), 5);

    const QString server = emptyDatabase();
    const store::CopyCounts there = store::copyCatalogue(file, server);
    EXPECT_EQ(std::tie(there.categories, there.titles, there.memos), std::make_tuple(2, 2, 1));
    EXPECT_EQ(rowsAt(server, everything), original);
    EXPECT_EQ(rowsAt(server, "SELECT encode(png, 'hex') FROM メモ"),
              QStringList({QString::fromLatin1(png.toHex())}));
    {
        CatalogueDb db(server);
        EXPECT_EQ(store::listTitles(db, "文書"), QStringList({"計画"}));
        EXPECT_EQ(store::listTitles(db, "かな"), QStringList({"ｼﾘｮｳ"}));
        EXPECT_THROW(store::insertTitle(db, TitleRecord{"しりょう", "", "", "", "", "", "x"}),
                     DuplicateName);
        // The memo editor's reads and saves, each title's memo found under the rule.
        EXPECT_EQ(store::readServerMemo(db, "計画"), png);
        EXPECT_FALSE(store::readServerMemo(db, "ｼﾘｮｳ"));
        store::writeServerMemo(db, "しりょう", "first");
        store::writeServerMemo(db, "シリョウ", "second");
        EXPECT_EQ(store::readServerMemo(db, "ｼﾘｮｳ"), QByteArray("second"));
    }
    {
        CatalogueDb local(file);
        EXPECT_THROW(store::readServerMemo(local, "計画"), DbError);
    }
    const QString back = catalogueIn("b");
    const store::CopyCounts home = store::copyCatalogue(server, back);
    EXPECT_EQ(std::tie(home.categories, home.titles, home.memos), std::make_tuple(2, 2, 2));
    EXPECT_EQ(rowsAt(back, everything), original);
    QFile memoBack(dir.filePath("b/手書きメモ/計画.ole"));
    ASSERT_TRUE(memoBack.open(QIODevice::ReadOnly));
    EXPECT_EQ(memoBack.readAll(), png);
    QFile secondBack(dir.filePath("b/手書きメモ/ｼﾘｮｳ.ole"));
    ASSERT_TRUE(secondBack.open(QIODevice::ReadOnly));
    EXPECT_EQ(secondBack.readAll(), "second");

    const QString clash = catalogueIn("c");
    QFile(memo).copy(dir.filePath("c/手書きメモ/計画.ole"));
    const QString twins = catalogueIn("d");
    ASSERT_TRUE(createCatalogueIfMissing(twins));
    SqliteDatabase(twins).exec("INSERT INTO タイトル (タイトル名, カテゴリ名) VALUES ('ab', 'x'), "
                               "('ＡＢ', 'x')");
    const QString emptyServer = emptyDatabase();
    struct Refusal {
        const char* what;
        QString from;
        QString to;
        QString check; // a query on to, answered as before
    };
    const Refusal refusals[] = {
        {"server holding a catalogue", file, path(), "SELECT count(*) FROM タイトル"},
        {"file that exists", server, back, "SELECT count(*) FROM タイトル"},
        {"memo of that name", server, clash, {}},
        {"names the keys refuse", twins, emptyServer,
         "SELECT count(*) FROM information_schema.tables WHERE table_schema = current_schema()"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.what);
        const QStringList before = r.check.isEmpty() ? QStringList() : rowsAt(r.to, r.check);
        EXPECT_THROW(store::copyCatalogue(r.from, r.to), DbError);
        if (r.check.isEmpty())
            EXPECT_FALSE(QFileInfo::exists(r.to));
        else
            EXPECT_EQ(rowsAt(r.to, r.check), before);
    }
    EXPECT_EQ(QDir(dir.filePath("c")).entryList(QDir::Files), QStringList());
    EXPECT_EQ(QDir(dir.filePath("b")).entryList(QDir::Files), QStringList({"QUILMO.mdb"}));
}

} // namespace
