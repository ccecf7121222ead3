#include <functional>
#include <optional>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "catalogue/title_ops.h"
#include "support/form_fixture.h"
#include "ui/list_box.h"
#include "ui/main/form1.h"
#include "ui/twips.h"

namespace
{

const QString kUpdateRefused =
    QStringLiteral("他で変更されたため、更新しませんでした（選び直してください）。");
const QString kDeleteRefused =
    QStringLiteral("他で変更されたため、削除しませんでした（選び直してください）。");

// The editor against a second program writing the same file: what the editor
// read decides whether 更新 and 削除 may write.
class TitleSinceReadTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        makeForm(false);
        sql("INSERT INTO タイトル VALUES ('共有', 'original', ' ', ' ' || char(13, 10), 'x', ' ', "
            "' ')");
        form->Combo1->setEditText("x");
    }
    void read(const QString& name)
    {
        form->List1->clear();
        form->List1->addItem(name);
        QSignalBlocker quiet(form->List1);
        form->List1->setCurrentRow(0);
        Module1::LoadTitleRecord(*form);
    }
    QString status() const { return form->Text8->text(); }
    QStringList stored() { return rows("SELECT タイトル名, 説明 FROM タイトル ORDER BY 1"); }
};

TEST_F(TitleSinceReadTest, UpdateOfATitleChangedElsewhereWritesNothing)
{
    read("共有");
    ASSERT_EQ(form->Text2->text(), "共有");
    sql("UPDATE タイトル SET 説明 = 'other window'");
    form->Text3->setPlainText("mine");
    Module1::UpdateTitle(*form);
    EXPECT_EQ(status(), kUpdateRefused);
    EXPECT_EQ(stored(), QStringList({"共有|other window"}));

    // Read again, the edit goes through, and so does a second one on what
    // the editor itself wrote.
    read("共有");
    form->Text3->setPlainText("mine");
    Module1::UpdateTitle(*form);
    EXPECT_EQ(status(), "正常に更新しました。");
    form->Text3->setPlainText("mine again");
    Module1::UpdateTitle(*form);
    EXPECT_EQ(status(), "正常に更新しました。");
    EXPECT_EQ(stored(), QStringList({"共有|mine again"}));
}

TEST_F(TitleSinceReadTest, DeleteOfATitleChangedElsewhereWritesNothing)
{
    read("共有");
    sql("UPDATE タイトル SET カテゴリ名 = 'moved'");
    Module1::DeleteTitle(*form);
    EXPECT_EQ(status(), kDeleteRefused);
    EXPECT_EQ(stored(), QStringList({"共有|original"}));
    read("共有");
    Module1::DeleteTitle(*form);
    EXPECT_EQ(status(), "正常に削除しました。");
    EXPECT_TRUE(stored().isEmpty());
}

TEST_F(TitleSinceReadTest, ATitleGoneSinceReadIsNotFound)
{
    read("共有");
    sql("DELETE FROM タイトル");
    form->Text5->clear();
    Module1::UpdateTitle(*form);
    EXPECT_EQ(status(), "レコードが見つかりません。");
    // Nothing found, so no field was filled with its blank.
    EXPECT_EQ(form->Text5->text(), "");
    Module1::DeleteTitle(*form);
    EXPECT_EQ(status(), "レコードが見つかりません。");
}

// A name typed into the editor, even that of the title read before, is
// written as it always was: by the name, over whatever is stored.
TEST_F(TitleSinceReadTest, ANameTypedByHandIsWrittenAsBefore)
{
    read("共有");
    sql("UPDATE タイトル SET 説明 = 'other window'");
    form->Text2->clear();
    form->Text2->setText("共有");
    form->Text3->setPlainText("typed");
    Module1::UpdateTitle(*form);
    EXPECT_EQ(status(), "正常に更新しました。");
    EXPECT_EQ(stored(), QStringList({"共有|typed"}));

    read("共有");
    sql("UPDATE タイトル SET 説明 = 'other again'");
    form->Text2->setText("共有 ");
    form->Text2->setText("共有");
    Module1::DeleteTitle(*form);
    EXPECT_EQ(status(), "正常に削除しました。");
    EXPECT_TRUE(stored().isEmpty());
}

// Reading another title, or failing to read one, forgets the first.
TEST_F(TitleSinceReadTest, AnotherReadReplacesWhatWasRead)
{
    sql("INSERT INTO タイトル VALUES ('別', 'b', ' ', ' ', 'x', ' ', ' ')");
    read("共有");
    read("別");
    sql("UPDATE タイトル SET 説明 = 'changed' WHERE タイトル名 = '共有'");
    form->Text3->setPlainText("b2");
    Module1::UpdateTitle(*form);
    EXPECT_EQ(status(), "正常に更新しました。");
    EXPECT_EQ(stored(), QStringList({"共有|changed", "別|b2"}));
}

// A title whose stored name is not UTF-8 (another program wrote it) is
// listed, opened, updated and deleted by its row: its name never survives the
// trip through the editor's text, and a title of the name the list shows is
// never touched instead.
TEST_F(TitleSinceReadTest, ATitleNamedInBytesThatAreNotUtf8OpensUpdatesAndDeletes)
{
    sql("INSERT INTO タイトル VALUES (CAST(x'6162fe63' AS TEXT), 'odd', ' ', ' ', 'x', ' ', ' ')");
    // A title named as the list shows it is another title, left alone.
    sql("INSERT INTO タイトル VALUES ('ab\uFFFDc', 'twin', ' ', ' ', 'y', ' ', ' ')");
    Module1::LoadTitleList(*form);
    ASSERT_EQ(form->List1->items(), QStringList({"ab\uFFFDc", "共有"}));
    {
        QSignalBlocker quiet(form->List1);
        form->List1->setCurrentRow(0);
    }
    ASSERT_TRUE(Module1::LoadTitleRecord(*form));
    EXPECT_EQ(form->Text2->text(), "ab\uFFFDc");
    EXPECT_EQ(form->Text3->toPlainText(), "odd");
    form->Text3->setPlainText("mended");
    Module1::UpdateTitle(*form);
    EXPECT_EQ(status(), "正常に更新しました。");
    const QString byBytes = QStringLiteral("SELECT hex(タイトル名) || '|' || 説明 FROM タイトル "
                                           "WHERE タイトル名 != '共有' ORDER BY 1");
    EXPECT_EQ(rows(byBytes), QStringList({"6162EFBFBD63|twin", "6162FE63|mended"}));

    Module1::DeleteTitle(*form);
    EXPECT_EQ(status(), "正常に削除しました。");
    EXPECT_EQ(rows(byBytes), QStringList({"6162EFBFBD63|twin"}));

    // The row of a deleted title that now holds another (an emptied table
    // numbers its rows from 1 again) is no longer the listed title: its read
    // finds nothing rather than the newcomer.
    Module1::LoadTitleList(*form);
    sql("DELETE FROM タイトル");
    sql("INSERT INTO タイトル VALUES ('新顔', 'new', ' ', ' ', 'x', ' ', ' ')");
    ASSERT_EQ(rows("SELECT rowid FROM タイトル"), QStringList({"1"}));
    {
        QSignalBlocker quiet(form->List1);
        form->List1->setCurrentRow(form->List1->items().indexOf("共有"));
    }
    EXPECT_FALSE(Module1::LoadTitleRecord(*form));
    EXPECT_EQ(status(), "タイトル・データがありません。");
}

// What the editor cannot show as stored (a no-break space shows as a space, a
// lone CR as a line break, leading spaces not at all) stays stored byte for
// byte through an update of the other fields; an edited description is stored
// with CR LF line ends.
TEST_F(TitleSinceReadTest, AnUntouchedDescriptionKeepsItsStoredBytes)
{
    struct Case {
        const char* what;
        QString stored; // SQL expression
        std::optional<QString> typed;
        QString storedHex;
    };
    const Case cases[] = {
        {"no-break space", "'a' || char(160) || 'b'", {}, "61C2A062"},
        {"lone CR", "'a' || char(13) || 'b'", {}, "610D62"},
        {"leading spaces", "'  a'", {}, "202061"},
        {"tab and CR LF", "'a' || char(9) || char(13, 10) || 'b'", {}, "61090D0A62"},
        {"edited", "'a' || char(160) || 'b'", "a b\nc", "6120620D0A63"},
        {"edited to what is shown", "'a' || char(13) || 'b'", "a\nb\n", "610D0A620D0A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sql("UPDATE タイトル SET 説明 = " + c.stored + ", 起動オプション = ' '");
        read("共有");
        if (c.typed)
            form->Text3->setPlainText(*c.typed);
        form->Text9->setText("-v");
        Module1::UpdateTitle(*form);
        EXPECT_EQ(status(), "正常に更新しました。");
        EXPECT_EQ(rows("SELECT hex(説明) || '|' || 起動オプション FROM タイトル"),
                  QStringList({c.storedHex + "|-v"}));
        // A second update of what the first wrote keeps it as well.
        form->Text9->setText("-w");
        Module1::UpdateTitle(*form);
        EXPECT_EQ(rows("SELECT hex(説明) || '|' || 起動オプション FROM タイトル"),
                  QStringList({c.storedHex + "|-w"}));
    }
}

// Every message shows from its first character, and the refusals fit the
// status line whole at its narrower width.
TEST_F(TitleSinceReadTest, TheStatusLineShowsEachMessageFromItsBeginning)
{
    const QString longCategory = QString(40, QChar(0x9577));
    struct Case {
        const char* what;
        std::function<void()> act;
        QString message;
        bool fits;
    };
    const Case cases[] = {
        {"long category",
         [&] {
             form->Combo1->setEditText(longCategory);
             Module1::LoadTitleList(*form);
         },
         "カテゴリ＝" + longCategory + "には、まだ、タイトル・データがありません。", false},
        {"update refused",
         [&] {
             form->Combo1->setEditText("x");
             read("共有");
             sql("UPDATE タイトル SET 説明 = 'other window'");
             Module1::UpdateTitle(*form);
         },
         kUpdateRefused, true},
        {"delete refused",
         [&] {
             read("共有");
             sql("UPDATE タイトル SET 説明 = 'other again'");
             Module1::DeleteTitle(*form);
         },
         kDeleteRefused, true},
    };
    form->Text8->setFixedWidth(twipsToPixels(Form1::kStatusNarrowTwips));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.act();
        EXPECT_EQ(status(), c.message);
        EXPECT_EQ(form->Text8->cursorPosition(), 0);
        const int room = form->Text8->contentsRect().width() - 4;
        EXPECT_EQ(form->Text8->fontMetrics().horizontalAdvance(c.message) <= room, c.fits);
    }
}

} // namespace
