#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/picture.h"
#include "support/test_pictures.h"

namespace {

class PictureLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString written(const QString& name, const QByteArray& bytes)
    {
        EXPECT_TRUE(writeBytes(path(name), bytes));
        return path(name);
    }

    QTemporaryDir dir;
    QtPictureLoader loader;
};

} // namespace

TEST_F(PictureLoaderTest, DrawsAMetafileAtItsOwnSizeOrTheSizeItIsShownAt)
{
    const QString wmf = written("shape.wmf", smallMetafile(120, 60, Qt::red));
    EXPECT_EQ(loader.pictureSize(wmf), QSize(120, 60));
    const QImage own = loader.load(wmf, QSize());
    ASSERT_EQ(own.size(), QSize(120, 60));
    const QColor centre = own.pixelColor(60, 30); // inside the filled rectangle
    EXPECT_GT(centre.red(), 200);
    EXPECT_LT(centre.green() + centre.blue(), 100);
    EXPECT_EQ(loader.load(wmf, QSize(60, 30)).size(), QSize(60, 30));
}

// The kind is told by content: a metafile named .jpg and a bitmap named .wmf.
TEST_F(PictureLoaderTest, ReadsEachKindWhateverItsName)
{
    for (const char* name : {"p.bmp", "p.jpg", "p.png"}) {
        ASSERT_TRUE(writePicture(path(name), QSize(33, 21)));
        EXPECT_EQ(loader.pictureSize(path(name)), QSize(33, 21)) << name;
        EXPECT_EQ(loader.load(path(name), QSize()).size(), QSize(33, 21)) << name;
    }
    EXPECT_EQ(loader.load(written("p.gif", onePixelGif()), QSize()).size(), QSize(1, 1));
    EXPECT_EQ(loader.load(written("m.jpg", smallMetafile(30, 20)), QSize()).size(), QSize(30, 20));
    ASSERT_TRUE(QFile::rename(path("p.bmp"), path("b.wmf")));
    EXPECT_EQ(loader.load(path("b.wmf"), QSize()).size(), QSize(33, 21));
}

TEST_F(PictureLoaderTest, DecodesALargeJpegStraightAtTheTargetSize)
{
    ASSERT_TRUE(writePicture(path("big.jpg"), QSize(1600, 1200)));
    EXPECT_EQ(loader.pictureSize(path("big.jpg")), QSize(1600, 1200));
    EXPECT_EQ(loader.load(path("big.jpg"), QSize(291, 170)).size(), QSize(291, 170));
}

// The toolkit paints the missing part of a cut-off BMP, JPEG or GIF grey and
// calls it a success; none of them may come back as a picture.
TEST_F(PictureLoaderTest, TruncatedFilesOfEveryKindGiveNoPicture)
{
    for (const char* name : {"w.bmp", "w.jpg", "w.png"})
        ASSERT_TRUE(writePicture(path(name), QSize(64, 48)));
    written("w.gif", onePixelGif());
    written("w.wmf", smallMetafile(64, 48));
    for (const char* name : {"w.bmp", "w.jpg", "w.png", "w.gif", "w.wmf"}) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray whole = file.readAll();
        ASSERT_FALSE(loader.load(path(name), QSize()).isNull()) << name;
        for (double share : {0.97, 0.75, 0.5, 0.1}) {
            const QString cut = written("cut", whole.left(qsizetype(whole.size() * share)));
            EXPECT_TRUE(loader.load(cut, QSize()).isNull()) << name << " at " << share;
            EXPECT_TRUE(loader.load(cut, QSize(20, 10)).isNull()) << name << " at " << share;
        }
    }
}

TEST_F(PictureLoaderTest, GarbageMissingAndOddFilesGiveNoPicture)
{
    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise.append(char((i * 7919 + 13) % 251));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.jpg"));
    const QStringList paths{written("noise.jpg", noise),
                            written("noise.wmf", noise),
                            written("bad.wmf", smallMetafile(10, 10).left(40) + noise),
                            written("bad.jpg", QByteArray("\xFF\xD8\xFF\xE0", 4) + noise),
                            written("bad.bmp", "BM" + noise),
                            written("empty.gif", QByteArray()),
                            path("missing.jpg"),
                            path("folder.jpg"),
                            QString()};
    for (const QString& p : paths) {
        EXPECT_TRUE(loader.load(p, QSize()).isNull()) << p.toStdString();
        EXPECT_FALSE(loader.pictureSize(p).isValid()) << p.toStdString();
    }
}

// libwmf itself crashes on a metafile that claims millions of pixels a side.
TEST_F(PictureLoaderTest, AMetafileClaimingAnAbsurdSizeIsRefused)
{
    QByteArray huge = smallMetafile(10, 10);
    huge[11] = huge[13] = char(0x7D); // right and bottom 32000 units...
    huge[10] = huge[12] = char(0x00);
    huge[14] = char(1);               // ...at one unit per inch
    quint16 checksum = 0;
    for (int i = 0; i < 20; i += 2)
        checksum ^= quint16(quint8(huge[i]) | (quint8(huge[i + 1]) << 8));
    huge[20] = char(checksum & 0xFF);
    huge[21] = char(checksum >> 8);
    EXPECT_TRUE(loader.load(written("huge.wmf", huge), QSize()).isNull());
}

// Every byte of the records damaged in turn: either a picture of the stated
// size or none, and never a crash.
TEST_F(PictureLoaderTest, DamagedMetafileRecordsNeverGiveAPictureOfAnotherSize)
{
    const QByteArray whole = smallMetafile(50, 40);
    for (int i = 22 + 18; i < whole.size(); ++i) {
        for (char value : {char(0x00), char(0xFF), char(0x80)}) {
            QByteArray damaged = whole;
            damaged[i] = value;
            const QImage image = loader.load(written("damaged.wmf", damaged), QSize());
            if (!image.isNull()) {
                EXPECT_EQ(image.size(), QSize(50, 40)) << "byte " << i;
            }
        }
    }
}
