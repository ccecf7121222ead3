// These cases start real processes and go through the real association
// database, with programs registered for the test in a desktop of its own.
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include "app/wiring.h"
#include "launch/launch_files.h"
#include "launch/launcher.h"
#include "launch/link_icon.h"
#include "platform/shell.h"
#include "support/form_fixture.h"

namespace
{

bool saveSolidPng(const QString& path, const QColor& colour)
{
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(colour);
    return image.save(path, "PNG");
}

// A freedesktop data and config home with two applications: a viewer that is
// the default for plain text and records what it is asked to open, and a
// desktop entry that runs a tool script. GIO reads the XDG variables once per
// process, before its first lookup, so the sandbox is set up once and first.
struct DesktopSandbox {
    QTemporaryDir root;
    QString viewerOutput;
    QString toolScript;

    DesktopSandbox()
    {
        const QString data = root.filePath("data");
        const QString config = root.filePath("config");
        QDir().mkpath(data + "/applications");
        QDir().mkpath(config);
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(data) + ":/usr/local/share:/usr/share");

        viewerOutput = root.filePath("opened");
        const QString viewer = root.filePath("viewer.sh");
        toolScript = root.filePath("tool.sh");
        ok = writeRecorderScript(viewer, viewerOutput) &&
             writeRecorderScript(toolScript, root.filePath("tool-ran")) &&
             saveSolidPng(root.filePath("viewer.png"), Qt::green) &&
             saveSolidPng(root.filePath("tool.png"), Qt::magenta) &&
             writeFile(data + "/applications/quilmo-test-viewer.desktop",
                       "[Desktop Entry]\nType=Application\nName=Test viewer\n"
                       "Exec=" +
                           QFile::encodeName(viewer) +
                           " %f\n"
                           "Icon=" +
                           QFile::encodeName(root.filePath("viewer.png")) +
                           "\n"
                           "MimeType=text/plain;\n") &&
             writeFile(data + "/applications/quilmo-test-tool.desktop",
                       "[Desktop Entry]\nType=Application\nName=Test tool\n"
                       "Exec=" +
                           QFile::encodeName(toolScript) +
                           "\n"
                           "Icon=" +
                           QFile::encodeName(root.filePath("tool.png")) + "\n") &&
             writeFile(config + "/mimeapps.list",
                       "[Default Applications]\ntext/plain=quilmo-test-viewer.desktop\n");
    }
    bool ok = false;

    static DesktopSandbox& instance()
    {
        static DesktopSandbox sandbox;
        return sandbox;
    }
};

class DesktopTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        ASSERT_TRUE(sandbox().ok);
        ASSERT_TRUE(work.isValid());
        m_startFolder = QDir::currentPath();
        Services services = fakes.services();
        services.shell = &shell;
        form = std::make_unique<Form1>(services, folder.path());
        connectHandlers(*form);
        form->Form_Load();
        form->Text8->clear();
    }
    void TearDown() override
    {
        QDir::setCurrent(m_startFolder);
        QFile::remove(sandbox().viewerOutput);
    }
    static DesktopSandbox& sandbox() { return DesktopSandbox::instance(); }
    void edit(const QString& target, const QString& options, const QString& folder)
    {
        form->Combo3->setEditText(target);
        form->Text9->setText(options);
        form->Text6->setText(folder);
    }
    QString subfolder(const QString& name)
    {
        EXPECT_TRUE(QDir(work.path()).mkpath(name));
        return work.filePath(name);
    }
    static QString canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

    DesktopShell shell;
    QTemporaryDir work;

private:
    QString m_startFolder;
};

TEST_F(DesktopTest, ScriptGetsItsOptionsAsWordsInTheWorkingFolder)
{
    const QString script = work.filePath("app.sh");
    const QString folder = subfolder("作業 フォルダ");
    subfolder("sub");
    const struct {
        const char* options;
        QString folder;
        QStringList recorded;
    } cases[] = {
        // A relative folder is entered once, from where the program stands.
        {"-a 'b c'", "sub", {"2", "-a", "b c", canonical(work.filePath("sub"))}},
        {"-a -b", folder, {"2", "-a", "-b", canonical(folder)}},
        {"\"$HOME\" 'it''s' \\*", folder, {"3", "$HOME", "its", "*", canonical(folder)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        const QString output = work.filePath("args");
        QFile::remove(output);
        ASSERT_TRUE(writeRecorderScript(script, output));
        QDir::setCurrent(work.path());
        edit(script, QString::fromUtf8(c.options), c.folder);
        Module1::LaunchTarget(*form);
        EXPECT_EQ(form->Text8->text(), "");
        EXPECT_EQ(waitForLines(output), c.recorded);
        EXPECT_EQ(QDir::currentPath(), c.recorded.back());
    }
}

TEST_F(DesktopTest, DocumentOpensWithTheAssociatedProgramFromTheWorkingFolder)
{
    const QString notes = work.filePath("メモ.txt");
    ASSERT_TRUE(writeFile(notes, "plain text\n"));
    const QString folder = subfolder("wd");
    edit(notes, "-ignored", folder);
    Module1::LaunchTarget(*form);
    EXPECT_EQ(form->Text8->text(), "");
    EXPECT_EQ(waitForLines(sandbox().viewerOutput),
              QStringList({"1", canonical(notes), canonical(folder)}));
}

TEST_F(DesktopTest, TextWithTheExecuteBitAndAFirstLineOfAScriptOpensInTheViewer)
{
    // Run, it would leave its own record; opened, the viewer records it.
    const QString notes = work.filePath("notes.txt");
    ASSERT_TRUE(writeRecorderScript(notes, work.filePath("ran")));
    edit(notes, "-v", "");
    Module1::LaunchTarget(*form);
    EXPECT_EQ(form->Text8->text(), "");
    const QStringList opened = waitForLines(sandbox().viewerOutput);
    ASSERT_EQ(opened.size(), 3);
    EXPECT_EQ(opened[1], canonical(notes));
    EXPECT_FALSE(QFile::exists(work.filePath("ran")));
}

TEST_F(DesktopTest, UnstartableTargetsAreReported)
{
    const QString blob = work.filePath("data.qlmblob");
    ASSERT_TRUE(writeFile(blob, QByteArray("\x00\x01\x02\x03", 4)));
    const QString notAProgram = work.filePath("broken.exe");
    ASSERT_TRUE(writeFile(notAProgram, "MZ"));
    for (const QString& target : {blob, work.filePath("gone.txt"), notAProgram}) {
        form->Text8->clear();
        edit(target, "", "");
        Module1::LaunchTarget(*form);
        EXPECT_EQ(form->Text8->text(), kLaunchFailedMessage) << target.toStdString();
    }
    // As a thumbnail, a file no program opens, or none at all, is no fault of
    // the folder.
    for (const QString& image : {blob, work.filePath("gone.jpg")}) {
        form->Text8->clear();
        form->Text5->setText(image);
        form->Image1_Click();
        EXPECT_EQ(form->Text8->text(), kLaunchFailedMessage) << image.toStdString();
    }
    EXPECT_FALSE(QFile::exists(sandbox().viewerOutput));
}

TEST_F(DesktopTest, TextTargetShowsTheIconOfItsDefaultProgram)
{
    const QString notes = work.filePath("notes.txt");
    ASSERT_TRUE(writeFile(notes, "plain text\n"));
    edit(notes, "", "");
    Module1::ShowLinkIcon(*form);
    const QPixmap picture = form->Picture1->pixmap();
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(32, 32));
    EXPECT_EQ(picture.toImage().pixelColor(16, 16), QColor(Qt::green));
    EXPECT_EQ(form->Picture1->toolTip(), kLinkIconToolTip);

    edit("", "", "");
    Module1::ShowLinkIcon(*form);
    EXPECT_TRUE(form->Picture1->pixmap().isNull());
    EXPECT_EQ(form->Picture1->toolTip(), "");
}

TEST_F(DesktopTest, ExecutableShowsTheIconOfTheEntryThatRunsItElseTheExecutableIcon)
{
    edit(sandbox().toolScript, "", "");
    Module1::ShowLinkIcon(*form);
    EXPECT_EQ(form->Picture1->pixmap().toImage().pixelColor(16, 16), QColor(Qt::magenta));

    const QString script = work.filePath("plain.sh");
    ASSERT_TRUE(writeRecorderScript(script, work.filePath("unused")));
    edit(script, "", "");
    Module1::ShowLinkIcon(*form);
    const QPixmap picture = form->Picture1->pixmap();
    ASSERT_FALSE(picture.isNull());
    EXPECT_NE(picture.toImage().pixelColor(16, 16), QColor(Qt::magenta));
    EXPECT_EQ(form->Picture1->toolTip(), kLinkIconToolTip);
}

// Puts folder first on the search path for the life of the object.
class SearchPathFirst
{
public:
    explicit SearchPathFirst(const QString& folder) : m_saved(qgetenv("PATH"))
    {
        qputenv("PATH", QFile::encodeName(folder) + ':' + m_saved);
    }
    ~SearchPathFirst() { qputenv("PATH", m_saved); }
    SearchPathFirst(const SearchPathFirst&) = delete;
    SearchPathFirst& operator=(const SearchPathFirst&) = delete;

private:
    QByteArray m_saved;
};

TEST_F(DesktopTest, ProgramWithoutFolderRunsFromTheWorkingFolderBeforeTheSearchPath)
{
    const QString folder = subfolder("wd");
    const QString onPath = subfolder("bin");
    ASSERT_TRUE(writeRecorderScript(folder + "/app.exe", work.filePath("from-folder")));
    ASSERT_TRUE(writeRecorderScript(onPath + "/app.exe", work.filePath("from-path")));
    ASSERT_TRUE(writeRecorderScript(onPath + "/only.exe", work.filePath("only")));
    const SearchPathFirst path(onPath);

    edit("app.exe", "-a b", folder);
    Module1::LaunchTarget(*form);
    EXPECT_EQ(form->Text8->text(), "");
    EXPECT_EQ(waitForLines(work.filePath("from-folder")),
              QStringList({"2", "-a", "b", canonical(folder)}));

    // Not in the working folder: the search path still finds it.
    edit("only.exe", "", folder);
    Module1::LaunchTarget(*form);
    EXPECT_EQ(waitForLines(work.filePath("only")), QStringList({"0", canonical(folder)}));
    EXPECT_FALSE(QFile::exists(work.filePath("from-path")));

    edit("ghost.exe", "", folder);
    Module1::LaunchTarget(*form);
    EXPECT_EQ(form->Text8->text(), kLaunchFailedMessage);
}

TEST_F(DesktopTest, OfficeDocumentWithoutFolderReachesTheSuiteAsAnAbsolutePath)
{
    const QString bin = subfolder("bin");
    ASSERT_TRUE(writeRecorderScript(bin + "/libreoffice", work.filePath("office")));
    const SearchPathFirst path(bin);
    const QString docs = subfolder("docs");
    ASSERT_TRUE(writeFile(docs + "/-plan.xls", "sheet"));
    QDir::setCurrent(docs);

    edit("-plan.xls", "", "");
    Module1::LaunchTarget(*form);
    EXPECT_EQ(form->Text8->text(), "");
    EXPECT_EQ(waitForLines(work.filePath("office")),
              QStringList({"2", "--calc", canonical(docs) + "/-plan.xls", canonical(docs)}));
}

} // namespace

TEST_F(DesktopTest, TypingAsksTheAssociationDatabaseOncePerContentType)
{
    const QString notes = work.filePath("notes.txt");
    const QString more = work.filePath("more.txt");
    const QString page = work.filePath("page.html");
    ASSERT_TRUE(writeFile(notes, "plain text\n") && writeFile(more, "more text\n") &&
                writeFile(page, "<html><body>page</body></html>\n"));
    const int before = shell.associationLookups();
    // Each keystroke redraws the icon for the text typed so far.
    for (const QString& target : {notes, more, notes, page, page, more}) {
        form->Combo3->setEditText(target);
        Module1::ShowLinkIcon(*form);
        if (target != page) {
            EXPECT_EQ(form->Picture1->pixmap().toImage().pixelColor(16, 16), QColor(Qt::green));
        }
    }
    EXPECT_EQ(shell.associationLookups() - before, 2);

    // Once the desktop's applications change, the next lookup asks again.
    shell.forgetLookups();
    form->Combo3->setEditText(more);
    Module1::ShowLinkIcon(*form);
    EXPECT_EQ(form->Picture1->pixmap().toImage().pixelColor(16, 16), QColor(Qt::green));
    EXPECT_EQ(shell.associationLookups() - before, 3);
}
