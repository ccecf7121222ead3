#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include "platform/picture.h"
#include "support/test_pictures.h"

namespace
{

class PictureLoaderTest : public ::testing::Test
{
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

// The hostile pictures kept beside the repository.
QString hostilePicture(const char* name)
{
    return QDir::cleanPath(
        QStringLiteral(QUILMO_ASSETS_DIR "/../../shared/fixtures/pictures-hostile/") +
        QLatin1String(name));
}

// A line of /proc/self/status in kibibytes ("VmPeak", "VmHWM"); -1 if absent.
long statusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

struct ChildRun {
    bool exited = false;
    int code = -1;     // 0: the load gave a picture, 1: it gave none
    long peakKiB = -1; // growth of the peak address space during the load
};

// Runs work in a child process, so that the peak address space it reaches
// is measured from a clean slate and a huge allocation cannot hurt the test
// program itself. The child reports the growth of VmPeak through a pipe.
ChildRun inChild(const std::function<bool()>& warmUp, const std::function<bool()>& work)
{
    ChildRun run;
    int fds[2];
    if (pipe(fds) != 0)
        return run;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        // The image plugins map libraries of their own; they are loaded
        // without the loader, whose reading is what is measured.
        QImageReader::supportedImageFormats();
        warmUp();
        const long before = statusKiB("VmPeak");
        const bool picture = work();
        const long growth = statusKiB("VmPeak") - before;
        [[maybe_unused]] const ssize_t written = write(fds[1], &growth, sizeof growth);
        _exit(picture ? 0 : 1);
    }
    close(fds[1]);
    if (pid < 0) {
        close(fds[0]);
        return run;
    }
    long growth = -1;
    if (read(fds[0], &growth, sizeof growth) == ssize_t(sizeof growth))
        run.peakKiB = growth;
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.exited = WIFEXITED(status);
    run.code = run.exited ? WEXITSTATUS(status) : -1;
    return run;
}

constexpr long kMiB = 1024;

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
    huge[14] = char(1); // ...at one unit per inch
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

// A 54-byte BMP claiming 2147483647 x 2147483647 pixels (its row size times
// its height overflows 64 bits) and a 139-byte metafile whose header claims
// a largest record of 2.8 GB: both refused without reserving anything like it.
TEST_F(PictureLoaderTest, HostileHeadersAreRefusedWithoutAHugeAllocation)
{
    const QString small = path("small.bmp");
    ASSERT_TRUE(writePicture(small, QSize(8, 8)));
    for (const char* name : {"bmp-header-2147483647-square-named.png", "wmf-huge-max-record.wmf"}) {
        const QString hostile = hostilePicture(name);
        ASSERT_TRUE(QFileInfo(hostile).isFile()) << hostile.toStdString();
        for (const QSize& target : {QSize(), QSize(291, 170)}) {
            const ChildRun run = inChild([&] { return !QImage(small).isNull(); },
                                         [&] { return !loader.load(hostile, target).isNull(); });
            EXPECT_TRUE(run.exited) << name;
            EXPECT_EQ(run.code, 1) << name; // no picture
            ASSERT_GE(run.peakKiB, 0) << name;
            EXPECT_LT(run.peakKiB, 64 * kMiB) << name;
        }
        const ChildRun sized = inChild([&] { return !QImage(small).isNull(); },
                                       [&] { return loader.pictureSize(hostile).isValid(); });
        EXPECT_TRUE(sized.exited) << name;
        ASSERT_GE(sized.peakKiB, 0) << name;
        EXPECT_LT(sized.peakKiB, 64 * kMiB) << name;
    }
}

// A small file is read with a buffer its own size, not a fixed huge request;
// the picture still comes back whole.
TEST_F(PictureLoaderTest, ASmallPictureIsReadWithASmallBuffer)
{
    const QString warm = path("warm.bmp");
    ASSERT_TRUE(writePicture(warm, QSize(8, 8)));
    ASSERT_TRUE(writePicture(path("small.jpg"), QSize(40, 30)));
    for (const QString& p : {path("small.jpg"), written("small.wmf", smallMetafile(40, 30))}) {
        const ChildRun run =
            inChild([&] { return !QImage(warm).isNull(); },
                    [&] { return loader.load(p, QSize()).size() == QSize(40, 30); });
        EXPECT_TRUE(run.exited) << p.toStdString();
        EXPECT_EQ(run.code, 0) << p.toStdString();
        ASSERT_GE(run.peakKiB, 0) << p.toStdString();
        EXPECT_LT(run.peakKiB, 32 * kMiB) << p.toStdString();
    }
}

// The metafile header's largest record must fit in the bytes after the header
// and every declared object needs room for the record that makes it: the
// last value that fits is drawn, one more is refused.
TEST_F(PictureLoaderTest, MetafileCountsMustFitTheFile)
{
    const QByteArray whole = smallMetafile(20, 10);
    const int header = 22;
    const quint32 recordWords = quint32(whole.size() - header - 18) / 2;
    const auto withHeader = [&](quint32 maxRecord, quint16 objects) {
        QByteArray bytes = whole;
        for (int i = 0; i < 4; ++i)
            bytes[header + 12 + i] = char((maxRecord >> (8 * i)) & 0xFF);
        bytes[header + 10] = char(objects & 0xFF);
        bytes[header + 11] = char(objects >> 8);
        return written("counts.wmf", bytes);
    };
    EXPECT_EQ(loader.load(withHeader(recordWords, 1), QSize()).size(), QSize(20, 10));
    EXPECT_TRUE(loader.load(withHeader(recordWords + 1, 1), QSize()).isNull());
    EXPECT_FALSE(loader.pictureSize(withHeader(recordWords + 1, 1)).isValid());
    EXPECT_TRUE(loader.load(withHeader(0xFFFFFFFFu, 1), QSize()).isNull());
    EXPECT_TRUE(loader.load(withHeader(2, 1), QSize()).isNull()); // below the smallest record
    const quint16 mostObjects = quint16(recordWords / 3);
    EXPECT_EQ(loader.load(withHeader(7, mostObjects), QSize()).size(), QSize(20, 10));
    EXPECT_TRUE(loader.load(withHeader(7, mostObjects + 1), QSize()).isNull());
    EXPECT_TRUE(loader.load(withHeader(7, 0xFFFF), QSize()).isNull());
}

// The completeness check on BMP headers at the ends of their ranges: the
// largest sizes a header can state give no picture and no overflow.
TEST_F(PictureLoaderTest, BitmapHeaderSizesAtTheirLimitsGiveNoPicture)
{
    ASSERT_TRUE(writePicture(path("base.bmp"), QSize(4, 4)));
    QFile file(path("base.bmp"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray base = file.readAll();
    ASSERT_TRUE(pictureDataComplete(base, "bmp"));
    const quint16 ownBits = quint16(quint8(base[28]) | (quint8(base[29]) << 8));
    const auto withSize = [&](quint32 width, quint32 height, quint16 bits) {
        QByteArray bytes = base;
        for (int i = 0; i < 4; ++i) {
            bytes[18 + i] = char((width >> (8 * i)) & 0xFF);
            bytes[22 + i] = char((height >> (8 * i)) & 0xFF);
        }
        bytes[28] = char(bits & 0xFF);
        bytes[29] = char(bits >> 8);
        return bytes;
    };
    EXPECT_FALSE(pictureDataComplete(withSize(0x7FFFFFFF, 0x7FFFFFFF, 32), "bmp"));
    EXPECT_FALSE(pictureDataComplete(withSize(0x7FFFFFFF, 0x80000000, 0xFFFF), "bmp"));
    EXPECT_FALSE(pictureDataComplete(withSize(0x7FFFFFFF, 1, 0xFFFF), "bmp"));
    EXPECT_FALSE(pictureDataComplete(withSize(4, 0x80000001, 32), "bmp")); // -2^31+1: top-down
    EXPECT_FALSE(pictureDataComplete(withSize(4, 5, ownBits), "bmp"));     // one row too many
    EXPECT_TRUE(pictureDataComplete(withSize(4, 4, ownBits), "bmp"));
    EXPECT_TRUE(
        loader.load(written("huge.bmp", withSize(0x7FFFFFFF, 0x7FFFFFFF, 32)), QSize()).isNull());
}

// A GIF whose screen is 18759 x 4 but whose only frame claims 16 x 0: the
// header reading says 16 x 4 and the decoder gives 18759 x 4. The thumbnail
// lays a picture out by the first, so such a file is no picture.
TEST_F(PictureLoaderTest, APictureWhosePixelsContradictItsHeaderIsRefused)
{
    static const unsigned char bytes[] = {
        'G',  'I',  'F',  '8',  '9',  'a',  0x47, 0x49, 0x04, 0x00, 0xF1, 0x00, 0x00, 0xFF,
        0x00, 0x00, 0xAA, 0x00, 0x55, 0x55, 0x00, 0x56, 0xFF, 0xFE, 0xFF, 0x21, 0xF9, 0x04,
        0x00, 0x00, 0x3D, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x1F, 0xA9, 0xC2, 0x3D, 0x0F, 0x0B, 0x00, 0x3B};
    const QString gif =
        written("odd.gif", QByteArray(reinterpret_cast<const char*>(bytes), sizeof bytes));
    ASSERT_TRUE(loader.pictureSize(gif).isValid());
    const QImage own = loader.load(gif, QSize());
    EXPECT_TRUE(own.isNull());
}
