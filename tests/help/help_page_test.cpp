#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "app/wiring.h"
#include "launch/link_icon.h"
#include "platform/browser.h"
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

// A freedesktop data and config home whose default web browser is a script
// that records the addresses it is asked to show. GIO reads the XDG variables
// once per process, before its first lookup, so the sandbox is set up once
// and first.
struct BrowserSandbox {
    QTemporaryDir root;
    QString shown;

    static bool write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    BrowserSandbox()
    {
        const QString data = root.filePath("data");
        const QString config = root.filePath("config");
        QDir().mkpath(data + "/applications");
        QDir().mkpath(config);
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(data) + ":/usr/local/share:/usr/share");

        shown = root.filePath("shown");
        const QString browser = root.filePath("browser.sh");
        const QByteArray out = QFile::encodeName(shown);
        ok = write(browser, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + out + ".part' && mv '" + out +
                                ".part' '" + out + "'\n") &&
             QFile::setPermissions(browser,
                                   QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner) &&
             write(data + "/applications/quilmo-test-browser.desktop",
                   "[Desktop Entry]\nType=Application\nName=Test browser\nExec=" +
                       QFile::encodeName(browser) +
                       " %u\nMimeType=text/html;x-scheme-handler/http;x-scheme-handler/https;\n") &&
             write(config + "/mimeapps.list",
                   "[Default Applications]\ntext/html=quilmo-test-browser.desktop\n"
                   "x-scheme-handler/http=quilmo-test-browser.desktop\n"
                   "x-scheme-handler/https=quilmo-test-browser.desktop\n");
    }
    bool ok = false;

    static BrowserSandbox& instance()
    {
        static BrowserSandbox sandbox;
        return sandbox;
    }
};

// HELP through the desktop's own browser route: association database, desktop
// entry, a real process.
class DesktopHelpTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        ASSERT_TRUE(sandbox().ok);
        QFile::remove(sandbox().shown);
        Services services = fakes.services();
        services.browser = &browser;
        form = std::make_unique<Form1>(services, folder.path());
        connectHandlers(*form);
        form->Form_Load();
        form->Text8->clear();
    }
    static BrowserSandbox& sandbox() { return BrowserSandbox::instance(); }
    QString helpPage() const { return QDir(folder.path()).filePath("help/help.html"); }
    // The file the recording browser was pointed at, once it has run.
    QString shownFile()
    {
        [&] { QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(sandbox().shown), 10000); }();
        QFile file(sandbox().shown);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        if (lines.size() != 1)
            return QStringLiteral("unexpected: ") + lines.join('|');
        // The desktop entry takes a URL, which GIO may hand over as a path.
        const QUrl url(lines[0]);
        return url.isLocalFile() ? url.toLocalFile() : lines[0];
    }

    DesktopBrowser browser;
};

TEST_F(DesktopHelpTest, MissingHelpPageStillOpensTheBrowserOnItsAddress)
{
    ASSERT_FALSE(QFileInfo::exists(QDir(folder.path()).filePath("help")));
    QTest::mouseClick(form->Command18, Qt::LeftButton);
    EXPECT_EQ(shownFile(), helpPage());
    EXPECT_TRUE(form->ie);
    EXPECT_EQ(form->Text8->text(), "");
    EXPECT_TRUE(fakes.dialogs.shown.empty());
}

TEST_F(DesktopHelpTest, ExistingHelpPageOpensInTheSameBrowser)
{
    ASSERT_TRUE(QDir(folder.path()).mkpath("help"));
    ASSERT_TRUE(BrowserSandbox::write(helpPage(), "<html><body>QUILMO</body></html>\n"));
    QTest::mouseClick(form->Command18, Qt::LeftButton);
    EXPECT_EQ(shownFile(), helpPage());
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
