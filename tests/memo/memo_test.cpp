#include <utility>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>

#include "memo/memo_files.h"
#include "support/form_fixture.h"

namespace
{

const QString kNewMemo = QStringLiteral("新規作成です。");
const QString kSaveFailed = QStringLiteral("手書きメモ・ファイルの保存でエラーが発生しました。");

QImage filled(const QSize& size, const QColor& color)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(color);
    return picture;
}

QImage scribbled(const QSize& size, const QColor& ink)
{
    QImage picture = filled(size, Qt::white);
    QPainter painter(&picture);
    painter.setPen(QPen(ink, 5));
    painter.drawLine(10, 10, size.width() - 10, size.height() - 10);
    return picture;
}

bool samePicture(const QImage& a, const QImage& b)
{
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class MemoTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        ASSERT_TRUE(QDir(folder.path()).mkdir("手書きメモ"));
        ASSERT_TRUE(
            QFile::copy(QStringLiteral(QUILMO_ASSETS_DIR "/手書きメモ/quilmo.ole"), defaultMemo()));
        makeForm();
    }

    QString memoDir() const { return folder.filePath("手書きメモ"); }
    QString defaultMemo() const { return folder.filePath("手書きメモ/quilmo.ole"); }
    QString memoOf(const QString& title) const { return memoDir() + "/" + title + ".ole"; }
    QStringList memoFiles() const { return QDir(memoDir()).entryList(QDir::Files | QDir::Hidden); }
    QStringList programFiles() const
    {
        return QDir(folder.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QImage shown() const { return form->OLE2->pixmap().toImage(); }

    void paintOpen(const QString& title)
    {
        form->Text2->setText(title);
        form->Command38->click();
    }
    void save(const QString& title)
    {
        form->Text2->setText(title);
        form->Command39->click();
    }
};

TEST(ShippedMemo, IsABlankPictureShapedLikeTheMemoArea)
{
    const QImage blank = memo::readMemo(QStringLiteral(QUILMO_ASSETS_DIR "/手書きメモ/quilmo.ole"));
    ASSERT_FALSE(blank.isNull());
    EXPECT_NEAR(double(blank.width()) / blank.height(), 4320.0 / 2505.0, 0.01);
    EXPECT_TRUE(samePicture(blank, filled(blank.size(), Qt::white)));
}

TEST_F(MemoTest, EmptyTitleIsAskedForByBothButtons)
{
    form->Command38->click();
    form->Command39->click();
    ASSERT_EQ(fakes.dialogs.shown.size(), 2u);
    for (const auto& box : fakes.dialogs.shown) {
        EXPECT_EQ(box.text, "タイトルを入力してください。");
        EXPECT_FALSE(box.question);
    }
    EXPECT_EQ(fakes.paint.opened, 0);
    EXPECT_EQ(memoFiles(), QStringList{"quilmo.ole"});
}

TEST_F(MemoTest, TitleWithoutMemoStartsFromTheDefaultEveryTimeAndLeavesNoFile)
{
    const QImage blank = memo::readMemo(defaultMemo());
    for (int round = 0; round < 2; ++round) {
        form->Text8->clear();
        paintOpen("本棚");
        EXPECT_EQ(form->Text8->text(), kNewMemo);
        EXPECT_EQ(fakes.paint.opened, round + 1);
        EXPECT_TRUE(samePicture(fakes.paint.picture, blank));
        EXPECT_TRUE(samePicture(shown(), blank));
        EXPECT_TRUE(fakes.paint.caption.contains("本棚"));
    }
    EXPECT_EQ(memoFiles(), QStringList{"quilmo.ole"});
}

TEST_F(MemoTest, StrokesShowAtOnceAndSavedMemoComesBackWithoutTheNewMessage)
{
    paintOpen("本棚");
    const QImage drawn = scribbled(fakes.paint.picture.size(), Qt::red);
    fakes.paint.draw(drawn);
    EXPECT_TRUE(samePicture(shown(), drawn));

    form->Text8->clear();
    form->Command39->click();
    EXPECT_TRUE(form->Text8->text().isEmpty());
    EXPECT_TRUE(samePicture(memo::readMemo(memoOf("本棚")), drawn));

    // Something else in the memo area, then the title's memo again.
    paintOpen("別の本");
    form->Text8->clear();
    paintOpen("本棚");
    EXPECT_TRUE(form->Text8->text().isEmpty());
    EXPECT_TRUE(samePicture(fakes.paint.picture, drawn));
    EXPECT_TRUE(samePicture(shown(), drawn));
}

TEST_F(MemoTest, SaveWritesWhatTheMemoAreaShowsUnderTheTitleNowTyped)
{
    paintOpen("A");
    const QImage drawn = scribbled(fakes.paint.picture.size(), Qt::blue);
    fakes.paint.draw(drawn);
    save("A");
    // Selecting another title does not reload the memo area.
    save("B");
    EXPECT_TRUE(samePicture(memo::readMemo(memoOf("B")), drawn));
    EXPECT_EQ(fileBytes(memoOf("A")), fileBytes(memoOf("B")));
}

TEST_F(MemoTest, OneSpaceTitleIsAFileNameLikeAnyOther)
{
    paintOpen(" ");
    EXPECT_EQ(form->Text8->text(), kNewMemo);
    const QImage drawn = scribbled(fakes.paint.picture.size(), Qt::black);
    fakes.paint.draw(drawn);
    form->Command39->click();
    EXPECT_TRUE(QFile::exists(memoDir() + "/ .ole"));
    form->Text8->clear();
    paintOpen(" ");
    EXPECT_TRUE(form->Text8->text().isEmpty());
    EXPECT_TRUE(samePicture(fakes.paint.picture, drawn));
}

TEST_F(MemoTest, TitlesThatAreNoFileNameNeverReachOutsideTheMemoFolder)
{
    // A memo that a title like "../QUILMO" would otherwise read back.
    ASSERT_TRUE(QFile::copy(defaultMemo(), folder.filePath("QUILMO.ole")));
    const QStringList before = programFiles();
    const QStringList memosBefore = memoFiles();
    const QString unsafe[] = {"../QUILMO", "a/b", "./x", QString("x") + QChar(u'\0') + "y",
                              "/tmp/quilmo-memo"};
    for (const QString& title : unsafe) {
        SCOPED_TRACE(title.toStdString());
        form->Text8->clear();
        paintOpen(title);
        EXPECT_EQ(form->Text8->text(), kNewMemo);
        EXPECT_TRUE(samePicture(fakes.paint.picture, memo::readMemo(defaultMemo())));
        fakes.paint.draw(scribbled(fakes.paint.picture.size(), Qt::red));
        form->Text8->clear();
        form->Command39->click();
        EXPECT_EQ(form->Text8->text(), kSaveFailed);
    }
    EXPECT_EQ(programFiles(), before);
    EXPECT_EQ(memoFiles(), memosBefore);
    EXPECT_FALSE(QFile::exists("/tmp/quilmo-memo.ole"));
}

TEST_F(MemoTest, DotTitlesKeepTheirMemosInsideTheMemoFolder)
{
    const QStringList outside = programFiles();
    // Each title gets its own picture, so a mix-up between them shows.
    const std::pair<QString, QColor> titles[] = {
        {".", Qt::red}, {"..", Qt::green}, {"...", Qt::blue}};
    for (const auto& [title, ink] : titles) {
        SCOPED_TRACE(title.toStdString());
        paintOpen(title);
        EXPECT_EQ(form->Text8->text(), kNewMemo);
        fakes.paint.draw(scribbled(fakes.paint.picture.size(), ink));
        form->Text8->clear();
        form->Command39->click();
        EXPECT_TRUE(form->Text8->text().isEmpty());
    }
    EXPECT_EQ(programFiles(), outside);
    QStringList memos = memoFiles();
    memos.sort();
    EXPECT_EQ(memos, (QStringList{"....ole", "...ole", "..ole", "quilmo.ole"}));

    for (const auto& [title, ink] : titles) {
        SCOPED_TRACE(title.toStdString());
        form->Text8->clear();
        paintOpen(title);
        EXPECT_TRUE(form->Text8->text().isEmpty());
        EXPECT_TRUE(samePicture(fakes.paint.picture, scribbled(fakes.paint.picture.size(), ink)));
        EXPECT_TRUE(samePicture(memo::readMemo(memoOf(title)), fakes.paint.picture));
    }
}

TEST_F(MemoTest, ShorterPictureReplacesALongerOneWhole)
{
    // Noise compresses badly, so its file is far longer than a blank page's.
    QImage noisy(800, 600, QImage::Format_RGB32);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < noisy.height(); ++y)
        for (int x = 0; x < noisy.width(); ++x)
            noisy.setPixel(x, y, random->generate() | 0xff000000u);
    paintOpen("本棚");
    fakes.paint.draw(noisy);
    form->Command39->click();
    const qint64 longer = QFile(memoOf("本棚")).size();

    const QImage small = filled(QSize(40, 20), Qt::white);
    fakes.paint.draw(small);
    form->Command39->click();
    const QByteArray bytes = fileBytes(memoOf("本棚"));
    EXPECT_LT(bytes.size(), longer);
    QImage reread;
    ASSERT_TRUE(reread.loadFromData(bytes, "PNG"));
    EXPECT_EQ(reread.size(), QSize(40, 20));
    // Nothing after the picture's own end.
    EXPECT_TRUE(bytes.endsWith(QByteArray("IEND\xae\x42\x60\x82", 8)));
    EXPECT_EQ(memoFiles(), (QStringList{"quilmo.ole", "本棚.ole"}));
}

TEST_F(MemoTest, UnreadableMemoFallsBackToTheDefault)
{
    QFile broken(memoOf("本棚"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    paintOpen("本棚");
    EXPECT_EQ(form->Text8->text(), kNewMemo);
    EXPECT_TRUE(samePicture(fakes.paint.picture, memo::readMemo(defaultMemo())));
    EXPECT_EQ(fileBytes(memoOf("本棚")), QByteArray("not a picture"));
}

TEST_F(MemoTest, MissingDefaultMemoStartsOnABlankPage)
{
    ASSERT_TRUE(QFile::remove(defaultMemo()));
    paintOpen("本棚");
    EXPECT_EQ(form->Text8->text(), kNewMemo);
    ASSERT_EQ(fakes.paint.opened, 1);
    const QImage& page = fakes.paint.picture;
    ASSERT_FALSE(page.isNull());
    EXPECT_TRUE(samePicture(page, filled(page.size(), Qt::white)));
    EXPECT_TRUE(memoFiles().isEmpty());
}

TEST_F(MemoTest, SavingWithoutTheMemoFolderFailsAndCreatesNothing)
{
    ASSERT_TRUE(QDir(memoDir()).removeRecursively());
    const QStringList before = programFiles();
    save("本棚");
    EXPECT_EQ(form->Text8->text(), kSaveFailed);
    EXPECT_EQ(programFiles(), before);
}

TEST_F(MemoTest, SaveBeforeAnyEditingStoresABlankPage)
{
    form->Text8->clear();
    save("本棚");
    EXPECT_TRUE(form->Text8->text().isEmpty());
    const QImage stored = memo::readMemo(memoOf("本棚"));
    ASSERT_FALSE(stored.isNull());
    EXPECT_TRUE(samePicture(stored, filled(stored.size(), Qt::white)));
}

} // namespace
