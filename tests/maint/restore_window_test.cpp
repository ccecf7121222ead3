#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QTreeWidget>

#include "maint/restore_window.h"
#include "support/form_fixture.h"
#include "ui/list_box.h"

namespace
{

class RestoreWindowTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        sql("INSERT INTO カテゴリ VALUES ('文書'), ('ゲーム')");
        insertNumbered("INSERT INTO タイトル VALUES ('g' || ?, ' ', ' ', ' ', 'ゲーム', ' ', ' ')",
                       30);
        makeForm();
    }

    void deleteCategory(const QString& name, bool answer)
    {
        form->Combo1->setEditText(name);
        form->Combo2->setEditText(QStringLiteral("削除"));
        fakes.dialogs.answers.push_back(answer);
        form->Command1_Click();
    }
};

// What the user does after a slip: 削除 with Yes, then the backup taken
// before it restored through the window, the list showing every title again.
TEST_F(RestoreWindowTest, CategoryDeletedWithItsTitlesComesBackThroughTheWindow)
{
    deleteCategory(QStringLiteral("ゲーム"), true);
    ASSERT_EQ(rows("SELECT COUNT(*) FROM タイトル"), QStringList{"0"});

    QPointer<RestoreWindow> window = new RestoreWindow(*form);
    ASSERT_EQ(window->List->topLevelItemCount(), 1);
    const QTreeWidgetItem* item = window->List->topLevelItem(0);
    EXPECT_EQ(item->text(1), QStringLiteral("カテゴリ「ゲーム」の削除"));
    EXPECT_EQ(item->text(2), QStringLiteral("2"));
    EXPECT_EQ(item->text(3), QStringLiteral("30"));

    form->Combo1->setEditText(QStringLiteral("ゲーム"));
    fakes.dialogs.answers.push_back(true);
    window->restoreSelected();
    EXPECT_EQ(rows("SELECT COUNT(*) FROM タイトル WHERE カテゴリ名 = 'ゲーム'"), QStringList{"30"});
    EXPECT_EQ(form->List1->count(), 30);
    EXPECT_EQ(form->Text8->text(), QStringLiteral("バックアップから復元しました。"));
    ASSERT_EQ(window->List->topLevelItemCount(), 2);
    EXPECT_EQ(window->List->topLevelItem(0)->text(1), QStringLiteral("復元"));
    EXPECT_EQ(window->List->topLevelItem(0)->text(3), QStringLiteral("0"));
    delete window;
}

// A backup that cannot be made is told on the status line; the question is
// still asked, and No still keeps everything.
TEST_F(RestoreWindowTest, FailedBackupIsToldAndTheQuestionStillDecides)
{
    QFile blocker(folder.filePath(QStringLiteral("バックアップ")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    deleteCategory(QStringLiteral("ゲーム"), false);
    EXPECT_TRUE(
        form->Text8->text().startsWith(QStringLiteral("バックアップを作成できませんでした")));
    ASSERT_EQ(fakes.dialogs.shown.size(), 1u);
    EXPECT_TRUE(fakes.dialogs.shown[0].question);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM タイトル"), QStringList{"30"});
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("バックアップ"))));
}

} // namespace
