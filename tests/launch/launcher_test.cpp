#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "launch/launch_files.h"
#include "launch/launcher.h"
#include "launch/link_icon.h"
#include "support/form_fixture.h"

namespace
{

using Call = FakeShell::Call;

// The launcher changes the process's current folder; each case puts it back.
class LauncherTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        m_startFolder = QDir::currentPath();
        ASSERT_TRUE(work.isValid());
        makeForm();
        // Start-up leaves its own outcome on the status line.
        form->Text8->clear();
    }
    void TearDown() override { QDir::setCurrent(m_startFolder); }

    // A file in the work folder, created so that existence checks pass.
    QString file(const QString& name, bool executable = false)
    {
        const QString path = work.filePath(name);
        EXPECT_TRUE(writeFile(path, "x"));
        if (executable) {
            EXPECT_TRUE(makeExecutable(path));
        }
        return path;
    }
    void edit(const QString& target, const QString& options, const QString& folder)
    {
        form->Combo3->setEditText(target);
        form->Text9->setText(options);
        form->Text6->setText(folder);
    }
    std::vector<Call>& calls() { return fakes.shell.calls; }
    QString status() const { return form->Text8->text(); }

    QTemporaryDir work;

private:
    QString m_startFolder;
};

TEST_F(LauncherTest, SpreadsheetsAndDocumentsGoToTheOfficeSuiteWhateverTheFolder)
{
    fakes.shell.officeSuite = "/opt/office/libreoffice";
    const QString before = QDir::currentPath();
    const QString book = file("BOOK.XLS");
    edit(book, "-a", "/no/such/folder");
    Module1::LaunchTarget(*form);
    const QString letter = file("letter.doc");
    edit(letter, "-a", "/no/such/folder");
    Module1::LaunchTarget(*form);

    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[0].kind, Call::Start);
    EXPECT_EQ(calls()[0].target, "/opt/office/libreoffice");
    EXPECT_EQ(calls()[0].arguments, QStringList({"--calc", book}));
    EXPECT_EQ(calls()[1].arguments, QStringList({"--writer", letter}));
    EXPECT_EQ(QDir::currentPath(), before);
    EXPECT_EQ(status(), "");
}

TEST_F(LauncherTest, WithoutAnOfficeSuiteSpreadsheetsOpenThroughTheAssociation)
{
    const QString book = file("book.xls");
    edit(book, "", "");
    Module1::LaunchTarget(*form);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].kind, Call::Open);
    EXPECT_EQ(calls()[0].target, book);
    EXPECT_EQ(status(), "");
}

TEST_F(LauncherTest, MissingOfficeDocumentIsReportedAndNothingStarts)
{
    fakes.shell.officeSuite = "/opt/office/libreoffice";
    edit(work.filePath("gone.xls"), "", "");
    Module1::LaunchTarget(*form);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(status(), kLaunchFailedMessage);
}

TEST_F(LauncherTest, FourLetterOfficeExtensionsGoThroughTheAssociationInTheWorkingFolder)
{
    fakes.shell.officeSuite = "/opt/office/libreoffice";
    for (const char* name : {"sheet.xlsx", "letter.docx"}) {
        edit(file(name), "-a", work.path());
        Module1::LaunchTarget(*form);
    }
    ASSERT_EQ(calls().size(), 2u);
    for (const Call& call : calls()) {
        EXPECT_EQ(call.kind, Call::Open);
        EXPECT_TRUE(call.arguments.isEmpty());
        EXPECT_EQ(call.currentFolder, QDir(work.path()).canonicalPath());
    }
}

TEST_F(LauncherTest, ProgramsGetTheirOptionsAsOneArgumentInTheWorkingFolder)
{
    const struct {
        const char* options;
        QStringList arguments;
    } cases[] = {
        {"-a -b", {"-a -b"}}, {"", {}}, {" ", {}}, {"  ", {"  "}}, {"　", {"　"}},
    };
    for (const auto& c : cases) {
        calls().clear();
        edit("C:/Tools/app.EXE", QString::fromUtf8(c.options), work.path());
        Module1::LaunchTarget(*form);
        ASSERT_EQ(calls().size(), 1u) << c.options;
        EXPECT_EQ(calls()[0].kind, Call::Start);
        EXPECT_EQ(calls()[0].target, "C:/Tools/app.EXE");
        EXPECT_EQ(calls()[0].arguments, c.arguments) << '[' << c.options << ']';
        EXPECT_EQ(calls()[0].workingFolder, work.path());
        EXPECT_EQ(calls()[0].currentFolder, QDir(work.path()).canonicalPath());
    }
}

TEST_F(LauncherTest, ExecutableFilesStartDirectlyAndOtherFilesOpen)
{
    const QString tool = file("tool.sh", true);
    const QString notes = file("notes.sh");
    edit(tool, "-v", "");
    Module1::LaunchTarget(*form);
    edit(notes, "-v", "");
    Module1::LaunchTarget(*form);
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[0].kind, Call::Start);
    EXPECT_EQ(calls()[0].arguments, QStringList({"-v"}));
    EXPECT_EQ(calls()[1].kind, Call::Open);
    EXPECT_EQ(calls()[1].target, notes);
}

TEST_F(LauncherTest, BlankWorkingFolderMeansTheHomeFolder)
{
    for (const char* folder : {"", " ", "　"}) {
        calls().clear();
        QDir::setCurrent(work.path());
        edit(file("page.html"), "", QString::fromUtf8(folder));
        Module1::LaunchTarget(*form);
        ASSERT_EQ(calls().size(), 1u);
        EXPECT_EQ(calls()[0].currentFolder, QDir(QDir::homePath()).canonicalPath())
            << '[' << folder << ']';
    }
}

TEST_F(LauncherTest, MissingWorkingFolderStopsProgramsAndDocuments)
{
    for (const QString& target : {QString("C:/Tools/app.exe"), file("notes.txt")}) {
        form->Text8->clear();
        edit(target, "", work.filePath("missing"));
        Module1::LaunchTarget(*form);
        EXPECT_TRUE(calls().empty()) << target.toStdString();
        EXPECT_EQ(status(), kLaunchFailedMessage);
    }
}

TEST_F(LauncherTest, RefusedStartsAndOpensAreReported)
{
    fakes.shell.startSucceeds = false;
    edit("C:/Tools/app.exe", "", "");
    Module1::LaunchTarget(*form);
    EXPECT_EQ(status(), kLaunchFailedMessage);

    form->Text8->clear();
    fakes.shell.openSucceeds = false;
    edit(file("photo.png"), "", "");
    Module1::LaunchTarget(*form);
    EXPECT_EQ(status(), kLaunchFailedMessage);
    EXPECT_EQ(calls().size(), 2u);
}

TEST_F(LauncherTest, IconClickSendsLowerCaseHttpToTheBrowserAndTheRestToTheShell)
{
    form->show();
    edit("http://example.com/", "", "");
    Module1::ShowLinkIcon(*form);
    QTest::mouseClick(form->Picture1, Qt::LeftButton);
    ASSERT_EQ(fakes.browser.windows.size(), 1u);
    EXPECT_EQ(fakes.browser.windows[0]->addresses, QStringList({"http://example.com/"}));
    EXPECT_TRUE(fakes.browser.windows[0]->isVisible());
    EXPECT_TRUE(calls().empty());

    edit("HTTP://EXAMPLE.COM/", "", "");
    Module1::ShowLinkIcon(*form);
    QTest::mouseClick(form->Picture1, Qt::LeftButton);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].kind, Call::Open);
    EXPECT_EQ(calls()[0].target, "HTTP://EXAMPLE.COM/");
    EXPECT_EQ(fakes.browser.windows[0]->addresses.size(), 1);
}

TEST_F(LauncherTest, DisarmedIconIgnoresClicks)
{
    form->show();
    edit(file("notes.txt"), "", "");
    Module1::ShowLinkIcon(*form);
    edit(" ", "", "");
    Module1::ShowLinkIcon(*form);
    QTest::mouseClick(form->Picture1, Qt::LeftButton);
    EXPECT_TRUE(calls().empty());
    EXPECT_TRUE(fakes.browser.windows.empty());
}

TEST_F(LauncherTest, UnreachableBrowserIsReported)
{
    fakes.browser.navigateSucceeds = false;
    edit("http://example.com/", "", "");
    Module1::ShowLinkIcon(*form);
    form->Picture1_Click();
    EXPECT_EQ(status(), kLaunchFailedMessage);
    EXPECT_FALSE(form->ie);
}

TEST_F(LauncherTest, LaunchButtonAsksFirstAndNoLeavesEverythingButTheStatusLine)
{
    form->show();
    const QString notes = file("notes.txt");
    edit(notes, "", "");
    form->Text8->setText("前の結果");
    fakes.dialogs.answer({false});
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    ASSERT_EQ(fakes.dialogs.shown.size(), 1u);
    EXPECT_EQ(fakes.dialogs.shown[0].text, "起動しますか？");
    EXPECT_EQ(fakes.dialogs.shown[0].title, "確認!");
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(status(), "");
    EXPECT_EQ(form->Combo3->currentText(), notes);

    // Yes launches even though no icon was ever shown.
    fakes.dialogs.answer({true});
    form->Command6_Click();
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].target, notes);
}

TEST_F(LauncherTest, ThumbnailClickOpensTheImageFromTheWorkingFolder)
{
    form->show();
    const QString image = file("cover.jpg");
    form->Text5->setText(image);
    form->Text6->setText(work.path());
    QTest::mouseClick(form->Image1, Qt::LeftButton);
    QTest::mouseClick(form->Command21, Qt::LeftButton);
    ASSERT_EQ(calls().size(), 2u);
    for (const Call& call : calls()) {
        EXPECT_EQ(call.kind, Call::Open);
        EXPECT_EQ(call.target, image);
        EXPECT_EQ(call.currentFolder, QDir(work.path()).canonicalPath());
    }
}

TEST_F(LauncherTest, ThumbnailWithoutImageDoesNothing)
{
    for (const char* text : {"", " "}) {
        form->Text5->setText(QString::fromUtf8(text));
        form->Image1_Click();
        form->Command21_Click();
    }
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(status(), "");
}

TEST_F(LauncherTest, ThumbnailFailuresAreReportedByBothWays)
{
    form->Text5->setText(file("cover.jpg"));
    form->Text6->setText(work.filePath("missing"));
    form->Image1_Click();
    EXPECT_EQ(status(), kThumbnailOpenFailedMessage);
    EXPECT_TRUE(calls().empty());

    form->Text8->clear();
    form->Text6->setText("");
    fakes.shell.openSucceeds = false;
    form->Command21_Click();
    EXPECT_EQ(status(), kThumbnailOpenFailedMessage);
    EXPECT_EQ(calls().size(), 1u);
}

} // namespace
