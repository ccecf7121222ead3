#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>

#include "launch/thumbnail.h"
#include "support/form_fixture.h"
#include "support/test_pictures.h"
#include "ui/look.h"
#include "ui/main/tab_area.h"
#include "ui/picture_browser.h"
#include "ui/twips.h"

namespace
{

const QString kFailed = QStringLiteral("サムネイル画像がロード出来ませんでした。");
const QString kToolTip = QStringLiteral("１クリックで画像の拡張子連動起動!");

// Picture sizes are in pixels, 15 twips each: 290 x 169 pixels is 4350 x
// 2535 twips, the largest picture below the 4365 x 2550 thumbnail area.
class ThumbnailTest : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        ASSERT_TRUE(pictures.isValid());
        makeForm();
        form->show();
        form->Text8->clear();
        form->SSTab1->setCurrentIndex(0);
    }
    QString picture(const QString& name, QSize size)
    {
        EXPECT_TRUE(writePicture(pictures.filePath(name), size)) << name.toStdString();
        return pictures.filePath(name);
    }
    void show(const QString& path) { Module1::ShowThumbnail(*form, path); }
    QRect placed(QWidget* widget) const { return form->SSTab1->placedTwips(widget); }
    QSize image1() const { return form->Image1->pixmap().size(); }

    QTemporaryDir pictures;
};

} // namespace

TEST_F(ThumbnailTest, SmallPicturesShowAtTheirOwnSizeOverTheLargeOneBeneath)
{
    show(picture("photo.jpg", QSize(200, 170)));
    show(picture("small.bmp", QSize(290, 169)));
    EXPECT_EQ(form->SSTab1->currentIndex(), 1);
    EXPECT_TRUE(form->Picture2->isVisible());
    EXPECT_EQ(placed(form->Picture2), QRect(60, 885, 4350, 2535));
    EXPECT_EQ(form->Picture2->pixmap().size(), QSize(290, 169));
    EXPECT_TRUE(hasCustomPointer(form->Image1));
    // Image1 keeps the large picture, its tip and its place.
    EXPECT_EQ(image1(), QSize(200, 170));
    EXPECT_EQ(form->Image1->toolTip(), kToolTip);
    EXPECT_EQ(placed(form->Image1).left(), 742);

    const QString wmf = pictures.filePath("drawing.wmf");
    ASSERT_TRUE(writeBytes(wmf, smallMetafile(80, 40)));
    show(wmf);
    EXPECT_EQ(form->Picture2->pixmap().size(), QSize(80, 40));
    EXPECT_TRUE(form->Text8->text().isEmpty());
}

TEST_F(ThumbnailTest, LargePicturesFillTheAreaHeightCentredOrSqueezed)
{
    // 3000 x 2550 twips: nw = 3000, so the left edge is 2242 - 1500.
    show(picture("photo.jpg", QSize(200, 170)));
    EXPECT_TRUE(form->Picture2->isHidden());
    EXPECT_EQ(placed(form->Image1), QRect(742, 885, 3000, 2550));
    EXPECT_EQ(widthTwips(form->Image1), 3000);
    EXPECT_EQ(image1(), QSize(200, 170));
    EXPECT_EQ(form->Image1->toolTip(), kToolTip);
    EXPECT_TRUE(hasCustomPointer(form->Image1));

    // Twice the height of the area: decoded at the size shown, not its own.
    show(picture("tall.jpg", QSize(400, 680)));
    EXPECT_EQ(placed(form->Image1), QRect(1492, 885, 1500, 2550));
    EXPECT_EQ(image1(), QSize(100, 170));

    // 4365 x 105 twips is large by its width alone; fitted to the height it
    // would be far wider than the area, so it is squeezed into the whole area.
    for (QSize size : {QSize(291, 7), QSize(900, 300)}) {
        show(picture("wide.bmp", size));
        EXPECT_EQ(placed(form->Image1), QRect(60, 885, 4365, 2550));
        EXPECT_EQ(image1(), QSize(291, 170));
    }
    // 4350 x 2550 twips is large by its height alone.
    show(picture("tall.bmp", QSize(290, 170)));
    EXPECT_TRUE(form->Picture2->isHidden());
    EXPECT_EQ(image1().height(), 170);
}

TEST_F(ThumbnailTest, PngInAnyLetterCaseGoesToTheBrowserViewAtItsOwnSize)
{
    show(picture("photo.jpg", QSize(200, 170)));
    for (const char* name : {"a.png", "B.PNG", "c.PnG"}) {
        const QString path = picture(name, QSize(500, 400));
        show(path);
        EXPECT_TRUE(form->WebBrowser1->isVisible()) << name;
        EXPECT_TRUE(form->Picture2->isHidden());
        EXPECT_EQ(form->WebBrowser1->location(), path);
        EXPECT_EQ(form->WebBrowser1->pictureSize(), QSize(500, 400));
        EXPECT_EQ(placed(form->WebBrowser1), QRect(60, 885, 4365, 2550));
        EXPECT_EQ(image1(), QSize(200, 170)); // untouched beneath
    }
    EXPECT_TRUE(form->Text8->text().isEmpty());
    // Only the last three letters count.
    show(picture("x.png.jpg", QSize(30, 20)));
    EXPECT_TRUE(form->WebBrowser1->isHidden());
    EXPECT_TRUE(form->Picture2->isVisible());
}

// A picture that takes long to decode is decoded off the window's thread: the
// show returns at once with the views empty, and the picture appears, or the
// load-failure message for one over the budget of a picture, once decoded.
TEST_F(ThumbnailTest, LargePicturesAreDecodedAsideAndShownWhenReady)
{
    const QString overBudget = pictures.filePath("deep.png");
    ASSERT_TRUE(writeBytes(overBudget, claimedPng(16384, 16384, 16, 6)));
    const QSize none(0, 0);
    const struct {
        QString path;
        QSize page;  // the picture in the browser view, when it shows one
        QSize image; // Image1's
        QString status;
    } cases[] = {
        {picture("big.png", QSize(2100, 2100)), QSize(2100, 2100), none, QString()},
        {picture("big.bmp", QSize(4200, 2100)), none, QSize(291, 170), QString()},
        {overBudget, none, none, kFailed},
    };
    const auto page = [&] {
        const QSize size = form->WebBrowser1->pictureSize();
        return form->WebBrowser1->isVisible() && !size.isEmpty() ? size : QSize(0, 0);
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.path.toStdString());
        show(picture("photo.jpg", QSize(200, 170)));
        form->Text8->clear();
        show(row.path);
        EXPECT_TRUE(form->WebBrowser1->isHidden());
        EXPECT_EQ(image1(), none);
        EXPECT_TRUE(form->Text8->text().isEmpty());
        // Waits on the event loop, which brings the finished decode back.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return page() == row.page && image1() == row.image &&
                       form->Text8->text() == row.status;
            },
            30000));
        EXPECT_EQ(page(), row.page);
        EXPECT_EQ(image1(), row.image);
        EXPECT_EQ(form->Text8->text(), row.status);
    }
}

TEST_F(ThumbnailTest, UnreadablePicturesEmptyTheViewsAndSaySo)
{
    QFile whole(picture("whole.jpg", QSize(300, 200)));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QString truncated = pictures.filePath("truncated.jpg");
    ASSERT_TRUE(writeBytes(truncated, whole.readAll().left(whole.size() / 2)));
    const QString text = pictures.filePath("notes.bmp");
    ASSERT_TRUE(writeBytes(text, "not a picture at all"));

    // Two spaces are not blank: they go to the loader, which fails.
    for (const QString& path : {QStringLiteral("  "), pictures.filePath("missing.bmp"), truncated,
                                text, pictures.path()}) {
        show(picture("photo.jpg", QSize(200, 170)));
        form->Text8->clear();
        show(path);
        EXPECT_EQ(form->Text8->text(), kFailed) << path.toStdString();
        EXPECT_TRUE(form->Image1->pixmap().isNull());
        EXPECT_TRUE(form->Picture2->pixmap().isNull());
        EXPECT_TRUE(form->Picture2->isHidden());
        EXPECT_TRUE(form->Image1->toolTip().isEmpty());
        EXPECT_FALSE(hasCustomPointer(form->Image1));
    }
    // An unreadable PNG is reported too, not shown as a blank page.
    form->Text8->clear();
    show(pictures.filePath("missing.png"));
    EXPECT_EQ(form->Text8->text(), kFailed);
    EXPECT_TRUE(form->WebBrowser1->pictureSize().isEmpty());
}

TEST_F(ThumbnailTest, SwitchedOffOrBlankReadsNoFileAndEmptiesThePictures)
{
    show(picture("photo.jpg", QSize(200, 170)));
    show(picture("small.bmp", QSize(20, 20)));
    const QStringList paths{picture("other.jpg", QSize(30, 30)), picture("p.png", QSize(10, 10))};
    form->SSTab1->setCurrentIndex(3);
    fakes.pictures.read.clear();

    // The switch's own handler is left out: only what the display reads counts.
    const QSignalBlocker quiet(form->Check1);
    form->Check1->setChecked(false);
    for (const QString& path : paths) {
        show(path);
        EXPECT_TRUE(form->Picture2->isHidden());
        EXPECT_TRUE(form->WebBrowser1->isHidden());
        EXPECT_TRUE(form->Image1->pixmap().isNull());
        EXPECT_TRUE(form->Picture2->pixmap().isNull());
    }
    form->Check1->setChecked(true);
    show(QString());
    show(QStringLiteral(" "));

    EXPECT_TRUE(fakes.pictures.read.isEmpty());
    EXPECT_EQ(form->SSTab1->currentIndex(), 3);
    EXPECT_TRUE(form->Text8->text().isEmpty());
    EXPECT_EQ(form->Image1->toolTip(), kToolTip); // tip and pointer stay
}
