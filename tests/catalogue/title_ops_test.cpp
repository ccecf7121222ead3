#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>

#include "catalogue/title_ops.h"
#include "store/catalogue_db.h"
#include "store/sqlite_database.h"
#include "support/form_fixture.h"
#include "ui/combo_box.h"
#include "ui/list_box.h"

namespace
{

class TitleTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        makeForm(false);
    }
    void addTitle(const QString& name, const QString& category, const QString& links = " \r\n")
    {
        sql("INSERT INTO タイトル VALUES (?, ' ', ' ', ?, ?, ' ', ' ')", {name, links, category});
    }
    QStringList listed() const { return form->List1->items(); }
    void select(const QString& name)
    {
        form->List1->clear();
        form->List1->addItem(name);
        QSignalBlocker quiet(form->List1);
        form->List1->setCurrentRow(0);
    }
    QString status() const { return form->Text8->text(); }
    QStringList editor() const
    {
        return {form->Text2->text(),         form->Text3->toPlainText(), form->Text5->text(),
                form->Combo3->currentText(), form->Text6->text(),        form->Text9->text()};
    }
};

TEST_F(TitleTest, ListShowsCategoryTitlesInNameOrderWithCount)
{
    addTitle("banana", "果物");
    addTitle("Apple", "果物");
    addTitle("cherry", "果物");
    addTitle("人参", "野菜");
    form->Combo1->setEditText("果物");
    Module1::LoadTitleList(*form);
    EXPECT_EQ(listed(), QStringList({"Apple", "banana", "cherry"}));
    EXPECT_EQ(form->Label15->text(), "3");
    EXPECT_TRUE(status().isEmpty());

    // The category is matched regardless of case.
    form->Combo1->setEditText("野菜");
    Module1::LoadTitleList(*form);
    EXPECT_EQ(listed(), QStringList{"人参"});
}

TEST_F(TitleTest, CategoryWithoutTitlesEmptiesTheList)
{
    addTitle("a", "x");
    form->Combo1->setEditText("x");
    Module1::LoadTitleList(*form);
    form->Combo1->setEditText("Bob's");
    Module1::LoadTitleList(*form);
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(form->Label15->text(), "0");
    EXPECT_EQ(status(), "カテゴリ＝Bob'sには、まだ、タイトル・データがありません。");
}

TEST_F(TitleTest, SearchNarrowsByTextAnywhereInTheName)
{
    for (const char* name : {"年間計画", "計画書ABC", "議事録", "50%off", "5000off", "a_b", "axb"})
        addTitle(QString::fromUtf8(name), "文書");
    form->Combo1->setEditText("文書");

    const auto search = [&](const QString& text) {
        form->Text1->setText(text);
        Module1::SearchTitles(*form);
        QStringList names = listed();
        names.sort();
        return names;
    };
    EXPECT_EQ(search("計画"), QStringList({"年間計画", "計画書ABC"}));
    EXPECT_EQ(search("abc"), QStringList({"計画書ABC"}));
    // Width is ignored as well as case.
    EXPECT_EQ(search("ａｂｃ"), QStringList({"計画書ABC"}));
    EXPECT_EQ(search("0%"), QStringList({"50%off"}));
    EXPECT_EQ(search("_"), QStringList({"a_b"}));
    EXPECT_EQ(search("a?b"), QStringList({"a_b", "axb"}));
    EXPECT_EQ(search("").size(), 7);
    EXPECT_EQ(form->Label15->text(), "7");
}

TEST_F(TitleTest, FullWidthLettersMatchRegardlessOfCase)
{
    addTitle("ＡＢＣ資料", "文書");
    form->Combo1->setEditText("文書");
    form->Text1->setText("ａｂｃ");
    Module1::SearchTitles(*form);
    EXPECT_EQ(listed(), QStringList{"ＡＢＣ資料"});
}

TEST_F(TitleTest, SearchWithoutHitKeepsThePreviousList)
{
    addTitle("one", "c");
    addTitle("two", "c");
    form->Combo1->setEditText("c");
    Module1::LoadTitleList(*form);
    form->Text1->setText("Bob's");
    Module1::SearchTitles(*form);
    EXPECT_EQ(listed(), QStringList({"one", "two"}));
    EXPECT_EQ(form->Label15->text(), "0");
    EXPECT_EQ(status(), "検索結果が０件です。");
}

TEST_F(TitleTest, MalformedSearchPatternTakesTheFailurePath)
{
    addTitle("one", "c");
    form->Combo1->setEditText("c");
    form->Text1->setText("[on");
    Module1::SearchTitles(*form);
    EXPECT_EQ(status(), "「タイトル絞込み検索」でエラーが発生しています。");
}

TEST_F(TitleTest, RecordFillsEditorAndSplitsLinkTargets)
{
    sql("INSERT INTO タイトル VALUES ('Bob''s', '一行目\r\n二行目', '  /pics/a.jpg', "
        "'/a.txt\r\n/b.txt\r\nhttp://c/\r\n', 'c', ' ', ' -v')");
    setComboContents(form->Combo3, "old", {"stale"});
    select("Bob's");
    Module1::LoadTitleRecord(*form);
    EXPECT_EQ(editor(),
              QStringList({"Bob's", "一行目\n二行目", "/pics/a.jpg", "/a.txt", "", "-v"}));
    EXPECT_EQ(comboItems(form->Combo3), QStringList({"/b.txt", "http://c/"}));
}

TEST_F(TitleTest, RecordWithUnterminatedLastLinkAndNullColumns)
{
    sql("INSERT INTO タイトル (タイトル名, ファイルパス) VALUES ('n', '/first\r\n/second')");
    select("n");
    Module1::LoadTitleRecord(*form);
    EXPECT_TRUE(status().isEmpty());
    EXPECT_EQ(editor(), QStringList({"n", "", "", "/second", "", ""}));
    EXPECT_TRUE(comboItems(form->Combo3).isEmpty());
}

TEST_F(TitleTest, UnreadableRecordLeavesTheEditorUntouched)
{
    const auto fillEditor = [&] {
        form->Text2->setText("kept");
        form->Text3->setPlainText("desc");
        form->Text5->setText("/kept.jpg");
        setComboContents(form->Combo3, "kept link", {"x", "y"});
        form->Text6->setText("/w");
        form->Text9->setText("-o");
    };
    const QStringList kept{"kept", "desc", "/kept.jpg", "kept link", "/w", "-o"};

    // A title that has gone.
    fillEditor();
    select("gone");
    EXPECT_FALSE(Module1::LoadTitleRecord(*form));
    EXPECT_EQ(status(), "タイトル・データがありません。");
    EXPECT_EQ(editor(), kept);
    EXPECT_EQ(comboItems(form->Combo3), QStringList({"x", "y"}));

    // The engine failing to read.
    sql("DROP TABLE タイトル");
    form->Text8->clear();
    select("there");
    EXPECT_FALSE(Module1::LoadTitleRecord(*form));
    EXPECT_EQ(status(), "「タイトルデータの取得」でエラーが発生しています。");
    EXPECT_EQ(editor(), kept);
    EXPECT_EQ(comboItems(form->Combo3), QStringList({"x", "y"}));
}

TEST_F(TitleTest, NameIsReadAsStoredWithItsLeadingSpaces)
{
    sql("INSERT INTO タイトル VALUES ('  二字下げ', '  説明', '  /p.jpg', '  /a\r\n', 'c', '  /w', "
        "'  -o')");
    select("  二字下げ");
    EXPECT_TRUE(Module1::LoadTitleRecord(*form));
    // Only the name keeps its spaces: the other fields are read left-trimmed,
    // as ever.
    EXPECT_EQ(editor(), QStringList({"  二字下げ", "説明", "/p.jpg", "/a", "/w", "-o"}));

    form->Text9->setText("-v");
    Module1::UpdateTitle(*form);
    EXPECT_EQ(status(), "正常に更新しました。");
    Module1::DeleteTitle(*form);
    EXPECT_EQ(status(), "正常に削除しました。");
    EXPECT_TRUE(rows("SELECT * FROM タイトル").isEmpty());
}

TEST_F(TitleTest, RegisterWithOnlyANameStoresBlanks)
{
    form->Combo1->setEditText("c");
    form->Text2->setText("名前だけ");
    Module1::RegisterTitle(*form);
    EXPECT_EQ(status(), "正常に登録しました。");
    EXPECT_EQ(editor(), QStringList({"名前だけ", " ", " ", " ", " ", " "}));
    EXPECT_EQ(rows("SELECT * FROM タイトル"), QStringList{"名前だけ| | | \r\n|c| | "});

    // Read back, the blanks show as empty fields again.
    select("名前だけ");
    Module1::LoadTitleRecord(*form);
    EXPECT_EQ(editor(), QStringList({"名前だけ", "", "", "", "", ""}));
}

TEST_F(TitleTest, RegisterStoresAllFieldsAndRefusesDuplicatesAcrossCategories)
{
    form->Combo1->setEditText("c1");
    form->Text2->setText("T");
    form->Text3->setPlainText("l1\nl2");
    form->Text5->setText("/p.jpg");
    setComboContents(form->Combo3, "A", {"B", "C"});
    form->Text6->setText("/w");
    form->Text9->setText("-x 'q'");
    Module1::RegisterTitle(*form);
    EXPECT_EQ(rows("SELECT * FROM タイトル"),
              QStringList{"T|l1\r\nl2|/p.jpg|A\r\nB\r\nC\r\n|c1|/w|-x 'q'"});

    form->Combo1->setEditText("c2");
    form->Text2->setText("T");
    form->Text3->clear();
    form->Text5->clear();
    setComboContents(form->Combo3, "", {"B"});
    form->Text6->clear();
    form->Text9->clear();
    EXPECT_FALSE(Module1::RegisterTitle(*form));
    EXPECT_EQ(status(), "「タイトル登録」で重複キー等のエラーが発生しました。");
    EXPECT_EQ(rows("SELECT カテゴリ名 FROM タイトル"), QStringList{"c1"});
    // Refused, the editor stays as typed: no blanks filled in.
    EXPECT_EQ(editor(), QStringList({"T", "", "", "", "", ""}));
    EXPECT_EQ(comboItems(form->Combo3), QStringList{"B"});
}

TEST_F(TitleTest, UpdateFindsTheRowByTheNameInTheEditor)
{
    addTitle("T", "c1");
    form->Combo1->setEditText("c2");
    form->Text2->setText("renamed");
    Module1::UpdateTitle(*form);
    EXPECT_EQ(status(), "レコードが見つかりません。");
    EXPECT_EQ(editor(), QStringList({"renamed", "", "", "", "", ""}));
    EXPECT_EQ(rows("SELECT カテゴリ名 FROM タイトル"), QStringList{"c1"});

    form->Text2->setText("T");
    form->Text9->setText("-v");
    Module1::UpdateTitle(*form);
    EXPECT_EQ(status(), "正常に更新しました。");
    EXPECT_EQ(editor(), QStringList({"T", " ", " ", " ", " ", "-v"}));
    // An update files the title under the category the box shows.
    EXPECT_EQ(rows("SELECT * FROM タイトル"), QStringList{"T| | | \r\n|c2| |-v"});
}

TEST_F(TitleTest, FailedUpdateLeavesTheRowAsItWas)
{
    addTitle("T", "c1");
    sql("CREATE TRIGGER no_update BEFORE UPDATE ON タイトル BEGIN SELECT RAISE(ABORT, 'no'); END");
    form->Combo1->setEditText("c2");
    form->Text2->setText("T");
    Module1::UpdateTitle(*form);
    EXPECT_EQ(status(), "「タイトル更新」でエラーが発生しました。");
    EXPECT_EQ(rows("SELECT カテゴリ名 FROM タイトル"), QStringList{"c1"});
}

TEST_F(TitleTest, DeleteByNameInTheEditor)
{
    addTitle("Bob's", "c");
    form->Text2->clear();
    Module1::DeleteTitle(*form);
    EXPECT_EQ(status(), "レコードが見つかりません。");
    form->Text2->setText("bob's");
    Module1::DeleteTitle(*form);
    EXPECT_EQ(status(), "正常に削除しました。");
    EXPECT_TRUE(rows("SELECT * FROM タイトル").isEmpty());
}

TEST_F(TitleTest, ListsHaveNoRowLimit)
{
    constexpr int kTitles = 40000;
    insertNumbered("INSERT INTO タイトル (タイトル名, カテゴリ名) VALUES (?, 'big')", kTitles);
    form->Combo1->setEditText("big");
    Module1::LoadTitleList(*form);
    EXPECT_TRUE(status().isEmpty());
    EXPECT_EQ(form->Label15->text(), QString::number(kTitles));
    ASSERT_EQ(form->List1->count(), kTitles);
    EXPECT_EQ(form->List1->text(0), "0");
    QSet<QString> expected;
    for (int i = 0; i < kTitles; ++i)
        expected.insert(QString::number(i));
    const QStringList& listedNames = form->List1->items();
    EXPECT_EQ(QSet<QString>(listedNames.begin(), listedNames.end()), expected);

    form->Text1->setText("");
    form->List1->clear();
    Module1::SearchTitles(*form);
    EXPECT_TRUE(status().isEmpty());
    EXPECT_EQ(form->Label15->text(), QString::number(kTitles));
    EXPECT_EQ(form->List1->count(), kTitles);
}

} // namespace
