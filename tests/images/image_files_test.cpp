#include <gtest/gtest.h>

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "images/image_files.h"
#include "support/qt_printers.h"

namespace {

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

} // namespace

TEST(ImageFiles, MatchesWithoutRegardToCaseHiddenFilesIncludedFoldersNot)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"A.BMP", "b.bmp", ".hidden.bmp", "c.Bmp.txt", "d.jpg"})
        touch(dir.filePath(name));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.bmp"));

    EXPECT_EQ(sorted(listMatchingFiles(dir.path() + "/", "*.bmp")),
              QStringList({".hidden.bmp", "A.BMP", "b.bmp"}));
    EXPECT_EQ(listMatchingFiles(dir.path() + "/", "*.png"), QStringList());
    EXPECT_EQ(listMatchingFiles(dir.filePath("missing") + "/", "*.bmp"), QStringList());
}

TEST(ImageFiles, ExtensionIsTheLastThreeLettersInAnyCase)
{
    EXPECT_TRUE(endsWithExtension("/p/A.BMP", "bmp"));
    EXPECT_TRUE(endsWithExtension("/p/x.JpG", "jpg"));
    EXPECT_FALSE(endsWithExtension("/p/e.jpeg", "jpg"));
    EXPECT_TRUE(endsWithExtension("/p/notajpg", "jpg"));
    EXPECT_FALSE(endsWithExtension("pg", "jpg"));
}

TEST(ImageFiles, OrderIsCaseBlindAndDoesNotDependOnInsertion)
{
    QStringList names{"/p/b.jpg", "/p/A.BMP", "/p/a.bmp", "/p/C.png", "/p/.f.wmf", "/p/B.bmp"};
    QStringList reversed(names.rbegin(), names.rend());
    std::sort(names.begin(), names.end(), imageNameLess);
    std::sort(reversed.begin(), reversed.end(), imageNameLess);
    EXPECT_EQ(names, reversed);
    EXPECT_EQ(names,
              QStringList({"/p/.f.wmf", "/p/A.BMP", "/p/a.bmp", "/p/B.bmp", "/p/b.jpg", "/p/C.png"}));
}
