// How large a picture the loader takes: PNGs up to 16,384 pixels a side and
// 1 GiB decoded; a larger one is refused from its header, before anything is
// allocated for it.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/picture.h"
#include "support/test_pictures.h"

namespace
{

// Runs the probe on path: how far a fresh process grew decoding it, in MiB,
// and the size decoded.
std::pair<long, QString> probe(const QString& path)
{
    QProcess process;
    process.start(QStringLiteral(QUILMO_PICTURE_PROBE), {path});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {-1, QString()};
    const QStringList out =
        QString::fromLatin1(process.readAllStandardOutput()).trimmed().split(' ');
    return {out.value(0).toLong() / 1024, out.value(1)};
}

class PictureLimitsTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    QtPictureLoader loader;
};

} // namespace

TEST_F(PictureLimitsTest, SixteenBitPngOfSixThousandPixelsASideLoads)
{
    // 8 bytes a pixel once decoded: more than the toolkit allows by default.
    QImage grey(6000, 6000, QImage::Format_RGBX64);
    grey.fill(QColor(128, 128, 128));
    ASSERT_TRUE(grey.save(path("grey.png")));
    grey = QImage();
    EXPECT_LT(QFile(path("grey.png")).size(), 1024 * 1024);
    const QImage loaded = loader.load(path("grey.png"), QSize());
    ASSERT_EQ(loaded.size(), QSize(6000, 6000));
    EXPECT_EQ(loaded.pixelColor(5999, 5999).red(), 128);
}

TEST_F(PictureLimitsTest, SixteenThousandThreeHundredEightyFourPixelsASideIsTheEnd)
{
    for (const QSize size : {QSize(16384, 1), QSize(1, 16384)}) {
        ASSERT_TRUE(writeBytes(path("edge.png"), claimedPng(size.width(), size.height())));
        EXPECT_EQ(loader.load(path("edge.png"), QSize()).size(), size);
    }
    for (const QSize size : {QSize(16385, 1), QSize(1, 16385)}) {
        ASSERT_TRUE(writeBytes(path("over.png"), claimedPng(size.width(), size.height())));
        EXPECT_EQ(loader.pictureSize(path("over.png")), size); // the header is still read
        EXPECT_TRUE(loader.load(path("over.png"), QSize()).isNull());
    }
}

TEST_F(PictureLimitsTest, PicturesOverTheirBudgetAreRefusedWithoutAllocating)
{
    // Each would take more than 1 GiB decoded: too many pixels a side, or a
    // side within bounds at 8 bytes a pixel (16-bit colour with alpha).
    const struct {
        const char* label;
        quint32 width;
        quint32 height;
        int bits;
        int colourType;
    } cases[] = {
        {"20000 a side", 20000, 20000, 8, 0},
        {"16-bit colour, 16384 a side", 16384, 16384, 16, 6},
        {"16-bit colour, one row over 1 GiB", 16384, 8193, 16, 6},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.label);
        ASSERT_TRUE(writeBytes(path("huge.png"),
                               claimedPng(row.width, row.height, row.bits, row.colourType)));
        EXPECT_EQ(loader.pictureSize(path("huge.png")), QSize(int(row.width), int(row.height)));
        const auto [grown, size] = probe(path("huge.png"));
        ASSERT_GE(grown, 0) << "the probe did not run";
        EXPECT_EQ(size, "0x0");
        // Hundreds of MB would be its pixels; a few MB is the decoder's own working.
        EXPECT_LT(grown, 16);
    }

    // The probe does see an allocation: 3000 x 3000 at 4 bytes a pixel.
    QImage colour(3000, 3000, QImage::Format_RGB32);
    colour.fill(Qt::blue);
    ASSERT_TRUE(colour.save(path("colour.png")));
    const auto [seen, shown] = probe(path("colour.png"));
    EXPECT_EQ(shown, "3000x3000");
    EXPECT_GE(seen, 30);
}
