#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "catalogue/category_ops.h"
#include "support/form_fixture.h"
#include "ui/combo_box.h"
#include "ui/list_box.h"

namespace
{

class CategoryPanelTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        sql("INSERT INTO カテゴリ VALUES ('文書'), ('音楽')");
        sql("INSERT INTO タイトル (タイトル名, カテゴリ名) VALUES ('b曲', '音楽'), ('A曲', "
            "'音楽'), "
            "('報告', '文書')");
        makeForm();
    }
    void press(const QString& mode, const QString& category)
    {
        form->Combo2->setEditText(mode);
        form->Combo1->setEditText(category);
        form->Text2->setText("編集中");
        form->Text1->setText("検索語");
        form->Text8->setText("前の結果");
        form->Command1->click();
    }
    QStringList listed() const { return form->List1->items(); }
    QString status() const { return form->Text8->text(); }
};

TEST_F(CategoryPanelTest, SelectListsTheTitlesAndEmptiesSearchAndEditor)
{
    press("選択", "音楽");
    EXPECT_EQ(listed(), QStringList({"A曲", "b曲"}));
    EXPECT_EQ(form->Label15->text(), "2");
    EXPECT_TRUE(form->Text1->text().isEmpty());
    EXPECT_TRUE(form->Text2->text().isEmpty());
    EXPECT_TRUE(status().isEmpty());
}

TEST_F(CategoryPanelTest, RegisterAnsweredYesAddsAndFallsBackToSelect)
{
    press("選択", "音楽");
    fakes.dialogs.answer({true});
    press("登録", "Bob's");
    ASSERT_EQ(fakes.dialogs.shown.size(), 1u);
    EXPECT_EQ(fakes.dialogs.shown[0].text, "Bob's を登録しますか？");
    EXPECT_EQ(fakes.dialogs.shown[0].title, "確認!");
    EXPECT_EQ(status(), "正常に登録しました。");
    EXPECT_TRUE(comboItems(form->Combo1).contains("Bob's"));
    EXPECT_EQ(form->Combo1->currentText(), comboItems(form->Combo1).first());
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(form->Combo2->currentText(), "選択");
    EXPECT_TRUE(form->Text2->text().isEmpty());
}

TEST_F(CategoryPanelTest, FailedRegisterStillReloadsAndFallsBack)
{
    fakes.dialogs.answer({true});
    press("登録", "");
    EXPECT_EQ(fakes.dialogs.shown[0].text, " を登録しますか？");
    EXPECT_EQ(status(), "「カテゴリ登録」で重複キー等のエラーが発生しました。");
    EXPECT_EQ(form->Combo2->currentText(), "選択");
    EXPECT_EQ(rows("SELECT COUNT(*) FROM カテゴリ"), QStringList{"2"});
}

TEST_F(CategoryPanelTest, AnsweringNoOnlyEmptiesStatusAndEditor)
{
    press("選択", "音楽");
    for (const char* mode : {"登録", "削除"}) {
        fakes.dialogs.answer({false});
        press(QString::fromUtf8(mode), "音楽");
        EXPECT_TRUE(status().isEmpty());
        EXPECT_TRUE(form->Text2->text().isEmpty());
        EXPECT_EQ(form->Combo2->currentText(), QString::fromUtf8(mode));
        EXPECT_EQ(listed(), QStringList({"A曲", "b曲"}));
    }
    EXPECT_EQ(rows("SELECT COUNT(*) FROM カテゴリ"), QStringList{"2"});
    EXPECT_EQ(rows("SELECT COUNT(*) FROM タイトル"), QStringList{"3"});
}

TEST_F(CategoryPanelTest, DeleteAnsweredYesTakesTheTitlesWithIt)
{
    press("選択", "音楽");
    fakes.dialogs.answer({true});
    press("削除", "音楽");
    EXPECT_EQ(fakes.dialogs.shown[0].text,
              "音楽 を削除しますか？\r\nこのカテゴリのタイトルは全て削除されます。");
    EXPECT_EQ(status(), "正常に削除しました。");
    EXPECT_EQ(rows("SELECT カテゴリ名 FROM カテゴリ"), QStringList{"文書"});
    EXPECT_EQ(rows("SELECT タイトル名 FROM タイトル"), QStringList{"報告"});
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(form->Combo2->currentText(), "選択");
    EXPECT_EQ(form->Combo1->currentText(), "文書");
}

TEST_F(CategoryPanelTest, DeletingACategoryWithoutTitlesEndsWithItsOwnMessage)
{
    sql("INSERT INTO カテゴリ VALUES ('空')");
    fakes.dialogs.answer({true});
    press("削除", "空");
    EXPECT_EQ(status(), "正常に削除しました。");
}

// Either delete failing leaves the category and every title of it in the
// file, and the status line names the delete that failed.
TEST_F(CategoryPanelTest, AFailedDeleteOfTitlesOrCategoryDeletesNothing)
{
    const struct {
        const char* table;
        const char* when;
        const char* status;
    } cases[] = {
        {"タイトル", "old.タイトル名 = 'b曲'", "「カテゴリ→タイトル削除」でエラーが発生しました。"},
        {"カテゴリ", "1", "「カテゴリ削除」でエラーが発生しました。"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.table);
        sql(QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON %1 WHEN %2 "
                           "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                .arg(QString::fromUtf8(row.table), QString::fromUtf8(row.when)));
        fakes.dialogs.answer({true});
        press("削除", "音楽");
        EXPECT_EQ(status(), QString::fromUtf8(row.status));
        EXPECT_EQ(rows("SELECT カテゴリ名 FROM カテゴリ ORDER BY 1"),
                  QStringList({"文書", "音楽"}));
        EXPECT_EQ(rows("SELECT タイトル名 FROM タイトル ORDER BY 1"),
                  QStringList({"A曲", "b曲", "報告"}));
        sql("DROP TRIGGER refuse");
    }
}

TEST_F(CategoryPanelTest, UnknownModeOnlyEmptiesStatusAndEditor)
{
    press("選択", "音楽");
    press("何か", "音楽");
    EXPECT_TRUE(fakes.dialogs.shown.empty());
    EXPECT_TRUE(status().isEmpty());
    EXPECT_TRUE(form->Text2->text().isEmpty());
    EXPECT_EQ(listed(), QStringList({"A曲", "b曲"}));
}

// The editable boxes complete nothing: what the user typed is what the
// handlers are given, even next to an entry that begins with it or differs
// from it only in letter case.
TEST_F(CategoryPanelTest, EditableBoxesKeepTheTextExactlyAsTyped)
{
    sql("INSERT INTO カテゴリ VALUES ('Zeta')");
    Module1::LoadCategoryList(*form);
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    // Key by key, as the keyboard delivers them; test keys know only ASCII,
    // so other characters come as key events carrying their text.
    const auto typeInto = [](QComboBox* box, const QString& text) {
        box->setFocus();
        box->lineEdit()->clear();
        for (const QChar c : text) {
            if (c.unicode() < 128) {
                QTest::keyClick(box->lineEdit(), char(c.unicode()));
                continue;
            }
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(box->lineEdit(), &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(box->lineEdit(), &release);
        }
    };

    typeInto(form->Combo1, "Z");
    EXPECT_EQ(form->Combo1->currentText(), "Z");
    typeInto(form->Combo2, "登");
    EXPECT_EQ(form->Combo2->currentText(), "登");
    form->Combo2->setEditText("登録");
    fakes.dialogs.answer({false});
    form->Command1->click();
    ASSERT_EQ(fakes.dialogs.shown.size(), 1u);
    EXPECT_EQ(fakes.dialogs.shown[0].text, "Z を登録しますか？");

    // Enter does not swap the text for an entry of another letter case.
    typeInto(form->Combo1, "zeta");
    QTest::keyClick(form->Combo1->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(form->Combo1->currentText(), "zeta");

    setComboContents(form->Combo3, "", {"/data/alpha.txt", "/DATA/b.txt"});
    typeInto(form->Combo3, "/data/a");
    EXPECT_EQ(form->Combo3->currentText(), "/data/a");
    typeInto(form->Combo3, "/data/B.txt");
    QTest::keyClick(form->Combo3->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(form->Combo3->currentText(), "/data/B.txt");
}

} // namespace
