#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/shipped_files.h"
#include "memo/memo_files.h"

namespace
{

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QStringList kShipped{"help/help.html", "banner.png", "手書きメモ/quilmo.ole",
                           "icons/quilmo-16.png", "icons/quilmo-32.png"};

// Every shipped file is there and is the one in the source tree.
void expectShippedFilesIn(const QString& folder)
{
    for (const QString& name : kShipped) {
        const QString file = QDir(folder).filePath(name);
        EXPECT_TRUE(QFileInfo(file).isFile()) << file.toStdString();
        EXPECT_EQ(fileBytes(file), fileBytes(QStringLiteral(QUILMO_ASSETS_DIR "/") + name))
            << name.toStdString();
    }
    EXPECT_FALSE(memo::readMemo(memo::defaultMemoPath(folder)).isNull());
}

TEST(ShippedFilesTest, BuildFolderFindsThemBesideTheProgram)
{
    const QString found = findSharedFolder(QStringLiteral(QUILMO_BUILD_DIR));
    EXPECT_EQ(found, QStringLiteral(QUILMO_BUILD_DIR "/share/quilmo"));
    expectShippedFilesIn(found);
}

TEST(ShippedFilesTest, InstalledTreeFindsThemUnderItsShareFolder)
{
    const QString prefix = QStringLiteral(QUILMO_INSTALL_PREFIX);
    const QString found = findSharedFolder(prefix + "/bin");
    EXPECT_EQ(found, prefix + "/share/quilmo");
    expectShippedFilesIn(found);
    EXPECT_TRUE(QFileInfo(prefix + "/bin/quilmo").isExecutable());
    // The Jet files of the old program are read by a program of its own.
    EXPECT_TRUE(QFileInfo(prefix + "/libexec/quilmo/quilmo-jet-reader").isExecutable());
    for (const char* name :
         {"share/applications/org.example.quilmo.desktop",
          "share/metainfo/org.example.quilmo.metainfo.xml",
          "share/icons/hicolor/scalable/apps/org.example.quilmo.svg", "share/man/man1/quilmo.1.gz",
          "share/man/ja/man1/quilmo.1.gz", "share/doc/quilmo/copyright"})
        EXPECT_TRUE(QFileInfo(prefix + "/" + name).isFile()) << name;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString icon =
            prefix +
            QStringLiteral("/share/icons/hicolor/%1x%1/apps/org.example.quilmo.png").arg(size);
        EXPECT_EQ(QImage(icon).size(), QSize(size, size)) << icon.toStdString();
    }
    // Nothing of the catalogue is installed: it belongs to each user.
    EXPECT_FALSE(QFileInfo::exists(found + "/QUILMO.mdb"));
}

TEST(ShippedFilesTest, FilesBesideTheProgramComeBeforeAnInstalledTree)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    for (const char* folder : {"bin/share/quilmo/help", "share/quilmo/help"}) {
        ASSERT_TRUE(QDir().mkpath(root.filePath(folder)));
        QFile page(root.filePath(folder) + "/help.html");
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(findSharedFolder(root.filePath("bin")), root.filePath("bin/share/quilmo"));
    ASSERT_TRUE(QDir(root.filePath("bin/share")).removeRecursively());
    EXPECT_EQ(findSharedFolder(root.filePath("bin")), root.filePath("share/quilmo"));
    // A share folder without the help page is not ours.
    ASSERT_TRUE(QFile::remove(root.filePath("share/quilmo/help/help.html")));
    EXPECT_EQ(findSharedFolder(root.filePath("bin")),
              sharedFolderCandidates(root.filePath("bin")).last());
}

TEST(ShippedFilesTest, WithNoneFoundTheConfiguredInstallFolderIsNamed)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    const QStringList candidates = sharedFolderCandidates(empty.path());
    ASSERT_EQ(candidates.size(), 3);
    EXPECT_EQ(candidates.last(), QStringLiteral(QUILMO_INSTALLED_SHARE));
    EXPECT_EQ(findSharedFolder(empty.path()), QStringLiteral(QUILMO_INSTALLED_SHARE));
}

} // namespace
