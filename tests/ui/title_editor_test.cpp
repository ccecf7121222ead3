#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "support/form_fixture.h"
#include "ui/combo_box.h"

namespace {

class TitleEditorTest : public FormFixture {
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        sql("INSERT INTO カテゴリ VALUES ('書籍')");
        makeForm();
    }
    QStringList listed() const
    {
        QStringList names;
        for (int i = 0; i < form->List1->count(); ++i)
            names << form->List1->item(i)->text();
        return names;
    }
    void clickTitle(const QString& name)
    {
        const auto found = form->List1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << name.toStdString();
        form->List1->setCurrentItem(found.first());
    }
    QString status() const { return form->Text8->text(); }
};

TEST_F(TitleEditorTest, RegisterChecksCategoryThenName)
{
    form->Combo1->setEditText("");
    form->Text2->setText("x");
    form->Command3->click();
    ASSERT_EQ(fakes.dialogs.shown.size(), 1u);
    EXPECT_EQ(fakes.dialogs.shown[0].text, "カテゴリが指定されていません。");
    EXPECT_FALSE(fakes.dialogs.shown[0].question);
    EXPECT_EQ(form->Text2->text(), "x");

    form->Combo1->setEditText("書籍");
    form->Text2->clear();
    form->Command3->click();
    EXPECT_EQ(fakes.dialogs.shown[1].text, "タイトルに文字列を入力してください。");
    EXPECT_TRUE(rows("SELECT * FROM タイトル").isEmpty());
}

// A user's whole day with the editor: register, select, search, update and
// delete, all through the window's own handlers, then a plain look at the file.
TEST_F(TitleEditorTest, RoundTripThroughTheWindow)
{
    form->Combo2->setEditText("選択");
    form->Command1->click();

    fakes.dialogs.answer({true});
    form->Text2->setText("吾輩は猫である");
    form->Text3->setPlainText("名前はまだ無い。\n二行目");
    const QString neko = folder.filePath("neko.jpg");
    QImage(40, 30, QImage::Format_RGB32).save(neko);
    form->Text5->setText(neko);
    form->Combo3->setEditText("/home/u/books/neko.txt");
    form->Command19->click();
    form->Combo3->setEditText("/home/u/books/neko2.txt");
    form->Command19->click();
    form->Combo3->setEditText("https://example.org/neko");
    form->Text6->setText("/home/u/books");
    form->Text9->setText("--read-only");
    form->Command3->click();
    EXPECT_EQ(status(), "正常に登録しました。");
    EXPECT_TRUE(form->Text2->text().isEmpty());
    EXPECT_EQ(listed(), QStringList{"吾輩は猫である"});

    fakes.dialogs.answer({true});
    form->Text2->setText("坊っちゃん");
    form->Combo3->setEditText("/home/u/books/botchan.txt");
    form->Command3->click();
    EXPECT_EQ(listed(), QStringList({"吾輩は猫である", "坊っちゃん"}));
    EXPECT_EQ(form->Label15->text(), "2");

    clickTitle("吾輩は猫である");
    EXPECT_EQ(status(), "タイトルが選択されました。");
    EXPECT_EQ(form->Text2->text(), "吾輩は猫である");
    EXPECT_EQ(form->Text3->toPlainText(), "名前はまだ無い。\n二行目");
    EXPECT_EQ(form->Combo3->currentText(), "https://example.org/neko");
    // The thumbnail is small, so it shows at its own size, and its folder's
    // pictures form the image list.
    EXPECT_FALSE(form->Picture2->isHidden());
    EXPECT_EQ(form->Text7->text(), "1");
    EXPECT_EQ(form->Label14->text(), "1");
    EXPECT_EQ(comboItems(form->Combo3),
              QStringList({"/home/u/books/neko.txt", "/home/u/books/neko2.txt"}));

    form->Text1->setText("坊");
    form->Command2->click();
    EXPECT_EQ(listed(), QStringList{"坊っちゃん"});

    fakes.dialogs.answer({true});
    form->Text9->setText("--page 3");
    form->Command4->click();
    EXPECT_EQ(fakes.dialogs.shown.back().text, "吾輩は猫である を更新しますか？");
    EXPECT_EQ(fakes.dialogs.shown.back().title, "確認！");
    EXPECT_EQ(status(), "正常に更新しました。");
    EXPECT_EQ(form->Text2->text(), "吾輩は猫である");

    clickTitle("坊っちゃん");
    fakes.dialogs.answer({true});
    form->Command5->click();
    EXPECT_EQ(status(), "正常に削除しました。");
    EXPECT_TRUE(form->Text2->text().isEmpty());
    EXPECT_EQ(listed(), QStringList{"吾輩は猫である"});

    EXPECT_EQ(rows("SELECT * FROM タイトル"),
              QStringList{"吾輩は猫である|名前はまだ無い。\r\n二行目|" + neko + "|"
                          "https://example.org/neko\r\n/home/u/books/neko.txt\r\n"
                          "/home/u/books/neko2.txt\r\n|書籍|/home/u/books|--page 3"});
}

TEST_F(TitleEditorTest, ClickingTheSelectedTitleAgainReloadsIt)
{
    sql("INSERT INTO タイトル VALUES ('T', ' ', ' ', ' \r\n', '書籍', ' ', ' ')");
    form->show();
    form->Command1->click();
    QListWidgetItem* item = form->List1->item(0);
    const QPoint centre = form->List1->visualItemRect(item).center();
    // One click selects once. The status line starts empty, so a single
    // selection changes it once; a second run would empty and set it again.
    QSignalSpy statusChanges(form->Text8, &QLineEdit::textChanged);
    QTest::mouseClick(form->List1->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(form->Text2->text(), "T");
    EXPECT_EQ(statusChanges.count(), 1);

    form->Text2->setText("書きかけ");
    form->Text8->clear();
    QTest::mouseClick(form->List1->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(form->Text2->text(), "T");
    EXPECT_EQ(form->Text8->text(), "タイトルが選択されました。");
}

TEST_F(TitleEditorTest, AnsweringNoChangesNothing)
{
    sql("INSERT INTO タイトル VALUES ('T', ' ', ' ', ' \r\n', '書籍', ' ', ' ')");
    form->Text2->setText("T");
    fakes.dialogs.answer({false, false, false});
    form->Command3->click();
    form->Command4->click();
    form->Command5->click();
    EXPECT_EQ(form->Text2->text(), "T");
    EXPECT_TRUE(form->Text9->text().isEmpty());
    EXPECT_EQ(rows("SELECT COUNT(*) FROM タイトル"), QStringList{"1"});
}

TEST_F(TitleEditorTest, AddPutsTheTextInOnceAndDelTakesItOut)
{
    form->Combo3->setEditText("/a");
    form->Command19->click();
    form->Command19->click();
    EXPECT_EQ(comboItems(form->Combo3), QStringList{"/a"});
    form->Combo3->setEditText("/b");
    form->Command19->click();
    EXPECT_EQ(comboItems(form->Combo3), QStringList({"/a", "/b"}));
    EXPECT_EQ(form->Combo3->currentText(), "/b");

    form->Combo3->setEditText("/a");
    form->Command20->click();
    EXPECT_EQ(comboItems(form->Combo3), QStringList{"/b"});
    EXPECT_TRUE(form->Combo3->currentText().isEmpty());

    form->Combo3->setEditText("/none");
    form->Command20->click();
    EXPECT_EQ(comboItems(form->Combo3), QStringList{"/b"});
    EXPECT_EQ(form->Combo3->currentText(), "/none");
}

TEST_F(TitleEditorTest, TypingOrDelRedrawsTheLinkIconButPickingDoesNot)
{
    QPixmap red(32, 32);
    red.fill(Qt::red);
    fakes.shell.associations["/data/a.txt"] = "/apps/editor.desktop";
    fakes.shell.icons["/apps/editor.desktop"] = QIcon(red);

    QTest::keyClicks(form->Combo3->lineEdit(), "/data/a.txt");
    EXPECT_FALSE(form->Picture1->pixmap().isNull());
    EXPECT_FALSE(form->Picture1->toolTip().isEmpty());

    form->Command19->click();
    const auto queries = fakes.shell.associationQueries.size();
    // Choosing an entry from the list is no change of the text by the user.
    form->Combo3->setCurrentIndex(0);
    EXPECT_EQ(fakes.shell.associationQueries.size(), queries);

    form->Command20->click();
    EXPECT_TRUE(form->Combo3->currentText().isEmpty());
    EXPECT_TRUE(form->Picture1->pixmap().isNull());
    EXPECT_TRUE(form->Picture1->toolTip().isEmpty());
}

TEST_F(TitleEditorTest, ClearEmptiesTheEditorButNotTheLists)
{
    sql("INSERT INTO タイトル VALUES ('T', 'd', '/p.jpg', '/a\r\n/b\r\n', '書籍', '/w', '-o')");
    form->Command1->click();
    clickTitle("T");
    form->List2->addItem("/p.jpg");
    form->Text7->setText("1");
    form->Label14->setText("1");
    form->Text1->setText("q");

    QSignalSpy changes(form->Combo3, &QComboBox::editTextChanged);
    form->Command10->click();
    EXPECT_EQ(changes.count(), 0);
    for (QLineEdit* field : {form->Text1, form->Text2, form->Text5, form->Text6, form->Text7,
                             form->Text9, form->Text8})
        EXPECT_TRUE(field->text().isEmpty()) << field->objectName().toStdString();
    EXPECT_TRUE(form->Text3->toPlainText().isEmpty());
    EXPECT_TRUE(form->Combo3->currentText().isEmpty());
    EXPECT_EQ(form->Combo3->count(), 0);
    EXPECT_TRUE(form->Label14->text().isEmpty());
    EXPECT_EQ(listed(), QStringList{"T"});
    EXPECT_EQ(form->Label15->text(), "1");
    EXPECT_EQ(form->List2->count(), 1);
}

} // namespace
