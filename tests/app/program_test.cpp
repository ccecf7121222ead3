#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "store/catalogue_db.h"

namespace
{

// The real program, started the way a user starts it, with its own home for
// the user's data folder. It is copied so its folder can be made portable.
class ProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir().mkpath(program()));
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUILMO_PROGRAM), program() + "/quilmo"));
    }
    void TearDown() override
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
    QString program() const { return root.filePath("program"); }
    QString userFolder() const { return root.filePath("xdg/QUILMO"); }

    // Starts the program and waits until its catalogue is there; the program
    // must still be running then.
    void startAndWaitFor(const QStringList& arguments, const QString& catalogue)
    {
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_DATA_HOME", root.filePath("xdg"));
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program() + "/quilmo", arguments);
        ASSERT_TRUE(process.waitForStarted());
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo(catalogue).size() > 0; }, 60000))
            << catalogue.toStdString();
        EXPECT_EQ(process.state(), QProcess::Running);
    }

    QTemporaryDir root;
    QProcess process;
};

TEST_F(ProgramTest, FreshProgramKeepsItsCatalogueInTheUsersDataFolder)
{
    startAndWaitFor({}, catalogueFilePath(userFolder()));
    EXPECT_TRUE(QFileInfo(userFolder() + "/手書きメモ").isDir());
    EXPECT_EQ(QDir(program()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"quilmo"});
}

TEST_F(ProgramTest, ProgramFolderWithACatalogueStaysPortable)
{
    ASSERT_TRUE(createCatalogueIfMissing(catalogueFilePath(program())));
    startAndWaitFor({}, catalogueFilePath(program()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo(program() + "/手書きメモ").isDir(); }));
    EXPECT_FALSE(QFileInfo::exists(root.filePath("xdg")));
}

TEST_F(ProgramTest, DataFolderOnTheCommandLineIsUsed)
{
    const QString chosen = root.filePath("選んだ/フォルダ");
    startAndWaitFor({"--data-folder", chosen}, catalogueFilePath(chosen));
    EXPECT_FALSE(QFileInfo::exists(root.filePath("xdg")));
    EXPECT_FALSE(QFileInfo::exists(catalogueFilePath(program())));
}

TEST_F(ProgramTest, QtsOwnOptionsReachQt)
{
    struct Row {
        QStringList arguments;
        // Qt's answer on standard error, when the option shows in one.
        QString said;
    };
    const Row rows[] = {
        // No display and no platform in the environment: only the option can
        // give Qt the platform it opens the window on.
        {{"-platform", "offscreen"}, {}},
        {{"-platform", "offscreen", "-style", "NoSuchStyle"}, "NoSuchStyle"},
        {{"-platform", "offscreen", "-reverse", "-session", "1234-abcd"}, {}},
        {{"--platform", "offscreen", "-style=Fusion", "--data-folder", "選んだ"}, {}},
    };
    for (const Row& row : rows) {
        const QString data = root.filePath("data");
        QDir(data).removeRecursively();
        auto environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(name);
        environment.insert("XDG_DATA_HOME", root.filePath("xdg"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(root.path());
        QStringList arguments = row.arguments;
        if (!arguments.contains("--data-folder"))
            arguments << "--data-folder" << data;
        const QString catalogue =
            catalogueFilePath(arguments.contains("選んだ") ? root.filePath("選んだ") : data);
        process.start(program() + "/quilmo", arguments);
        ASSERT_TRUE(process.waitForStarted());
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo(catalogue).size() > 0; }, 60000))
            << row.arguments.join(' ').toStdString();
        EXPECT_EQ(process.state(), QProcess::Running) << row.arguments.join(' ').toStdString();
        process.kill();
        process.waitForFinished();
        const QString said = QString::fromLocal8Bit(process.readAllStandardError());
        EXPECT_TRUE(said.contains(row.said)) << said.toStdString();
        EXPECT_FALSE(said.contains("Unknown option")) << said.toStdString();
    }
}

} // namespace
