#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/data_folder.h"
#include "store/catalogue_db.h"

namespace
{

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

class DataFolderTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(root.isValid()); }
    QString path(const QString& name) const { return root.filePath(name); }
    QTemporaryDir root;
};

TEST_F(DataFolderTest, ProgramFolderWithACatalogueIsKeptAsThePortableLayout)
{
    ASSERT_TRUE(QDir().mkpath(path("program")));
    ASSERT_TRUE(createCatalogueIfMissing(catalogueFilePath(path("program"))));
    EXPECT_EQ(chooseDataFolder(path("program"), {}, path("user")), path("program"));

    // A link to a catalogue kept elsewhere is the user's too, even dangling.
    ASSERT_TRUE(QDir().mkpath(path("linked")));
    ASSERT_TRUE(QFile::link(path("nowhere/QUILMO.mdb"), catalogueFilePath(path("linked"))));
    EXPECT_EQ(chooseDataFolder(path("linked"), {}, path("user")), path("linked"));
}

TEST_F(DataFolderTest, ProgramFolderWithoutACatalogueLeavesTheDataToTheUserFolder)
{
    ASSERT_TRUE(QDir().mkpath(path("program/手書きメモ")));
    ASSERT_TRUE(QDir().mkpath(path("program/help")));
    // Some other file of that name's neighbours does not make it portable.
    ASSERT_TRUE(writeFile(path("program/QUILMO.mdb.bak"), "x"));
    EXPECT_EQ(chooseDataFolder(path("program"), {}, path("user")), path("user"));
    EXPECT_FALSE(QFileInfo::exists(path("user")));
}

TEST_F(DataFolderTest, FolderFromTheCommandLineWinsEvenOverAPortableCatalogue)
{
    ASSERT_TRUE(QDir().mkpath(path("program")));
    ASSERT_TRUE(createCatalogueIfMissing(catalogueFilePath(path("program"))));
    EXPECT_EQ(chooseDataFolder(path("program"), path("chosen"), path("user")), path("chosen"));
    // A relative name is taken from the current folder and tidied.
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root.path()));
    EXPECT_EQ(chooseDataFolder(path("program"), "a/../カタログ/", path("user")), path("カタログ"));
    QDir::setCurrent(saved);
}

TEST_F(DataFolderTest, UserFolderIsUnderTheUsersDataHome)
{
    // Test mode moves it below ~/.qttest; the name is still the program's.
    EXPECT_TRUE(userDataFolder().endsWith("/QUILMO")) << userDataFolder().toStdString();
}

TEST_F(DataFolderTest, FirstStartCreatesFolderMemoFolderAndAWorkingCatalogue)
{
    const QString folder = path("deep/er/QUILMO");
    ASSERT_TRUE(prepareDataFolder(folder));
    EXPECT_TRUE(QFileInfo(folder + "/手書きメモ").isDir());
    EXPECT_EQ(entries(folder + "/手書きメモ"), QStringList());
    EXPECT_EQ(entries(folder), (QStringList{"QUILMO.mdb", "手書きメモ"}));
    // The catalogue answers the first question the window asks of it.
    CatalogueDb db(catalogueFilePath(folder));
    auto query = db.prepare("SELECT Option_Value FROM オプション WHERE Option_Name = 'Memory'");
    ASSERT_TRUE(query.step());
    EXPECT_EQ(query.text(0), "1");
}

TEST_F(DataFolderTest, ExistingFilesAreNeverReplaced)
{
    const QString folder = path("data");
    ASSERT_TRUE(QDir().mkpath(folder + "/手書きメモ"));
    // Not a database at all: still the user's file, kept byte for byte.
    const QByteArray notADatabase("これはカタログではありません\n");
    ASSERT_TRUE(writeFile(catalogueFilePath(folder), notADatabase));
    ASSERT_TRUE(writeFile(folder + "/手書きメモ/本棚.ole", "memo"));
    EXPECT_TRUE(prepareDataFolder(folder));
    EXPECT_EQ(fileBytes(catalogueFilePath(folder)), notADatabase);
    EXPECT_EQ(fileBytes(folder + "/手書きメモ/本棚.ole"), QByteArray("memo"));
    EXPECT_EQ(entries(folder), (QStringList{"QUILMO.mdb", "手書きメモ"}));

    // A working catalogue keeps its rows through another start.
    const QString other = path("other");
    ASSERT_TRUE(prepareDataFolder(other));
    {
        CatalogueDb db(catalogueFilePath(other));
        db.exec("INSERT INTO カテゴリ (カテゴリ名) VALUES ('本')");
    }
    const QByteArray before = fileBytes(catalogueFilePath(other));
    EXPECT_TRUE(prepareDataFolder(other));
    EXPECT_EQ(fileBytes(catalogueFilePath(other)), before);
}

TEST_F(DataFolderTest, FolderThatCannotBeMadeIsAFailure)
{
    // Permissions do not stop root; a regular file in the way stops everyone.
    ASSERT_TRUE(writeFile(path("file"), "in the way"));
    EXPECT_FALSE(prepareDataFolder(path("file/QUILMO")));
    EXPECT_FALSE(prepareDataFolder(path("file")));
    EXPECT_EQ(fileBytes(path("file")), QByteArray("in the way"));
    EXPECT_FALSE(prepareDataFolder(QString()));
    EXPECT_EQ(entries(root.path()), QStringList{"file"});
}

TEST_F(DataFolderTest, FullDiskIsAFailureAndLeavesNoHalfCatalogue)
{
    const QString folder = path("full");
    // A file size limit of zero fills the disk for this process alone. It
    // is set in a child so the test program itself keeps writing.
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit none{0, 0};
        setrlimit(RLIMIT_FSIZE, &none);
        _exit(prepareDataFolder(folder) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    // The folders cost no file size and stay; no catalogue, whole or partial.
    EXPECT_EQ(entries(folder), QStringList{"手書きメモ"});
    // With room again, the next start creates it.
    EXPECT_TRUE(prepareDataFolder(folder));
    EXPECT_TRUE(QFileInfo(catalogueFilePath(folder)).size() > 0);
}

TEST_F(DataFolderTest, FailureTextNamesTheFolder)
{
    const QString text = dataFolderFailureText("/srv/共有/QUILMO");
    EXPECT_TRUE(text.contains("/srv/共有/QUILMO"));
    EXPECT_TRUE(text.contains("QUILMO.mdb"));
}

} // namespace
