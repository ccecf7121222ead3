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
    QByteArray bytesOf(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QtPictureLoader loader;
};

} // namespace

TEST_F(PictureLoaderTest, DrawsAMetafileAtItsOwnSize)
{
    ASSERT_TRUE(writeBytes(path("shape.wmf"), smallMetafile(120, 60, Qt::red)));
    EXPECT_EQ(loader.pictureSize(path("shape.wmf")), QSize(120, 60));

    const QImage image = loader.load(path("shape.wmf"), QSize());
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(120, 60));
    // The brush fills the inside of the rectangle.
    const QColor centre = image.pixelColor(60, 30);
    EXPECT_GT(centre.red(), 200);
    EXPECT_LT(centre.green(), 60);
    EXPECT_LT(centre.blue(), 60);
}

TEST_F(PictureLoaderTest, DrawsAMetafileAtTheSizeItIsShownAt)
{
    ASSERT_TRUE(writeBytes(path("shape.wmf"), smallMetafile(400, 300, Qt::blue)));
    const QImage image = loader.load(path("shape.wmf"), QSize(200, 150));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(200, 150));
    EXPECT_GT(image.pixelColor(100, 75).blue(), 200);
}

TEST_F(PictureLoaderTest, TellsTheKindByContentNotByName)
{
    ASSERT_TRUE(writeBytes(path("really-a-metafile.jpg"), smallMetafile(30, 20)));
    EXPECT_EQ(loader.load(path("really-a-metafile.jpg"), QSize()).size(), QSize(30, 20));
    ASSERT_TRUE(writePicture(path("a.bmp"), QSize(17, 9)));
    ASSERT_TRUE(QFile::rename(path("a.bmp"), path("a.wmf")));
    EXPECT_EQ(loader.pictureSize(path("a.wmf")), QSize(17, 9));
    EXPECT_EQ(loader.load(path("a.wmf"), QSize()).size(), QSize(17, 9));
}

TEST_F(PictureLoaderTest, ReadsTheCommonRasterKinds)
{
    for (const char* name : {"p.bmp", "p.jpg", "p.png"}) {
        ASSERT_TRUE(writePicture(path(name), QSize(33, 21))) << name;
        EXPECT_EQ(loader.pictureSize(path(name)), QSize(33, 21)) << name;
        EXPECT_EQ(loader.load(path(name), QSize()).size(), QSize(33, 21)) << name;
    }
    ASSERT_TRUE(writeBytes(path("p.gif"), onePixelGif()));
    EXPECT_EQ(loader.pictureSize(path("p.gif")), QSize(1, 1));
    EXPECT_EQ(loader.load(path("p.gif"), QSize()).size(), QSize(1, 1));
}

TEST_F(PictureLoaderTest, DecodesALargeJpegStraightAtTheTargetSize)
{
    ASSERT_TRUE(writePicture(path("big.jpg"), QSize(1600, 1200)));
    EXPECT_EQ(loader.pictureSize(path("big.jpg")), QSize(1600, 1200));
    const QImage image = loader.load(path("big.jpg"), QSize(291, 170));
    EXPECT_EQ(image.size(), QSize(291, 170));
}

// A cut-off file must never come back as a picture: the toolkit would paint
// the missing part grey and call it a success.
TEST_F(PictureLoaderTest, TruncatedFilesOfEveryKindGiveNoPicture)
{
    ASSERT_TRUE(writePicture(path("whole.bmp"), QSize(64, 48)));
    ASSERT_TRUE(writePicture(path("whole.jpg"), QSize(64, 48)));
    ASSERT_TRUE(writePicture(path("whole.png"), QSize(64, 48)));
    ASSERT_TRUE(writeBytes(path("whole.gif"), onePixelGif()));
    ASSERT_TRUE(writeBytes(path("whole.wmf"), smallMetafile(64, 48)));

    for (const char* name : {"whole.bmp", "whole.jpg", "whole.png", "whole.gif", "whole.wmf"}) {
        const QByteArray whole = bytesOf(name);
        ASSERT_FALSE(whole.isEmpty()) << name;
        ASSERT_FALSE(loader.load(path(name), QSize()).isNull()) << name;
        for (double share : {0.97, 0.75, 0.5, 0.1}) {
            const qsizetype cut = qMin(whole.size() - 2, qsizetype(whole.size() * share));
            ASSERT_TRUE(writeBytes(path("cut"), whole.left(cut)));
            EXPECT_TRUE(loader.load(path("cut"), QSize()).isNull())
                << name << " cut to " << cut << " of " << whole.size() << " bytes";
            EXPECT_TRUE(loader.load(path("cut"), QSize(20, 10)).isNull())
                << name << " cut to " << cut << " of " << whole.size() << " bytes, scaled";
        }
    }
}

TEST_F(PictureLoaderTest, GarbageMissingAndOddFilesGiveNoPicture)
{
    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise.append(char((i * 7919 + 13) % 251));
    for (const char* name : {"noise.bmp", "noise.jpg", "noise.gif", "noise.wmf", "noise.png"}) {
        ASSERT_TRUE(writeBytes(path(name), noise));
        EXPECT_TRUE(loader.load(path(name), QSize()).isNull()) << name;
        EXPECT_FALSE(loader.pictureSize(path(name)).isValid()) << name;
    }
    // Headers that promise a kind, followed by noise.
    const QByteArray wmfHeader = smallMetafile(10, 10).left(40);
    ASSERT_TRUE(writeBytes(path("bad.wmf"), wmfHeader + noise));
    EXPECT_TRUE(loader.load(path("bad.wmf"), QSize()).isNull());
    ASSERT_TRUE(writeBytes(path("bad.jpg"), QByteArray("\xFF\xD8\xFF\xE0", 4) + noise));
    EXPECT_TRUE(loader.load(path("bad.jpg"), QSize()).isNull());
    ASSERT_TRUE(writeBytes(path("bad.bmp"), QByteArray("BM") + noise));
    EXPECT_TRUE(loader.load(path("bad.bmp"), QSize()).isNull());

    ASSERT_TRUE(writeBytes(path("empty.jpg"), QByteArray()));
    EXPECT_TRUE(loader.load(path("empty.jpg"), QSize()).isNull());
    EXPECT_TRUE(loader.load(path("missing.jpg"), QSize()).isNull());
    EXPECT_FALSE(loader.pictureSize(path("missing.jpg")).isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.jpg"));
    EXPECT_TRUE(loader.load(path("folder.jpg"), QSize()).isNull());
    EXPECT_FALSE(loader.pictureSize(path("folder.jpg")).isValid());
    EXPECT_TRUE(loader.load(QString(), QSize()).isNull());
}

TEST_F(PictureLoaderTest, AMetafileClaimingAnAbsurdSizeIsRefused)
{
    QByteArray huge = smallMetafile(10, 10);
    // Bounding box right/bottom of 32000 units at 1 unit per inch.
    huge[10] = char(0x00);
    huge[11] = char(0x7D);
    huge[12] = char(0x00);
    huge[13] = char(0x7D);
    huge[14] = char(1);
    huge[15] = char(0);
    quint16 checksum = 0;
    for (int i = 0; i < 20; i += 2)
        checksum ^= quint16(quint8(huge[i]) | (quint8(huge[i + 1]) << 8));
    huge[20] = char(checksum & 0xFF);
    huge[21] = char(checksum >> 8);
    ASSERT_TRUE(writeBytes(path("huge.wmf"), huge));
    EXPECT_TRUE(loader.load(path("huge.wmf"), QSize()).isNull());
}

// Every byte of the records damaged in turn: libwmf either draws something of
// the stated size or nothing, and never brings the program down.
TEST_F(PictureLoaderTest, DamagedMetafileRecordsNeverGiveAPictureOfAnotherSize)
{
    const QByteArray whole = smallMetafile(50, 40);
    const int recordsStart = 22 + 18;
    for (int i = recordsStart; i < whole.size(); ++i) {
        for (char value : {char(0x00), char(0xFF), char(0x80)}) {
            QByteArray damaged = whole;
            damaged[i] = value;
            ASSERT_TRUE(writeBytes(path("damaged.wmf"), damaged));
            const QImage image = loader.load(path("damaged.wmf"), QSize());
            if (!image.isNull()) {
                EXPECT_EQ(image.size(), QSize(50, 40)) << "byte " << i;
            }
        }
    }
}
