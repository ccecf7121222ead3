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
        form->show();
        // Start-up leaves its own outcome on the status line.
        form->Text8->clear();
    }
    void TearDown() override { QDir::setCurrent(m_startFolder); }

    // A file in the work folder, so that existence checks pass.
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
    const QString tool = file("tool.sh", true), notes = file("notes.sh");
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
        {app, "-a -b", Call::Start, app, {"-a -b"}},
        {app, "", Call::Start, app, {}},
        {app, " ", Call::Start, app, {}},
        {app, "  ", Call::Start, app, {"  "}},
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
