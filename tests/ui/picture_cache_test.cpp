// Showing a picture again reuses what was decoded, as long as the file is the
// one decoded; stepping through the image list finds its neighbours decoded
// ahead of time.
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include "images/image_list.h"
#include "launch/thumbnail.h"
#include "support/form_fixture.h"
#include "support/test_pictures.h"
#include "ui/main/tab_area.h"
#include "ui/picture_browser.h"
#include "ui/picture_cache.h"

namespace
{

const QString kFailed = QStringLiteral("サムネイル画像がロード出来ませんでした。");

// Sets the file's modification time to the given number of seconds ago, as
// for a photo copied in some time before.
bool aged(const QString& path, int seconds = 3600)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDateTime::currentDateTime().addSecs(-seconds),
                            QFileDevice::FileModificationTime);
}

bool writeSolid(const QString& path, QSize size, QColor colour, QImage::Format format)
{
    QImage image(size, format);
    image.fill(colour);
    return image.save(path);
}

class PictureCacheTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        ASSERT_TRUE(pictures.isValid());
        makeForm();
        form->show();
        form->Text8->clear();
    }
    QString solid(const QString& name, QSize size, QColor colour, int age = 3600)
    {
        const QString path = pictures.filePath(name);
        EXPECT_TRUE(writeSolid(path, size, colour, QImage::Format_RGB32)) << name.toStdString();
        if (age > 0) {
            EXPECT_TRUE(aged(path, age));
        }
        return path;
    }
    void show(const QString& path) { Module1::ShowThumbnail(*form, path); }
    QColor picture2Colour() const { return form->Picture2->pixmap().toImage().pixelColor(5, 5); }
    int reads(const QString& path) const { return int(fakes.pictures.read.count(path)); }
    PictureCache& cache() { return form->pictureCache; }

    QTemporaryDir pictures;
};

} // namespace

TEST_F(PictureCacheTest, AnUnchangedFileIsNotReadAgainAChangedOneIs)
{
    const QString path = solid("small.bmp", QSize(100, 50), Qt::red);
    show(path);
    const int once = reads(path); // its header, then the picture
    ASSERT_GT(once, 0);
    show(path);
    EXPECT_EQ(picture2Colour(), QColor(Qt::red));
    EXPECT_EQ(reads(path), once);

    // A bitmap of the same size has the same length: only the time tells.
    solid("small.bmp", QSize(100, 50), Qt::blue, 1800);
    show(path);
    EXPECT_EQ(picture2Colour(), QColor(Qt::blue));
    EXPECT_EQ(reads(path), 2 * once);

    // The same time but another length.
    const QDateTime time = QFileInfo(path).lastModified();
    solid("small.bmp", QSize(120, 50), Qt::green, 0);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
    }
    show(path);
    EXPECT_EQ(form->Picture2->pixmap().size(), QSize(120, 50));
    EXPECT_EQ(picture2Colour(), QColor(Qt::green));

    // A file written moments ago may change again within the same tick of
    // the file system's clock, so what was read from it is not kept.
    solid("small.bmp", QSize(120, 50), Qt::yellow, 0);
    show(path);
    solid("small.bmp", QSize(120, 50), Qt::cyan, 0);
    show(path);
    EXPECT_EQ(picture2Colour(), QColor(Qt::cyan));
    EXPECT_TRUE(form->Text8->text().isEmpty());

    // Gone: the message, never the picture read before.
    ASSERT_TRUE(QFile::remove(path));
    show(path);
    EXPECT_EQ(form->Text8->text(), kFailed);
    EXPECT_TRUE(form->Picture2->pixmap().isNull());
    EXPECT_FALSE(cache().contains(path));
}

TEST_F(PictureCacheTest, LargePicturesAndPagesComeBackAsFirstShown)
{
    const QString photo = solid("photo.jpg", QSize(1200, 600), Qt::darkGreen);
    show(photo);
    const int once = reads(photo);
    const QSize first = form->Image1->pixmap().size();
    const QRect firstPlace = form->SSTab1->placedTwips(form->Image1);
    show(solid("other.jpg", QSize(600, 600), Qt::gray));
    show(photo);
    EXPECT_EQ(form->Image1->pixmap().size(), first);
    EXPECT_EQ(form->SSTab1->placedTwips(form->Image1), firstPlace);
    EXPECT_EQ(reads(photo), once);

    const QString page = solid("page.png", QSize(700, 500), Qt::magenta);
    show(page);
    const int pageOnce = reads(page); // its header, then the picture
    ASSERT_GT(pageOnce, 0);
    show(photo);
    show(page);
    EXPECT_EQ(form->WebBrowser1->pictureSize(), QSize(700, 500));
    EXPECT_TRUE(form->WebBrowser1->isVisible());
    EXPECT_EQ(reads(page), pageOnce);
}

TEST_F(PictureCacheTest, MemoryStaysWithinItsBudgetAfterTwoHundredPictures)
{
    const PictureCache::Limits limits = cache().limits();
    QStringList thumbnails;
    QStringList pages;
    for (int i = 0; i < 150; ++i) {
        // Just below the thumbnail area: each is kept at its own size.
        const QString path = solid(QStringLiteral("t%1.jpg").arg(i), QSize(289, 168),
                                   QColor::fromHsv(i * 2, 200, 200));
        show(path);
        ASSERT_EQ(form->Picture2->pixmap().size(), QSize(289, 168));
        ASSERT_LE(cache().bytes(PictureUse::Thumbnail), limits.thumbnailBytes);
        thumbnails << path;
    }
    for (int i = 0; i < 50; ++i) {
        const QString path = solid(QStringLiteral("p%1.png").arg(i), QSize(1000, 800),
                                   QColor::fromHsv(i * 5, 200, 200));
        show(path);
        ASSERT_EQ(form->WebBrowser1->pictureSize(), QSize(1000, 800));
        ASSERT_LE(cache().bytes(PictureUse::Page), limits.pageBytes);
        pages << path;
    }
    EXPECT_LE(cache().bytes(PictureUse::Thumbnail), limits.thumbnailBytes);
    EXPECT_LE(cache().bytes(PictureUse::Page), limits.pageBytes);
    // The most recent are kept, the oldest have made room.
    EXPECT_TRUE(cache().contains(thumbnails.last()));
    EXPECT_TRUE(cache().contains(pages.last()));
    EXPECT_FALSE(cache().contains(thumbnails.first()));
    EXPECT_FALSE(cache().contains(pages.first()));
    EXPECT_GT(cache().count(), 20);
    EXPECT_LT(cache().count(), 200);
}

TEST_F(PictureCacheTest, APictureLargerThanItsWholeBudgetIsShownButNotKept)
{
    // A thumbnail counts twice: as decoded and as the pixmap its view shows.
    PictureCache small(&fakes.pictures, PictureCache::Limits{2000, 1000}, nullptr);
    const FileStamp stamp = fileStamp(solid("a.bmp", QSize(10, 10), Qt::red));
    ASSERT_TRUE(stamp.isValid());
    QImage image(20, 20, QImage::Format_RGB32); // 1600 bytes, twice
    small.insert("a.bmp", PictureUse::Thumbnail, stamp, fileClockNow(), QSize(20, 20), image);
    EXPECT_EQ(small.count(), 0);
    QImage fits(15, 15, QImage::Format_RGB32); // 900 bytes
    small.insert("a.bmp", PictureUse::Thumbnail, stamp, fileClockNow(), QSize(15, 15), fits);
    EXPECT_EQ(small.bytes(PictureUse::Thumbnail), 1800);
    small.insert("b.bmp", PictureUse::Thumbnail, stamp, fileClockNow(), QSize(15, 15), fits);
    EXPECT_EQ(small.count(), 1); // a.bmp made room
    EXPECT_TRUE(small.contains("b.bmp"));
    // A page does not push out a thumbnail.
    small.insert("c.png", PictureUse::Page, stamp, fileClockNow(), QSize(15, 15), fits);
    EXPECT_EQ(small.count(), 2);
    EXPECT_FALSE(fileStamp(pictures.path()).isValid()); // a folder is no picture
    EXPECT_FALSE(fileStamp(pictures.filePath("none.bmp")).isValid());
}

class ImageStepTest : public PictureCacheTest
{
protected:
    void SetUp() override
    {
        PictureCacheTest::SetUp();
        // Larger than the thumbnail area: decoded at the size shown.
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
            paths << solid(QString::fromLatin1(name), QSize(600, 400), Qt::darkBlue);
        form->Text5->setText(paths[0]);
        Module1::ShowThumbnail(*form, paths[0]);
        Module1::BuildImageList(*form);
        ASSERT_EQ(form->Label14->text(), "1");
        cache().waitForPrefetch();
    }
    QStringList paths;
};

TEST_F(ImageStepTest, NeighboursAreDecodedAheadAndAStepReadsNothing)
{
    // After a, the next (b) and the last (d, also the previous one).
    EXPECT_TRUE(cache().contains(paths[1]));
    EXPECT_TRUE(cache().contains(paths[3]));
    EXPECT_FALSE(cache().contains(paths[2]));
    fakes.pictures.read.clear();

    form->Command15->click();
    EXPECT_EQ(form->Text5->text(), paths[1]);
    EXPECT_TRUE(fakes.pictures.read.isEmpty());
    EXPECT_EQ(form->Image1->pixmap().size(), QSize(255, 170));
    EXPECT_TRUE(form->Text8->text().isEmpty());

    cache().waitForPrefetch();
    EXPECT_TRUE(cache().contains(paths[2]));
    form->Command15->click();
    form->Command16->click();
    form->Command13->click();
    EXPECT_TRUE(fakes.pictures.read.isEmpty());
    EXPECT_EQ(form->Label14->text(), "1");
}

TEST_F(ImageStepTest, ANeighbourDeletedBeforeTheStepGivesTheMessage)
{
    ASSERT_TRUE(cache().contains(paths[1]));
    ASSERT_TRUE(QFile::remove(paths[1]));
    form->Command15->click();
    EXPECT_EQ(form->Text5->text(), paths[1]);
    EXPECT_EQ(form->Text8->text(), kFailed);
    EXPECT_TRUE(form->Image1->pixmap().isNull());
    EXPECT_TRUE(form->Picture2->pixmap().isNull());

    // Replaced by another picture under the same name: the new one shows.
    ASSERT_TRUE(cache().contains(paths[3]));
    solid("d.jpg", QSize(100, 50), Qt::red, 60);
    form->Command16->click();
    EXPECT_EQ(form->Text5->text(), paths[3]);
    EXPECT_TRUE(form->Picture2->isVisible());
    EXPECT_EQ(form->Picture2->pixmap().size(), QSize(100, 50));
}

TEST_F(ImageStepTest, NothingIsDecodedAheadWhileThumbnailsAreOff)
{
    {
        const QSignalBlocker quiet(form->Check1);
        form->Check1->setChecked(false);
    }
    PictureCache& kept = cache();
    // Forget what is kept by changing every file.
    for (const QString& path : paths)
        ASSERT_TRUE(aged(path, 1200));
    form->Command15->click();
    kept.waitForPrefetch();
    for (const QString& path : paths)
        EXPECT_TRUE(!kept.find(path, fileStamp(path))) << path.toStdString();
}
