// A build reads the folder once and matches each kind against that reading;
// the matches must be those of reading the folder for each pattern.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "images/image_files.h"
#include "images/image_list.h"
#include "support/form_fixture.h"

namespace
{

class FolderListingTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        ASSERT_TRUE(photos.isValid());
        makeForm();
        for (const char* name : {"A.JPG", "b.jpg", ".hidden.jpg", "c.jpeg", "d.jpg.txt", "e.png",
                                 "IMG_01.bmp", "IMG_1.bmp", "[x].png", ".jpg"}) {
            QFile file(photos.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name;
        }
        ASSERT_TRUE(QDir(photos.path()).mkdir("folder.jpg"));
    }
    QStringList sorted(QStringList names) const
    {
        names.sort();
        return names;
    }

    QTemporaryDir photos;
};

} // namespace

TEST_F(FolderListingTest, MatchingTheReadingEqualsReadingForEachPattern)
{
    const QString folder = photos.path() + QLatin1Char('/');
    const QStringList all = listFolderFiles(folder);
    EXPECT_FALSE(all.contains("folder.jpg"));
    EXPECT_TRUE(all.contains(".hidden.jpg"));
    for (const char* pattern : {"*.jpg", "*.JPG", "*.png", "*.bmp", "IMG_??.*", "*", "*.[x]",
                                "[[]x].png", "?.jpg", "*.wmf"}) {
        const QString wildcard = QString::fromLatin1(pattern);
        EXPECT_EQ(sorted(matchingNames(all, wildcard)), sorted(listMatchingFiles(folder, wildcard)))
            << pattern;
    }
    EXPECT_EQ(sorted(matchingNames(all, "*.jpg")),
              QStringList({".hidden.jpg", ".jpg", "A.JPG", "b.jpg"}));
    EXPECT_EQ(matchingNames(all, "IMG_??.*"), QStringList({"IMG_01.bmp"}));
}

TEST_F(FolderListingTest, WalksSharingAReadingReadTheFolderOnce)
{
    const QString folder = photos.path() + QLatin1Char('/');
    Module1::ImageNameTable names(Module1::kImageNameSlots);
    int last = -1;
    Module1::FolderListing listing;
    ASSERT_TRUE(Module1::WalkImageFolder(*form, folder + "*.jpg", names, last, &listing));
    EXPECT_EQ(last, 3);
    EXPECT_TRUE(listing.read);
    // A file added after the reading is not seen by the later walks of the
    // same build; the next build sees it.
    QFile late(photos.filePath("late.png"));
    ASSERT_TRUE(late.open(QIODevice::WriteOnly));
    ASSERT_TRUE(Module1::WalkImageFolder(*form, folder + "*.png", names, last, &listing));
    EXPECT_EQ(last, 5);
    EXPECT_EQ(names[4].startsWith(folder), true);
    EXPECT_TRUE(Module1::WalkImageFolder(*form, folder + "*.png", names, last));
    EXPECT_EQ(last, 8);

    // Another folder is read anew.
    QTemporaryDir other;
    QFile one(other.filePath("one.png"));
    ASSERT_TRUE(one.open(QIODevice::WriteOnly));
    ASSERT_TRUE(Module1::WalkImageFolder(*form, other.path() + "/*.png", names, last, &listing));
    EXPECT_EQ(last, 9);
    EXPECT_EQ(names[9], other.filePath("one.png"));
}
