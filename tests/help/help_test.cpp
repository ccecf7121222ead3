#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

#include "launch/link_icon.h"
#include "support/form_fixture.h"
#include "ui/main/tab_area.h"

namespace
{

class HelpTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        makeForm();
        form->show();
        form->Text8->clear();
    }
    QString helpPage() const { return QDir(folder.path()).filePath("help/help.html"); }
    std::vector<QPointer<FakeBrowserWindow>>& windows() { return fakes.browser.windows; }
    void freeDroppedWindows()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

TEST_F(HelpTest, HelpReusesOneBrowserWindowUntilTheUserClosesIt)
{
    QTest::mouseClick(form->Command18, Qt::LeftButton);
    QTest::mouseClick(form->Command18, Qt::LeftButton);
    ASSERT_EQ(windows().size(), 1u);
    EXPECT_EQ(windows()[0]->addresses, QStringList({helpPage(), helpPage()}));
    EXPECT_TRUE(windows()[0]->isVisible());

    windows()[0]->quit();
    EXPECT_FALSE(form->ie);
    freeDroppedWindows();
    EXPECT_TRUE(windows()[0].isNull());

    QTest::mouseClick(form->Command18, Qt::LeftButton);
    ASSERT_EQ(windows().size(), 2u);
    EXPECT_EQ(windows()[1]->addresses, QStringList({helpPage()}));
    EXPECT_TRUE(windows()[1]->isVisible());
}

TEST_F(HelpTest, WebAddressLaunchesShareTheHelpWindow)
{
    form->Command18_Click();
    form->Combo3->setEditText("http://example.com/");
    Module1::ShowLinkIcon(*form);
    form->Picture1_Click();
    ASSERT_EQ(windows().size(), 1u);
    EXPECT_EQ(windows()[0]->addresses, QStringList({helpPage(), "http://example.com/"}));
}

TEST_F(HelpTest, MissingHelpPageStillGoesToTheBrowserWithoutAMessage)
{
    ASSERT_FALSE(QFile::exists(helpPage()));
    form->Command18_Click();
    ASSERT_EQ(windows().size(), 1u);
    EXPECT_EQ(windows()[0]->addresses, QStringList({helpPage()}));
    EXPECT_EQ(form->Text8->text(), "");
}

TEST_F(HelpTest, UnreachableBrowserIsLetGoSoTheNextClickTriesAFreshOne)
{
    fakes.browser.navigateSucceeds = false;
    form->Command18_Click();
    EXPECT_FALSE(form->ie);
    fakes.browser.navigateSucceeds = true;
    form->Command18_Click();
    ASSERT_EQ(windows().size(), 2u);
    EXPECT_TRUE(windows()[1]->isVisible());
    EXPECT_EQ(form->Text8->text(), "");
}

QString shippedHelpPage()
{
    QFile file(QStringLiteral(QUILMO_ASSETS_DIR "/help/help.html"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST_F(HelpTest, ShippedHelpPageExplainsEveryButtonAndTabOfTheMainWindow)
{
    const QString page = shippedHelpPage();
    ASSERT_FALSE(page.isEmpty());
    for (const QPushButton* button : form->findChildren<QPushButton*>()) {
        if (button->objectName().startsWith("Command")) {
            EXPECT_TRUE(page.contains(button->text())) << button->text().toStdString();
        }
    }
    for (int i = 0; i < form->SSTab1->count(); ++i) {
        EXPECT_TRUE(page.contains(form->SSTab1->tabText(i))) << i;
    }
    for (const char* field :
         {"画像ファイル", "リンク先", "起動オプション", "作業フォルダ", "タイトル絞込み検索文字列",
          "サムネイルを表示する", "Memoryゲージを表示する"}) {
        EXPECT_TRUE(page.contains(QString::fromUtf8(field))) << field;
    }
    // The page is read from the program folder, offline: nothing from outside.
    static const QRegularExpression external(
        QStringLiteral("(src\\s*=|<link\\b|@import|url\\s*\\()"));
    EXPECT_FALSE(external.match(page).hasMatch());
}

} // namespace
