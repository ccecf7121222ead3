#include <QComboBox>
#include <QDir>
#include <QFileInfo>
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
        form->show();
        // Start-up leaves its own outcome on the status line.
        form->Text8->clear();
    }
    void TearDown() override { QDir::setCurrent(m_startFolder); }

    // A file in the work folder, so that existence checks pass.
    QString file(const QString& name, bool executable = false, const QByteArray& content = "x")
    {
        const QString path = work.filePath(name);
        EXPECT_TRUE(writeFile(path, content));
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
    QString canonicalWork() const { return QDir(work.path()).canonicalPath(); }

    QTemporaryDir work;

private:
    QString m_startFolder;
};

TEST_F(LauncherTest, TargetsTakeTheRouteTheirLastThreeLettersAsk)
{
    const QString suite = "/opt/office/libreoffice";
    fakes.shell.officeSuite = suite;
    const QString book = file("BOOK.XLS"), letter = file("letter.doc");
    const QString sheet = file("sheet.xlsx"), modern = file("letter.docx");
    const QString tool = file("tool.sh", true, "#!/bin/sh\n"), notes = file("notes.sh");
    const QString app = "C:/Tools/app.EXE";
    const struct {
        QString target;
        QString options;
        Call::Kind kind;
        QString started;
        QStringList arguments;
    } cases[] = {
        {book, "-a", Call::Start, suite, {"--calc", book}},
        {letter, "-a", Call::Start, suite, {"--writer", letter}},
        {sheet, "-a", Call::Open, sheet, {}},
        {modern, "-a", Call::Open, modern, {}},
        {app, "-a -b", Call::Start, app, {"-a", "-b"}},
        {app, "", Call::Start, app, {}},
        {app, " ", Call::Start, app, {}},
        {app, "  ", Call::Start, app, {}},
        {tool, "-v", Call::Start, tool, {"-v"}},
        {notes, "-v", Call::Open, notes, {}},
        {"HTTP://EXAMPLE.COM/", "-a", Call::Open, "HTTP://EXAMPLE.COM/", {}},
    };
    for (const auto& c : cases) {
        calls().clear();
        edit(c.target, c.options, work.path());
        Module1::LaunchTarget(*form);
        const std::string where = c.target.toStdString() + " [" + c.options.toStdString() + "]";
        ASSERT_EQ(calls().size(), 1u) << where;
        EXPECT_EQ(calls()[0].kind, c.kind) << where;
        EXPECT_EQ(calls()[0].target, c.started) << where;
        EXPECT_EQ(calls()[0].arguments, c.arguments) << where;
        EXPECT_EQ(status(), "") << where;
    }
}

TEST_F(LauncherTest, OnlyBinariesAndScriptsNamedLikeScriptsStartAsPrograms)
{
    const QString elf = work.filePath("viewer");
    ASSERT_TRUE(writeElfProgram(elf));
    const QString elfNamedLikeADocument = work.filePath("viewer.pdf");
    ASSERT_TRUE(writeElfProgram(elfNamedLikeADocument));
    const struct {
        QString path;
        bool program;
    } cases[] = {
        {elf, true},
        // Every file that merely carries a "#!" first line is not a program;
        // its name must be a script's too.
        {file("backup", true, "#!/bin/sh\necho\n"), true},
        {file("backup.sh", true, "#!/bin/sh\n"), true},
        {file("Setup.AppImage", true, "#!/bin/sh\n"), true},
        {file("pip3.11", true, "#!/usr/bin/python3\n"), true},
        {file("notes.txt", true, "#!/bin/sh\n"), false},
        {file("backup.conf", true, "#!/bin/sh\n"), false},
        // The execute bit alone, as on a FAT or NTFS drive.
        {file("manual.pdf", true, "%PDF-1.4\n"), false},
        {file("readme.txt", true, "plain text\n"), false},
        {file("runme", true, "echo no first line\n"), false},
        {file("hash", true, "#"), false},
        {file("empty", true, ""), false},
        // A script without the bit is a document.
        {file("later.sh", false, "#!/bin/sh\n"), false},
        // The name decides for "exe", in any case, bit or not.
        {file("SETUP.EXE", false, "MZ"), true},
        {file("tool.exe", false, "MZ"), true},
        // A binary is a program whatever its name.
        {elfNamedLikeADocument, true},
    };
    for (const auto& c : cases) {
        calls().clear();
        edit(c.path, "-v", work.path());
        Module1::LaunchTarget(*form);
        const std::string where = QFileInfo(c.path).fileName().toStdString();
        ASSERT_EQ(calls().size(), 1u) << where;
        EXPECT_EQ(calls()[0].kind, c.program ? Call::Start : Call::Open) << where;
        EXPECT_EQ(calls()[0].target, c.path) << where;
        EXPECT_EQ(calls()[0].arguments, c.program ? QStringList{"-v"} : QStringList{}) << where;
    }
}

TEST_F(LauncherTest, OnADriveWhereEveryFileIsExecutableOnlyTheProgramsStart)
{
    const QString drive = work.filePath("usb");
    ASSERT_TRUE(QDir().mkpath(drive));
    const QDir dir(drive);
    ASSERT_TRUE(writeFile(dir.filePath("見積書.pdf"), "%PDF-1.7\n"));
    ASSERT_TRUE(writeFile(dir.filePath("memo.TXT"), "#!は行頭の記号\n"));
    ASSERT_TRUE(writeFile(dir.filePath("README"), "read me\n"));
    ASSERT_TRUE(writeFile(dir.filePath("photo.jpg"), "\xFF\xD8\xFF\xE0"));
    ASSERT_TRUE(writeFile(dir.filePath("install"), "#!/bin/sh\n"));
    ASSERT_TRUE(writeElfProgram(dir.filePath("tool")));
    ASSERT_TRUE(makeAllExecutable(drive));

    QStringList started, opened;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        calls().clear();
        edit(dir.filePath(name), "", drive);
        Module1::LaunchTarget(*form);
        ASSERT_EQ(calls().size(), 1u) << name.toStdString();
        (calls()[0].kind == Call::Start ? started : opened) << name;
    }
    EXPECT_EQ(started, QStringList({"install", "tool"}));
    EXPECT_EQ(opened, QStringList({"README", "memo.TXT", "photo.jpg", "見積書.pdf"}));
    EXPECT_EQ(status(), "");
}

TEST_F(LauncherTest, NameWithoutFolderIsTheFileInTheWorkingFolder)
{
    const QString folder = work.filePath("wd");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString canonicalFolder = QDir(folder).canonicalPath();
    ASSERT_TRUE(writeFile(folder + "/app.exe", "MZ"));
    ASSERT_TRUE(writeFile(folder + "/sync", "#!/bin/sh\n"));
    ASSERT_TRUE(makeExecutable(folder + "/sync"));
    ASSERT_TRUE(writeFile(folder + "/plan.pdf", "%PDF-1.4\n"));
    // The process stands elsewhere, where a file of the same name waits too.
    ASSERT_TRUE(writeFile(work.filePath("sync"), "#!/bin/sh\n"));
    QDir::setCurrent(work.path());

    const struct {
        QString target;
        Call::Kind kind;
        QString started;
    } cases[] = {
        {"app.exe", Call::Start, folder + "/app.exe"},
        // The working folder's script, not the document where the process
        // stood before.
        {"sync", Call::Start, folder + "/sync"},
        {"plan.pdf", Call::Open, folder + "/plan.pdf"},
        // Found nowhere: left as named, for the search path to find or the
        // shell to refuse.
        {"ghost.exe", Call::Start, "ghost.exe"},
        {"ghost.pdf", Call::Open, "ghost.pdf"},
    };
    for (const auto& c : cases) {
        calls().clear();
        QDir::setCurrent(work.path());
        edit(c.target, "-v", folder);
        Module1::LaunchTarget(*form);
        const std::string where = c.target.toStdString();
        ASSERT_EQ(calls().size(), 1u) << where;
        EXPECT_EQ(calls()[0].kind, c.kind) << where;
        EXPECT_EQ(calls()[0].target, c.started) << where;
        EXPECT_EQ(calls()[0].currentFolder, canonicalFolder) << where;
    }
}

TEST_F(LauncherTest, OptionsAreSplitAsAShellSplitsWordsInAFolderResolvedOnce)
{
    const QString app = "C:/Tools/app.exe";
    ASSERT_TRUE(QDir(work.path()).mkpath("sub"));
    const QString sub = work.filePath("sub");
    const struct {
        const char* options;
        QString folder;
        bool started;
        QStringList arguments;
    } cases[] = {
        // Relative to where the program stands, and handed on absolute.
        {"-a 'b c'", "sub", true, {"-a", "b c"}},
        {"-a -b", sub, true, {"-a", "-b"}},
        {"\"C:\\Program Files\\x\" --y=1", sub, true, {"C:\\Program Files\\x", "--y=1"}},
        // Nothing is expanded: no variables, no wildcards, no home folder.
        {"a\\ b $HOME *.txt ~", sub, true, {"a b", "$HOME", "*.txt", "~"}},
        {"\t\n", sub, true, {}},
        {"　", sub, true, {"　"}},
        // Words that cannot be told apart start nothing.
        {"-a 'b", "sub", false, {}},
        {"-a \"b c", sub, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        calls().clear();
        form->Text8->clear();
        QDir::setCurrent(work.path());
        edit(app, QString::fromUtf8(c.options), c.folder);
        Module1::LaunchTarget(*form);
        if (!c.started) {
            EXPECT_TRUE(calls().empty());
            EXPECT_EQ(status(), kLaunchFailedMessage);
            continue;
        }
        ASSERT_EQ(calls().size(), 1u);
        EXPECT_EQ(calls()[0].arguments, c.arguments);
        EXPECT_EQ(calls()[0].workingFolder, sub);
        EXPECT_EQ(calls()[0].currentFolder, QDir(sub).canonicalPath());
        EXPECT_EQ(status(), "");
    }
}

TEST_F(LauncherTest, OfficeDocumentsArriveAsAbsolutePaths)
{
    const QString suite = "/opt/office/libreoffice";
    fakes.shell.officeSuite = suite;
    const QString book = file("-book.xls");
    file("--help.doc");
    // These routes look in the current folder, never in the working folder.
    QDir::setCurrent(work.path());
    const QString here = canonicalWork();
    const struct {
        QString target;
        QStringList arguments;
    } cases[] = {
        {"-book.xls", {"--calc", here + "/-book.xls"}},
        {"./--help.doc", {"--writer", here + "/--help.doc"}},
        {book, {"--calc", book}},
    };
    for (const auto& c : cases) {
        calls().clear();
        edit(c.target, "", "/no/such/folder");
        Module1::LaunchTarget(*form);
        ASSERT_EQ(calls().size(), 1u) << c.target.toStdString();
        EXPECT_EQ(calls()[0].target, suite);
        EXPECT_EQ(calls()[0].arguments, c.arguments) << c.target.toStdString();
    }
    // A name that is no file in the current folder starts nothing.
    calls().clear();
    edit("-gone.xls", "", "");
    Module1::LaunchTarget(*form);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(status(), kLaunchFailedMessage);
}

TEST_F(LauncherTest, WithoutAnOfficeSuiteSpreadsheetsOpenThroughTheAssociation)
{
    const QString book = file("book.xls");
    edit(book, "", "");
    Module1::LaunchTarget(*form);
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].kind, Call::Open);
    EXPECT_EQ(calls()[0].target, book);

    // A missing document is reported at once instead of started.
    edit(work.filePath("gone.doc"), "", "");
    Module1::LaunchTarget(*form);
    EXPECT_EQ(calls().size(), 1u);
    EXPECT_EQ(status(), kLaunchFailedMessage);
}

TEST_F(LauncherTest, WorkingFolderBecomesCurrentAndBlankMeansHome)
{
    edit("C:/Tools/app.exe", "", work.path());
    Module1::LaunchTarget(*form);
    EXPECT_EQ(calls().back().workingFolder, work.path());
    EXPECT_EQ(calls().back().currentFolder, canonicalWork());

    for (const char* blank : {"", " ", "　"}) {
        QDir::setCurrent(work.path());
        edit(file("page.html"), "", QString::fromUtf8(blank));
        Module1::LaunchTarget(*form);
        EXPECT_EQ(calls().back().currentFolder, QDir(QDir::homePath()).canonicalPath())
            << '[' << blank << ']';
    }

    // The office routes never look at the working folder.
    fakes.shell.officeSuite = "/opt/office/libreoffice";
    QDir::setCurrent(work.path());
    edit(file("book.xls"), "", "/no/such/folder");
    Module1::LaunchTarget(*form);
    EXPECT_EQ(calls().size(), 5u);
    EXPECT_EQ(QDir::currentPath(), canonicalWork());
    EXPECT_EQ(status(), "");
}

TEST_F(LauncherTest, MissingWorkingFolderAndRefusedStartsAreReported)
{
    for (const QString& target : {QString("C:/Tools/app.exe"), file("notes.txt")}) {
        form->Text8->clear();
        edit(target, "", work.filePath("missing"));
        Module1::LaunchTarget(*form);
        EXPECT_TRUE(calls().empty()) << target.toStdString();
        EXPECT_EQ(status(), kLaunchFailedMessage);
    }
    fakes.shell.startSucceeds = false;
    fakes.shell.openSucceeds = false;
    for (const QString& target : {QString("C:/Tools/app.exe"), file("notes.txt")}) {
        form->Text8->clear();
        edit(target, "", "");
        Module1::LaunchTarget(*form);
        EXPECT_EQ(status(), kLaunchFailedMessage) << target.toStdString();
    }
    EXPECT_EQ(calls().size(), 2u);
}

TEST_F(LauncherTest, IconClickSendsLowerCaseHttpToTheBrowserAndTheRestToTheShell)
{
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
    EXPECT_EQ(calls()[0].target, "HTTP://EXAMPLE.COM/");

    // Disarmed by a blank target, the box ignores clicks.
    edit(" ", "", "");
    Module1::ShowLinkIcon(*form);
    QTest::mouseClick(form->Picture1, Qt::LeftButton);
    EXPECT_EQ(calls().size(), 1u);

    form->ie.reset();
    fakes.browser.navigateSucceeds = false;
    edit("http://example.com/", "", "");
    Module1::ShowLinkIcon(*form);
    form->Picture1_Click();
    EXPECT_EQ(status(), kLaunchFailedMessage);
}

TEST_F(LauncherTest, LaunchButtonAsksFirstAndNoLeavesEverythingButTheStatusLine)
{
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

TEST_F(LauncherTest, ThumbnailClickAndGoOpenTheImageFromTheWorkingFolder)
{
    // Empty, or the one space of a title stored without image: nothing to open.
    for (const char* text : {"", " "}) {
        form->Text5->setText(QString::fromUtf8(text));
        form->Image1_Click();
        form->Command21_Click();
    }
    EXPECT_TRUE(calls().empty());

    const QString image = file("cover.jpg");
    form->Text5->setText(image);
    form->Text6->setText(work.path());
    QTest::mouseClick(form->Image1, Qt::LeftButton);
    QTest::mouseClick(form->Command21, Qt::LeftButton);
    ASSERT_EQ(calls().size(), 2u);
    for (const Call& call : calls()) {
        EXPECT_EQ(call.kind, Call::Open);
        EXPECT_EQ(call.target, image);
        EXPECT_EQ(call.currentFolder, canonicalWork());
    }
    EXPECT_EQ(status(), "");
}

TEST_F(LauncherTest, ThumbnailFailuresAreReportedByBothWays)
{
    form->Text5->setText(file("cover.jpg"));
    form->Text6->setText(work.filePath("missing"));
    form->Image1_Click();
    EXPECT_EQ(status(), kFolderFailedMessage);
    EXPECT_TRUE(calls().empty());

    // The folder message blames the folder; an image no program opens is a
    // failed launch.
    form->Text8->clear();
    form->Text6->setText("");
    fakes.shell.openSucceeds = false;
    form->Command21_Click();
    EXPECT_EQ(status(), kLaunchFailedMessage);
    EXPECT_EQ(calls().size(), 1u);
}

} // namespace
