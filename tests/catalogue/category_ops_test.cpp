#include <QComboBox>
#include <QCryptographicHash>
#include <QFile>
#include <QLineEdit>

#include "catalogue/category_ops.h"
#include "catalogue/title_ops.h"
#include "store/catalogue_db.h"
#include "store/sqlite_database.h"
#include "support/form_fixture.h"
#include "ui/list_box.h"

namespace
{

QByteArray fileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

class CategoryTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        makeForm(false);
    }
    QStringList comboItems() const
    {
        QStringList items;
        for (int i = 0; i < form->Combo1->count(); ++i)
            items << form->Combo1->itemText(i);
        return items;
    }
    QString status() const { return form->Text8->text(); }
};

TEST_F(CategoryTest, FirstStartCreatesTablesAndOptionRowOnce)
{
    EXPECT_EQ(rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
              QStringList({"オプション", "カテゴリ", "タイトル"}));
    EXPECT_EQ(rows("SELECT Option_Name, Option_Value FROM オプション"), QStringList{"Memory|1"});

    // A second start finds the file and leaves it as it is.
    sql("UPDATE オプション SET Option_Value = '0'");
    const QByteArray before = fileHash(dbPath());
    EXPECT_TRUE(createCatalogueIfMissing(dbPath()));
    EXPECT_EQ(fileHash(dbPath()), before);
}

TEST_F(CategoryTest, KeysIgnoreLetterCase)
{
    form->Combo1->setEditText("Docs");
    Module1::RegisterCategory(*form);
    form->Combo1->setEditText("DOCS");
    Module1::RegisterCategory(*form);
    EXPECT_EQ(status(), "「カテゴリ登録」で重複キー等のエラーが発生しました。");
    form->Combo1->setEditText("docs");
    Module1::DeleteCategory(*form);
    EXPECT_EQ(status(), "正常に削除しました。");
    EXPECT_TRUE(rows("SELECT * FROM カテゴリ").isEmpty());
}

TEST_F(CategoryTest, RegisterNewDuplicateEmptyAndQuotedNames)
{
    form->Combo1->setEditText("書籍");
    Module1::RegisterCategory(*form);
    EXPECT_EQ(status(), "正常に登録しました。");

    form->Text8->clear();
    Module1::RegisterCategory(*form);
    EXPECT_EQ(status(), "「カテゴリ登録」で重複キー等のエラーが発生しました。");

    form->Combo1->setEditText("");
    Module1::RegisterCategory(*form);
    EXPECT_EQ(status(), "「カテゴリ登録」で重複キー等のエラーが発生しました。");

    form->Combo1->setEditText("Bob's");
    Module1::RegisterCategory(*form);
    EXPECT_EQ(status(), "正常に登録しました。");

    EXPECT_EQ(rows("SELECT カテゴリ名 FROM カテゴリ ORDER BY カテゴリ名"),
              QStringList({"Bob's", "書籍"}));
}

TEST_F(CategoryTest, ListFillsBoxWithEveryNameAndTheFirstAsText)
{
    sql("INSERT INTO カテゴリ VALUES ('Bob''s'), ('音楽'), ('ゲーム')");
    form->Combo1->addItem("stale");
    Module1::LoadCategoryList(*form);
    const QStringList items = comboItems();
    ASSERT_EQ(items.size(), 3);
    EXPECT_TRUE(items.contains("Bob's"));
    EXPECT_TRUE(items.contains("音楽"));
    EXPECT_EQ(form->Combo1->currentText(), items.first());
    // Shown from its start, however long it is.
    EXPECT_EQ(form->Combo1->lineEdit()->cursorPosition(), 0);
    EXPECT_TRUE(status().isEmpty());
}

TEST_F(CategoryTest, EmptyTableLeavesTheBoxAsItWas)
{
    form->Combo1->addItems({"消えた", "残り"});
    form->Combo1->setEditText("消えた");
    Module1::LoadCategoryList(*form);
    EXPECT_EQ(status(), "カテゴリデータがありません。");
    EXPECT_EQ(comboItems(), QStringList({"消えた", "残り"}));
    EXPECT_EQ(form->Combo1->currentText(), "消えた");
}

TEST_F(CategoryTest, DeleteExistingQuotedAndMissing)
{
    sql("INSERT INTO カテゴリ VALUES ('Bob''s'), ('残す')");
    form->Combo1->setEditText("Bob's");
    Module1::DeleteCategory(*form);
    EXPECT_EQ(status(), "正常に削除しました。");
    Module1::DeleteCategory(*form);
    EXPECT_EQ(status(), "レコードが見つかりません。");
    EXPECT_EQ(rows("SELECT カテゴリ名 FROM カテゴリ"), QStringList{"残す"});
}

TEST_F(CategoryTest, DeleteTitlesTakesOnlyThatCategorysTitles)
{
    sql("INSERT INTO タイトル (タイトル名, カテゴリ名) VALUES ('a', 'Bob''s'), ('b', 'bob''s'), "
        "('c', 'other')");
    sql("INSERT INTO カテゴリ VALUES ('bob''s')");
    Module1::LoadCategoryList(*form);
    form->Combo1->setEditText("Bob's");
    // Both spellings are the one category: its 削除 leaves no title behind.
    Module1::DeleteTitlesOfCategory(*form);
    EXPECT_TRUE(status().isEmpty());
    EXPECT_EQ(rows("SELECT タイトル名 FROM タイトル"), QStringList{"c"});

    Module1::DeleteTitlesOfCategory(*form);
    EXPECT_EQ(status(), "レコードが見つかりません。");
}

TEST_F(CategoryTest, DeleteTitlesIsAllOrNothing)
{
    sql("INSERT INTO タイトル (タイトル名, カテゴリ名) VALUES ('a', 'x'), ('b', 'x'), ('c', 'x')");
    // The engine refuses to delete one row in the middle of the set.
    sql("CREATE TRIGGER keep_b BEFORE DELETE ON タイトル WHEN old.タイトル名 = 'b' "
        "BEGIN SELECT RAISE(ABORT, 'kept'); END");
    form->Combo1->setEditText("x");
    Module1::DeleteTitlesOfCategory(*form);
    EXPECT_EQ(status(), "「カテゴリ→タイトル削除」でエラーが発生しました。");
    EXPECT_EQ(rows("SELECT タイトル名 FROM タイトル ORDER BY 1"), QStringList({"a", "b", "c"}));
}

TEST_F(CategoryTest, CategoryListHasNoRowLimit)
{
    constexpr int kCategories = 40000;
    insertNumbered("INSERT INTO カテゴリ VALUES (?)", kCategories);
    form->Combo1->setEditText("before");
    Module1::LoadCategoryList(*form);
    EXPECT_TRUE(status().isEmpty());
    EXPECT_EQ(form->Combo1->count(), kCategories);
    EXPECT_EQ(form->Combo1->currentText(), form->Combo1->itemText(0));
}

// A file that is not a SQLite database (an old catalogue of another format,
// say) is reported by every operation and never rewritten.
TEST_F(CategoryTest, ForeignFileIsReportedAndNeverTouched)
{
    QFile::remove(dbPath());
    {
        QFile file(dbPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(4000, 'j'));
    }
    const QByteArray before = fileHash(dbPath());
    EXPECT_TRUE(createCatalogueIfMissing(dbPath()));

    form->Combo1->setEditText("書籍");
    Module1::LoadCategoryList(*form);
    EXPECT_EQ(status(), "「カテゴリ全検索」でエラーが発生しています。");
    Module1::RegisterCategory(*form);
    EXPECT_EQ(status(), "「カテゴリ登録」で重複キー等のエラーが発生しました。");
    Module1::DeleteCategory(*form);
    EXPECT_EQ(status(), "「カテゴリ削除」でエラーが発生しました。");
    Module1::DeleteTitlesOfCategory(*form);
    EXPECT_EQ(status(), "「カテゴリ→タイトル削除」でエラーが発生しました。");
    EXPECT_EQ(fileHash(dbPath()), before);
}

TEST_F(CategoryTest, MissingFileIsReportedAndNotCreated)
{
    QFile::remove(dbPath());
    form->Combo1->setEditText("書籍");
    Module1::RegisterCategory(*form);
    EXPECT_EQ(status(), "「カテゴリ登録」で重複キー等のエラーが発生しました。");
    Module1::DeleteCategory(*form);
    EXPECT_EQ(status(), "「カテゴリ削除」でエラーが発生しました。");
    EXPECT_FALSE(QFile::exists(dbPath()));
}

TEST_F(CategoryTest, LockedFileIsReported)
{
    SqliteDatabase other(dbPath());
    other.exec("BEGIN EXCLUSIVE");
    form->Combo1->setEditText("書籍");
    Module1::RegisterCategory(*form);
    EXPECT_EQ(status(), "「カテゴリ登録」で重複キー等のエラーが発生しました。");
    Module1::LoadCategoryList(*form);
    EXPECT_EQ(status(), "「カテゴリ全検索」でエラーが発生しています。");
    other.exec("ROLLBACK");

    Module1::RegisterCategory(*form);
    EXPECT_EQ(status(), "正常に登録しました。");
}

// A category whose stored name is not UTF-8 (another program wrote it) reads
// as text that another category may really hold: the box's entry keeps its
// row, so selecting and deleting it never takes the other category instead.
TEST_F(CategoryTest, ACategoryNamedInBytesThatAreNotUtf8IsSelectedAndDeletedAsItself)
{
    sql("INSERT INTO カテゴリ VALUES (CAST(x'c3' AS TEXT))");
    sql("INSERT INTO カテゴリ VALUES ('\uFFFD')");
    sql("INSERT INTO タイトル VALUES ('odd', ' ', ' ', ' ', CAST(x'c3' AS TEXT), ' ', ' ')");
    sql("INSERT INTO タイトル VALUES ('twin', ' ', ' ', ' ', '\uFFFD', ' ', ' ')");
    Module1::LoadCategoryList(*form);
    ASSERT_EQ(comboItems(), QStringList({"\uFFFD", "\uFFFD"}));
    const QString titlesByBytes =
        QStringLiteral("SELECT タイトル名 || '|' || hex(カテゴリ名) FROM タイトル ORDER BY 1");

    for (int entry = 0; entry < 2; ++entry) {
        form->Combo1->setCurrentIndex(entry);
        const QString bytes = rows("SELECT hex(カテゴリ名) FROM カテゴリ WHERE rowid = ?",
                                   {form->Combo1->itemData(entry).toString()})
                                  .value(0);
        Module1::LoadTitleList(*form);
        EXPECT_EQ(form->List1->items(), QStringList({bytes == "C3" ? "odd" : "twin"})) << entry;
    }

    form->Combo1->setCurrentIndex(0);
    const QString firstBytes = rows("SELECT hex(カテゴリ名) FROM カテゴリ WHERE rowid = ?",
                                    {form->Combo1->itemData(0).toString()})
                                   .value(0);
    Module1::DeleteTitlesOfCategory(*form);
    Module1::DeleteCategory(*form);
    EXPECT_EQ(status(), "正常に削除しました。");
    const QString otherBytes = firstBytes == "C3" ? "EFBFBD" : "C3";
    EXPECT_EQ(rows("SELECT hex(カテゴリ名) FROM カテゴリ"), QStringList({otherBytes}));
    EXPECT_EQ(rows(titlesByBytes),
              QStringList({(otherBytes == "C3" ? "odd|" : "twin|") + otherBytes}));
}

// An entry whose row has since been freed and taken by another category is no
// longer that category: it is then found by its name, as typed text is.
TEST_F(CategoryTest, AListedRowNowHoldingAnotherCategoryIsNotTaken)
{
    sql("INSERT INTO カテゴリ VALUES ('旧')");
    Module1::LoadCategoryList(*form);
    sql("DELETE FROM カテゴリ");
    sql("INSERT INTO カテゴリ VALUES ('新')");
    ASSERT_EQ(rows("SELECT rowid FROM カテゴリ"), QStringList({"1"}));
    Module1::DeleteCategory(*form);
    EXPECT_EQ(status(), "レコードが見つかりません。");
    EXPECT_EQ(rows("SELECT カテゴリ名 FROM カテゴリ"), QStringList({"新"}));
}

} // namespace
