#include <csignal>
#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRandomGenerator>

#include "memo/memo_files.h"
#include "support/form_fixture.h"

namespace
{

const QString kSaveFailed = QStringLiteral("手書きメモ・ファイルの保存でエラーが発生しました。");

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray pngOf(const QImage& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

// Noise compresses badly: its PNG is far larger than the picture of a blank
// page, so it can be made to overrun a file-size limit the small one fits in.
QImage noise(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, random->generate() | 0xff000000u);
    return picture;
}

bool samePicture(const QImage& a, const QImage& b)
{
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

QImage blank(const QColor& color = Qt::white)
{
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(color);
    return picture;
}

// Runs body in a child process whose files may grow to at most limit bytes,
// as on a disk with that much room left, and returns what body returned
// there. The child ignores SIGXFSZ, so an overlong write fails with EFBIG
// instead of ending it.
int underFileSizeLimit(rlim_t limit, const std::function<bool()>& body)
{
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lowered{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &lowered) != 0)
            _exit(3);
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

class MemoSaveTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        makeMemoFolder();
        makeForm();
    }

    // The memo folder as a plain folder; the linked-folder case makes its own.
    virtual void makeMemoFolder() { ASSERT_TRUE(QDir(folder.path()).mkdir("手書きメモ")); }

    QString memoDir() const { return folder.filePath("手書きメモ"); }
    QString memoOf(const QString& title) const { return memoDir() + "/" + title + ".ole"; }
    QStringList memoEntries() const
    {
        return QDir(memoDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                         QDir::NoDotAndDotDot);
    }
    QStringList programEntries() const
    {
        return QDir(folder.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    // Puts picture into the memo area, as the editor would have.
    void show(const QImage& picture) { form->OLE2->setPixmap(QPixmap::fromImage(picture)); }
    QString saveThroughWindow(const QString& title)
    {
        form->Text8->clear();
        form->Text2->setText(title);
        form->Command39->click();
        return form->Text8->text();
    }
};

TEST_F(MemoSaveTest, FullDiskKeepsTheOldMemoByteForByteAndReportsTheFailure)
{
    ASSERT_TRUE(memo::writeMemo(memoOf("本棚"), blank(Qt::yellow)));
    const QByteArray old = fileBytes(memoOf("本棚"));
    // A new memo small enough to sit in a write buffer until the file is
    // closed, and one far larger than any buffer.
    for (const QImage& larger : {noise(48, 32), noise(200, 200)}) {
        const qsizetype newSize = pngOf(larger).size();
        SCOPED_TRACE(newSize);
        // Room for the old memo, not for the new one: the write fails midway.
        const rlim_t limit = rlim_t(newSize / 2);
        ASSERT_GT(limit, rlim_t(old.size()));

        EXPECT_EQ(
            underFileSizeLimit(limit, [&] { return memo::writeMemo(memoOf("本棚"), larger); }), 1);
        EXPECT_EQ(fileBytes(memoOf("本棚")), old);
        EXPECT_EQ(memoEntries(), QStringList{"本棚.ole"});

        // The same through the save button: the failure message, the old
        // memo untouched.
        show(larger);
        EXPECT_EQ(
            underFileSizeLimit(limit, [&] { return saveThroughWindow("本棚") == kSaveFailed; }), 0);
        EXPECT_EQ(fileBytes(memoOf("本棚")), old);
        EXPECT_EQ(memoEntries(), QStringList{"本棚.ole"});

        // A new memo that does not fit leaves no file at all.
        EXPECT_EQ(
            underFileSizeLimit(limit, [&] { return memo::writeMemo(memoOf("新しい"), larger); }),
            1);
        EXPECT_EQ(memoEntries(), QStringList{"本棚.ole"});
    }

    // With room enough the same save goes through, so the limit was the cause.
    const QImage larger = noise(200, 200);
    show(larger);
    EXPECT_EQ(underFileSizeLimit(rlim_t(pngOf(larger).size()) + 4096,
                                 [&] { return saveThroughWindow("本棚").isEmpty(); }),
              0);
    EXPECT_TRUE(samePicture(memo::readMemo(memoOf("本棚")), larger));
}

TEST_F(MemoSaveTest, LinkedMemoIsRefusedAndItsTargetLeftAlone)
{
    const QString outside = folder.filePath("outside.txt");
    ASSERT_TRUE(writeBytes(outside, "somebody else's file"));
    ASSERT_TRUE(QFile::link(outside, memoOf("本棚")));
    // A link to another memo in the same folder is refused as well.
    ASSERT_TRUE(memo::writeMemo(memoOf("別"), blank(Qt::green)));
    const QByteArray otherMemo = fileBytes(memoOf("別"));
    ASSERT_TRUE(QFile::link(memoOf("別"), memoOf("別名")));

    show(blank(Qt::red));
    EXPECT_FALSE(memo::writeMemo(memoOf("本棚"), blank(Qt::red)));
    EXPECT_EQ(saveThroughWindow("本棚"), kSaveFailed);
    EXPECT_EQ(saveThroughWindow("別名"), kSaveFailed);

    EXPECT_EQ(fileBytes(outside), "somebody else's file");
    EXPECT_EQ(fileBytes(memoOf("別")), otherMemo);
    EXPECT_EQ(QFileInfo(memoOf("本棚")).symLinkTarget(), outside);
    EXPECT_EQ(QFileInfo(memoOf("別名")).symLinkTarget(), memoOf("別"));
    EXPECT_EQ(memoEntries(), (QStringList{"別.ole", "別名.ole", "本棚.ole"}));
}

TEST_F(MemoSaveTest, DanglingLinkCreatesNothingAnywhere)
{
    const QString planted = folder.filePath("planted.ole");
    ASSERT_TRUE(QFile::link(planted, memoOf("本棚")));
    const QStringList before = programEntries();

    show(blank(Qt::red));
    EXPECT_FALSE(memo::writeMemo(memoOf("本棚"), blank(Qt::red)));
    EXPECT_EQ(saveThroughWindow("本棚"), kSaveFailed);

    EXPECT_FALSE(QFileInfo::exists(planted));
    EXPECT_EQ(programEntries(), before);
    EXPECT_EQ(memoEntries(), QStringList{"本棚.ole"});
    EXPECT_TRUE(QFileInfo(memoOf("本棚")).isSymLink());
}

TEST_F(MemoSaveTest, MemoNameTakenByAFolderIsRefusedAndKept)
{
    ASSERT_TRUE(QDir(memoDir()).mkdir("本棚.ole"));
    ASSERT_TRUE(writeBytes(memoOf("本棚") + "/inside", "kept"));
    show(blank(Qt::red));
    EXPECT_EQ(saveThroughWindow("本棚"), kSaveFailed);
    EXPECT_EQ(fileBytes(memoOf("本棚") + "/inside"), "kept");
    EXPECT_EQ(memoEntries(), QStringList{"本棚.ole"});
}

TEST_F(MemoSaveTest, ReplacedMemoKeepsItsPermissions)
{
    ASSERT_TRUE(memo::writeMemo(memoOf("本棚"), blank(Qt::yellow)));
    ASSERT_EQ(chmod(QFile::encodeName(memoOf("本棚")).constData(), 0640), 0);
    show(blank(Qt::red));
    EXPECT_TRUE(saveThroughWindow("本棚").isEmpty());
    struct stat after {
    };
    ASSERT_EQ(stat(QFile::encodeName(memoOf("本棚")).constData(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_TRUE(samePicture(memo::readMemo(memoOf("本棚")), blank(Qt::red)));
}

// The user may keep the memos elsewhere and link the memo folder to them.
class LinkedMemoFolderTest : public MemoSaveTest
{
protected:
    void makeMemoFolder() override
    {
        ASSERT_TRUE(QDir(folder.path()).mkdir("elsewhere"));
        ASSERT_TRUE(QFile::link(folder.filePath("elsewhere"), memoDir()));
    }
};

TEST_F(LinkedMemoFolderTest, SavesIntoTheLinkedFolder)
{
    show(blank(Qt::red));
    EXPECT_TRUE(saveThroughWindow("本棚").isEmpty());
    EXPECT_TRUE(samePicture(memo::readMemo(folder.filePath("elsewhere/本棚.ole")), blank(Qt::red)));

    show(blank(Qt::blue));
    EXPECT_TRUE(saveThroughWindow("本棚").isEmpty());
    EXPECT_TRUE(
        samePicture(memo::readMemo(folder.filePath("elsewhere/本棚.ole")), blank(Qt::blue)));
    EXPECT_EQ(QDir(folder.filePath("elsewhere")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"本棚.ole"});
    EXPECT_TRUE(QFileInfo(memoDir()).isSymLink());
}

} // namespace
