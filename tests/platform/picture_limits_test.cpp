// How large a picture the loader takes: PNGs up to 16,384 pixels a side,
// whatever their depth; a larger one is refused from its header, before
// anything is allocated for it.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include "platform/picture.h"
#include "support/test_pictures.h"

namespace
{

quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray chunk(const char* type, const QByteArray& body)
{
    QByteArray out(4, '\0');
    qToBigEndian(quint32(body.size()), out.data());
    const QByteArray typed = QByteArray(type) + body;
    QByteArray crc(4, '\0');
    qToBigEndian(crc32(typed), crc.data());
    return out + typed + crc;
}

// A greyscale PNG of width x height black pixels; one too large to hold
// whole holds only its first rows, which is all a decoder reads before it
// decides how much to allocate.
QByteArray claimedPng(quint32 width, quint32 height)
{
    QByteArray header(13, '\0');
    qToBigEndian(width, header.data());
    qToBigEndian(height, header.data() + 4);
    header[8] = 8; // bits per sample
    header[9] = 0; // greyscale
    const qsizetype row = 1 + qsizetype(width);
    const qsizetype whole = row * qsizetype(height);
    const QByteArray rows(whole <= (1 << 20) ? whole : 4 * row, '\0');
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) +
           chunk("IDAT", qCompress(rows).mid(4)) + chunk("IEND", {});
}

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

TEST_F(PictureLimitsTest, TwentyThousandPixelsASideIsRefusedWithoutAllocating)
{
    ASSERT_TRUE(writeBytes(path("huge.png"), claimedPng(20000, 20000)));
    const auto [grown, size] = probe(path("huge.png"));
    ASSERT_GE(grown, 0) << "the probe did not run";
    EXPECT_EQ(size, "0x0");
    // 400 MB would be its pixels; a few MB is the decoder's own working.
    EXPECT_LT(grown, 16);

    // The probe does see an allocation: 3000 x 3000 at 4 bytes a pixel.
    QImage colour(3000, 3000, QImage::Format_RGB32);
    colour.fill(Qt::blue);
    ASSERT_TRUE(colour.save(path("colour.png")));
    const auto [seen, shown] = probe(path("colour.png"));
    EXPECT_EQ(shown, "3000x3000");
    EXPECT_GE(seen, 30);
}
