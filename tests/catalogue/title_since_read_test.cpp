#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "catalogue/title_ops.h"
#include "support/form_fixture.h"
#include "ui/list_box.h"

namespace {

const QString kUpdateRefused =
    QStringLiteral("このタイトルは読み込んだ後に他で変更されたため、更新しませんでした。"
                   "タイトルを選び直して読み込んでから、もう一度操作してください。");
const QString kDeleteRefused =
    QStringLiteral("このタイトルは読み込んだ後に他で変更されたため、削除しませんでした。"
                   "タイトルを選び直して読み込んでから、もう一度操作してください。");

// The editor against a second program writing the same file: what the editor
// read decides whether 更新 and 削除 may write.
class TitleSinceReadTest : public FormFixture {
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

} // namespace
