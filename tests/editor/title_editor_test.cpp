#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include "catalogue/title_ops.h"
#include "store/catalogue_db.h"
#include "support/form_fixture.h"
#include "ui/combo_box.h"
#include "ui/list_box.h"
#include "ui/look.h"
#include "ui/main/tab_area.h"
#include "ui/picture_browser.h"

namespace
{

class TitleEditorTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        sql("INSERT INTO カテゴリ VALUES ('書籍')");
        makeForm();
        // Shown, so that the lists lay out their entries where a mouse can
        // reach them.
        form->show();
    }
    QStringList listed() const { return form->List1->items(); }
    // Where a row of List1 stands, scrolled into view first.
    QPoint rowCentre(int row) const
    {
        form->List1->scrollTo(form->List1->model()->index(row, 0));
        return form->List1->rowRect(row).center();
    }
    void clickTitle(const QString& name)
    {
        const int row = form->List1->findRow(name);
        ASSERT_GE(row, 0) << name.toStdString();
        QTest::mouseClick(form->List1->viewport(), Qt::LeftButton, {}, rowCentre(row));
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
              QStringList{"吾輩は猫である|名前はまだ無い。\r\n二行目|" + neko +
                          "|"
                          "https://example.org/neko\r\n/home/u/books/neko.txt\r\n"
                          "/home/u/books/neko2.txt\r\n|書籍|/home/u/books|--page 3"});
}

TEST_F(TitleEditorTest, ClickingTheSelectedTitleAgainReloadsIt)
{
    sql("INSERT INTO タイトル VALUES ('T', ' ', ' ', ' \r\n', '書籍', ' ', ' ')");
    form->Command1->click();
    const QPoint centre = rowCentre(0);
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

// --- Registration that fails keeps what was typed ----------------------------

TEST_F(TitleEditorTest, RefusedRegistrationKeepsEveryFieldAsTyped)
{
    sql("INSERT INTO タイトル VALUES ('既存', ' ', ' ', ' \r\n', '書籍', ' ', ' ')");
    const auto fillEditor = [&](const QString& name) {
        form->Text1->setText("検索語");
        form->Text2->setText(name);
        form->Text3->clear();
        form->Text5->clear();
        setComboContents(form->Combo3, "", {"/data/second.txt"});
        form->Text6->setText("/work");
        form->Text9->clear();
    };
    const auto expectEditorKept = [&](const QString& name) {
        EXPECT_EQ(form->Text1->text(), "検索語");
        EXPECT_EQ(form->Text2->text(), name);
        // Not even the blanks a stored title gets are filled in.
        EXPECT_EQ(form->Text3->toPlainText(), "");
        EXPECT_EQ(form->Text5->text(), "");
        EXPECT_EQ(form->Combo3->currentText(), "");
        EXPECT_EQ(comboItems(form->Combo3), QStringList{"/data/second.txt"});
        EXPECT_EQ(form->Text6->text(), "/work");
        EXPECT_EQ(form->Text9->text(), "");
    };
    form->Command1->click();

    // A name that exists.
    fillEditor("既存");
    fakes.dialogs.answer({true});
    form->Command3->click();
    EXPECT_EQ(status(), "「タイトル登録」で重複キー等のエラーが発生しました。");
    expectEditorKept("既存");

    // The engine refusing the row.
    sql("CREATE TRIGGER no_insert BEFORE INSERT ON タイトル BEGIN SELECT RAISE(ABORT, 'no'); END");
    fillEditor("新規");
    fakes.dialogs.answer({true});
    form->Command3->click();
    EXPECT_EQ(status(), "「タイトル登録」で重複キー等のエラーが発生しました。");
    expectEditorKept("新規");
    EXPECT_EQ(rows("SELECT タイトル名 FROM タイトル"), QStringList{"既存"});

    // Once the engine accepts it, the same editor is stored and emptied.
    sql("DROP TRIGGER no_insert");
    fakes.dialogs.answer({true});
    form->Command3->click();
    EXPECT_EQ(status(), "正常に登録しました。");
    EXPECT_TRUE(form->Text2->text().isEmpty());
    EXPECT_EQ(form->Combo3->count(), 0);
    QStringList names = listed();
    names.sort();
    EXPECT_EQ(names, QStringList({"新規", "既存"}));
    EXPECT_EQ(rows("SELECT * FROM タイトル WHERE タイトル名 = '新規'"),
              QStringList{"新規| | | \r\n/data/second.txt\r\n|書籍|/work| "});
}

// --- Selecting a title that cannot be read -----------------------------------

TEST_F(TitleEditorTest, TitleGoneSinceListingLeavesTheEditorForTheNextUpdate)
{
    sql("INSERT INTO タイトル VALUES ('A', 'a の説明', ' ', "
        "'/a/1.txt\r\n/a/2.txt\r\n/a/3.txt\r\n', "
        "'書籍', '/wa', '-a')");
    sql("INSERT INTO タイトル VALUES ('B', ' ', ' ', ' \r\n', '書籍', ' ', ' ')");
    form->Command1->click();
    clickTitle("A");
    ASSERT_EQ(form->Text2->text(), "A");
    ASSERT_EQ(comboItems(form->Combo3), QStringList({"/a/2.txt", "/a/3.txt"}));
    form->List2->addItem("/a/keep.jpg");

    sql("DELETE FROM タイトル WHERE タイトル名 = 'B'");
    clickTitle("B");
    EXPECT_EQ(status(), "タイトル・データがありません。");
    EXPECT_EQ(form->Text2->text(), "A");
    EXPECT_EQ(form->Text3->toPlainText(), "a の説明");
    EXPECT_EQ(form->Combo3->currentText(), "/a/1.txt");
    EXPECT_EQ(comboItems(form->Combo3), QStringList({"/a/2.txt", "/a/3.txt"}));
    EXPECT_EQ(form->Text6->text(), "/wa");
    EXPECT_EQ(form->Text9->text(), "-a");
    EXPECT_EQ(form->List2->items(), QStringList{"/a/keep.jpg"});

    // The title still in the editor is saved whole, extra link targets too.
    fakes.dialogs.answer({true});
    form->Command4->click();
    EXPECT_EQ(status(), "正常に更新しました。");
    EXPECT_EQ(rows("SELECT ファイルパス FROM タイトル WHERE タイトル名 = 'A'"),
              QStringList{"/a/1.txt\r\n/a/2.txt\r\n/a/3.txt\r\n"});
}

TEST_F(TitleEditorTest, FailedReadKeepsItsOwnMessageAndTheEditor)
{
    sql("INSERT INTO タイトル VALUES ('A', 'a', ' ', '/a/1.txt\r\n/a/2.txt\r\n', '書籍', ' ', ' "
        "')");
    form->Command1->click();
    clickTitle("A");
    // The read now fails in the engine itself.
    sql("ALTER TABLE タイトル RENAME TO 退避");
    clickTitle("A");
    EXPECT_EQ(status(), "「タイトルデータの取得」でエラーが発生しています。");
    EXPECT_EQ(form->Text2->text(), "A");
    EXPECT_EQ(form->Combo3->currentText(), "/a/1.txt");
    EXPECT_EQ(comboItems(form->Combo3), QStringList{"/a/2.txt"});
}

// --- Every selection of the user loads once ----------------------------------

TEST_F(TitleEditorTest, PressOnOneTitleReleasedOnAnotherLoadsTheReleasedOne)
{
    sql("INSERT INTO タイトル VALUES ('A', ' ', ' ', ' \r\n', '書籍', ' ', ' ')");
    sql("INSERT INTO タイトル VALUES ('B', ' ', ' ', ' \r\n', '書籍', ' ', ' ')");
    sql("INSERT INTO タイトル VALUES ('C', ' ', ' ', ' \r\n', '書籍', ' ', ' ')");
    form->Command1->click();
    const QPoint first = rowCentre(0);
    const QPoint third = rowCentre(2);
    QSignalSpy statusChanges(form->Text8, &QLineEdit::textChanged);

    QWidget* viewport = form->List1->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, first);
    QTest::mouseMove(viewport, rowCentre(1));
    QTest::mouseMove(viewport, third);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, third);
    EXPECT_EQ(form->List1->selectedText(), "C");
    EXPECT_EQ(form->Text2->text(), "C");
    EXPECT_EQ(statusChanges.count(), 1);

    // A quick flick from an entry not selected yet, the pointer's motion
    // never reported in between.
    QTest::mousePress(viewport, Qt::LeftButton, {}, rowCentre(1));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, first);
    EXPECT_EQ(form->List1->selectedText(), "A");
    EXPECT_EQ(form->Text2->text(), "A");
}

TEST_F(TitleEditorTest, DoubleClickLoadsOnce)
{
    sql("INSERT INTO タイトル VALUES ('A', ' ', ' ', ' \r\n', '書籍', ' ', ' ')");
    form->Command1->click();
    QSignalSpy statusChanges(form->Text8, &QLineEdit::textChanged);
    // Through the window, which turns the second press into a double click
    // as the desktop does: press, release, press, double click, release.
    const QPoint at = form->List1->viewport()->mapTo(form.get(), rowCentre(0));
    QTest::mouseDClick(form->windowHandle(), Qt::LeftButton, {}, at);
    EXPECT_EQ(form->Text2->text(), "A");
    EXPECT_EQ(statusChanges.count(), 1);
}

TEST_F(TitleEditorTest, KeyboardSelectionLoadsOnceAndAKeyThatMovesNothingLoadsNothing)
{
    for (const char* name : {"A", "B", "C", "D"})
        sql("INSERT INTO タイトル VALUES (?, ' ', ' ', ' \r\n', '書籍', ' ', ' ')",
            {QString::fromUtf8(name)});
    form->Command1->click();
    clickTitle("A");
    form->List1->setFocus();
    form->Text8->clear();
    QSignalSpy statusChanges(form->Text8, &QLineEdit::textChanged);

    QTest::keyClick(form->List1, Qt::Key_Down);
    EXPECT_EQ(form->Text2->text(), "B");
    EXPECT_EQ(statusChanges.count(), 1);

    QTest::keyClick(form->List1, Qt::Key_End);
    EXPECT_EQ(form->Text2->text(), "D");
    // Down on the last entry moves nothing and so loads nothing: the edit
    // stays.
    form->Text2->setText("書きかけ");
    statusChanges.clear();
    QTest::keyClick(form->List1, Qt::Key_Down);
    EXPECT_EQ(form->Text2->text(), "書きかけ");
    EXPECT_EQ(statusChanges.count(), 0);

    QTest::keyClick(form->List1, Qt::Key_Home);
    EXPECT_EQ(form->Text2->text(), "A");
}

TEST_F(TitleEditorTest, FillingOrEmptyingTheListLoadsNothing)
{
    sql("INSERT INTO タイトル VALUES ('A', ' ', ' ', ' \r\n', '書籍', ' ', ' ')");
    form->Command1->click();
    form->Text2->setText("書きかけ");
    form->List1->setCurrentRow(0);
    Module1::LoadTitleList(*form);
    form->List1->clear();
    EXPECT_EQ(form->Text2->text(), "書きかけ");
    EXPECT_TRUE(status().isEmpty());
}

// --- Names that begin with spaces --------------------------------------------

TEST_F(TitleEditorTest, TitleWithLeadingSpacesIsSelectedUpdatedAndDeleted)
{
    sql("INSERT INTO タイトル VALUES ('  字下げ', ' ', ' ', ' \r\n', '書籍', ' ', ' ')");
    sql("INSERT INTO タイトル VALUES ('字下げ', ' ', ' ', ' \r\n', '書籍', ' ', ' ')");
    form->Command1->click();
    clickTitle("  字下げ");
    EXPECT_EQ(form->Text2->text(), "  字下げ");

    fakes.dialogs.answer({true});
    form->Text9->setText("-x");
    form->Command4->click();
    EXPECT_EQ(status(), "正常に更新しました。");
    EXPECT_EQ(rows("SELECT タイトル名, 起動オプション FROM タイトル ORDER BY 1"),
              QStringList({"  字下げ|-x", "字下げ| "}));

    clickTitle("  字下げ");
    fakes.dialogs.answer({true});
    form->Command5->click();
    EXPECT_EQ(status(), "正常に削除しました。");
    EXPECT_EQ(rows("SELECT タイトル名 FROM タイトル"), QStringList{"字下げ"});
    EXPECT_EQ(listed(), QStringList{"字下げ"});

    // Registered with its spaces, a name is stored as typed.
    fakes.dialogs.answer({true});
    form->Text2->setText(" 一字下げ");
    form->Command3->click();
    EXPECT_EQ(rows("SELECT タイトル名 FROM タイトル WHERE タイトル名 LIKE '%一字下げ'"),
              QStringList{" 一字下げ"});
}

// --- The show-thumbnails switch ----------------------------------------------

TEST_F(TitleEditorTest, SwitchingThumbnailsOffEmptiesEveryDisplayAndOnReadsThePictureAgain)
{
    const QString big = folder.filePath("big.jpg");
    ASSERT_TRUE(QImage(800, 600, QImage::Format_RGB32).save(big));
    sql("INSERT INTO タイトル VALUES ('J', ' ', ?, ' \r\n', '書籍', ' ', ' ')", {big});
    const QString page = folder.filePath("page.png");
    ASSERT_TRUE(QImage(20, 20, QImage::Format_RGB32).save(page));
    sql("INSERT INTO タイトル VALUES ('P', ' ', ?, ' \r\n', '書籍', ' ', ' ')", {page});
    form->Command1->click();

    clickTitle("J");
    ASSERT_FALSE(form->Image1->pixmap().isNull());
    ASSERT_FALSE(form->Image1->toolTip().isEmpty());
    ASSERT_TRUE(hasCustomPointer(form->Image1));
    form->SSTab1->setCurrentIndex(2);
    form->Check1->setChecked(false);
    EXPECT_EQ(form->SSTab1->currentIndex(), 1);
    EXPECT_TRUE(form->Image1->pixmap().isNull());
    EXPECT_TRUE(form->Image1->toolTip().isEmpty());
    EXPECT_FALSE(hasCustomPointer(form->Image1));
    EXPECT_TRUE(form->Picture2->pixmap().isNull());
    EXPECT_TRUE(form->Picture2->isHidden());
    EXPECT_TRUE(form->WebBrowser1->isHidden());

    // Switched on again, the selected title's picture is read from the file
    // as it is now.
    ASSERT_TRUE(QImage(40, 30, QImage::Format_RGB32).save(big, "JPG"));
    const auto reads = fakes.pictures.read.size();
    form->SSTab1->setCurrentIndex(2);
    form->Check1->setChecked(true);
    EXPECT_EQ(form->SSTab1->currentIndex(), 1);
    EXPECT_GT(fakes.pictures.read.size(), reads);
    EXPECT_FALSE(form->Picture2->isHidden());
    EXPECT_EQ(form->Picture2->pixmap().size(), QSize(40, 30));
    EXPECT_EQ(status(), "タイトルが選択されました。");

    // The embedded browser of a PNG goes as well.
    clickTitle("P");
    ASSERT_FALSE(form->WebBrowser1->isHidden());
    form->Check1->setChecked(false);
    EXPECT_TRUE(form->WebBrowser1->isHidden());
    EXPECT_TRUE(form->Picture2->isHidden());
}

TEST_F(TitleEditorTest, SwitchingThumbnailsOnWithoutASelectedTitleChangesNoField)
{
    form->Check1->setChecked(false);
    form->Text2->setText("書きかけ");
    form->Check1->setChecked(true);
    EXPECT_EQ(form->SSTab1->currentIndex(), 1);
    EXPECT_EQ(form->Text2->text(), "書きかけ");
    EXPECT_EQ(status(), "タイトル・データがありません。");
}

// --- Lists of any length -----------------------------------------------------

TEST_F(TitleEditorTest, FortyThousandTitlesAreListedAndTheLastCanBeSelected)
{
    constexpr int kTitles = 40000;
    insertNumbered(
        "INSERT INTO タイトル VALUES ('第' || ? || '巻', ' ', ' ', ' \r\n', '書籍', ' ', ' ')",
        kTitles);
    form->Command1->click();
    EXPECT_TRUE(status().isEmpty());
    EXPECT_EQ(form->Label15->text(), "40000");
    ASSERT_EQ(form->List1->count(), kTitles);

    const int last = kTitles - 1;
    const QString name = form->List1->text(last);
    QTest::mouseClick(form->List1->viewport(), Qt::LeftButton, {}, rowCentre(last));
    EXPECT_EQ(status(), "タイトルが選択されました。");
    EXPECT_EQ(form->Text2->text(), name);

    form->Text1->setText("巻");
    form->Command2->click();
    EXPECT_EQ(form->Label15->text(), "40000");
    EXPECT_EQ(form->List1->count(), kTitles);
}

} // namespace
