#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "catalogue/search_all_window.h"
#include "support/form_fixture.h"
#include "ui/combo_box.h"
#include "ui/list_box.h"

namespace
{

class SearchAllTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        sql("INSERT INTO カテゴリ VALUES ('文書'), ('docs')");
        sql("INSERT INTO タイトル VALUES ('年間計画', ' ', ' ', '/plan.txt\r\n', '文書', ' ', ' "
            "')");
        sql("INSERT INTO タイトル VALUES ('ｶﾞｲﾄﾞ', '使い方の手引き', ' ', "
            "'/a.txt\r\n/b.txt\r\n', 'Docs', '/work', ' -v')");
        sql("INSERT INTO タイトル VALUES ('旅行計画', ' ', ' ', ' \r\n', 'docs', ' ', ' ')");
        makeForm();
    }

    // Opens the window through its action and searches as the user does.
    SearchAllWindow& search(const QString& text)
    {
        form->SearchAllAction->trigger();
        auto* window = form->findChild<SearchAllWindow*>();
        EXPECT_TRUE(window && window->isVisible());
        if (modelTesters.size() < 3)
            modelTesters.push_back(std::make_unique<QAbstractItemModelTester>(
                window->Results->model(), QAbstractItemModelTester::FailureReportingMode::Fatal));
        window->SearchText->setText(text);
        QTest::mouseClick(window->SearchButton, Qt::LeftButton);
        return *window;
    }

    QStringList shown(const SearchAllWindow& window) const
    {
        QStringList rows;
        const QAbstractItemModel* model = window.Results->model();
        for (int row = 0; row < model->rowCount(); ++row)
            rows << model->index(row, 0).data().toString() + "/" +
                        model->index(row, 1).data().toString();
        return rows;
    }

    void click(SearchAllWindow& window, int row)
    {
        const QModelIndex index = window.Results->model()->index(row, 1);
        QTest::mouseClick(window.Results->viewport(), Qt::LeftButton, {},
                          window.Results->visualRect(index).center());
    }
};

// A hit in another category selects that category, lists it as 選択 does
// and loads the title as a click in List1 does; the mode box is left alone.
TEST_F(SearchAllTest, ChoosingAHitSelectsItsCategoryAndLoadsTheTitle)
{
    form->Combo2->setEditText("削除");
    form->Combo1->setEditText("文書");
    form->Text1->setText("old search");
    form->Text2->setText("typed");
    SearchAllWindow& window = search("手引き");
    EXPECT_EQ(shown(window), QStringList({"docs/ｶﾞｲﾄﾞ"}));
    EXPECT_EQ(window.Status->text(), "1 件");
    window.show();
    click(window, 0);

    EXPECT_EQ(form->Combo1->currentText(), "docs");
    EXPECT_EQ(form->List1->items(), QStringList({"ｶﾞｲﾄﾞ", "旅行計画"}));
    EXPECT_EQ(form->Label15->text(), "2");
    EXPECT_EQ(form->List1->selectedText(), "ｶﾞｲﾄﾞ");
    EXPECT_EQ(form->Text2->text(), "ｶﾞｲﾄﾞ");
    EXPECT_EQ(form->Text3->toPlainText(), "使い方の手引き");
    EXPECT_EQ(form->Combo3->currentText(), "/a.txt");
    EXPECT_EQ(comboItems(form->Combo3), QStringList({"/b.txt"}));
    EXPECT_EQ(form->Text6->text(), "/work");
    EXPECT_EQ(form->Text9->text(), "-v");
    EXPECT_TRUE(form->Text1->text().isEmpty());
    EXPECT_EQ(form->Text8->text(), "タイトルが選択されました。");
    EXPECT_EQ(form->Combo2->currentText(), "削除");
    EXPECT_EQ(rows("SELECT count(*) FROM タイトル"), QStringList({"3"}));

    // Every category, the name as well as the description.
    EXPECT_EQ(shown(search("計画")), QStringList({"docs/旅行計画", "文書/年間計画"}));
    click(window, 1);
    EXPECT_EQ(form->Combo1->currentText(), "文書");
    EXPECT_EQ(form->Text2->text(), "年間計画");
    EXPECT_EQ(form->Combo3->currentText(), "/plan.txt");

    // A hit deleted since the search still lists its category, and says so.
    sql("DELETE FROM タイトル WHERE タイトル名 = '旅行計画'");
    click(window, 0);
    EXPECT_EQ(form->Combo1->currentText(), "docs");
    EXPECT_EQ(form->List1->items(), QStringList({"ｶﾞｲﾄﾞ"}));
    EXPECT_TRUE(form->Text2->text().isEmpty());
    EXPECT_EQ(form->Text8->text(), "タイトル・データがありません。");

    // No hit, and a malformed pattern: the window says which.
    EXPECT_TRUE(shown(search("見当たらない")).isEmpty());
    EXPECT_EQ(window.Status->text(), "検索結果が０件です。");
    search("[on");
    EXPECT_EQ(window.Status->text(), "「全カテゴリ検索」でエラーが発生しています。");
    // One window, however often the action runs.
    EXPECT_EQ(form->findChildren<SearchAllWindow*>().size(), 1);
}

} // namespace
