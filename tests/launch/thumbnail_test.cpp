#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

#include "launch/thumbnail.h"
#include "support/form_fixture.h"
#include "support/qt_printers.h"
#include "support/test_pictures.h"
#include "ui/look.h"
#include "ui/main/tab_area.h"
#include "ui/picture_browser.h"
#include "ui/twips.h"

namespace {

const QString kFailed = QStringLiteral("サムネイル画像がロード出来ませんでした。");
const QString kToolTip = QStringLiteral("１クリックで画像の拡張子連動起動!");

class ThumbnailTest : public FormFixture {
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        ASSERT_TRUE(pictures.isValid());
        makeForm();
        form->show();
        form->Text8->clear();
        // Start from another page, so bringing the thumbnail page forward shows.
        form->SSTab1->setCurrentIndex(0);
    }

    // A picture of the given size in pixels (15 twips each).
    QString picture(const QString& name, QSize size)
    {
        const QString path = pictures.filePath(name);
        EXPECT_TRUE(writePicture(path, size)) << name.toStdString();
        return path;
    }
    void show(const QString& path) { Module1::ShowThumbnail(*form, path); }
    QRect twipsOf(QWidget* widget) const { return form->SSTab1->placedTwips(widget); }
    QSize image1Picture() const { return form->Image1->pixmap().size(); }

    QTemporaryDir pictures;
};

} // namespace

// 290 x 169 pixels is 4350 x 2535 twips, the largest picture below the
// 4365 x 2550 area; one pixel more either way (4365 or 2550 twips) is large.
TEST_F(ThumbnailTest, APictureBelowTheAreaInBothDirectionsIsShownAtItsOwnSize)
{
    show(picture("small.bmp", QSize(290, 169)));
    EXPECT_EQ(form->SSTab1->currentIndex(), 1);
    EXPECT_TRUE(form->Picture2->isVisible());
    EXPECT_TRUE(form->WebBrowser1->isHidden());
    EXPECT_EQ(twipsOf(form->Picture2), QRect(60, 885, 4350, 2535));
    EXPECT_EQ(form->Picture2->size(), QSize(290, 169));
    EXPECT_EQ(form->Picture2->pixmap().size(), QSize(290, 169));
    EXPECT_TRUE(hasCustomPointer(form->Image1));
    EXPECT_TRUE(form->Text8->text().isEmpty());
}

TEST_F(ThumbnailTest, APictureReachingTheAreaInEitherDirectionIsLarge)
{
    // 4365 x 105 twips: wide enough alone; fitted to the area's height it
    // would be far wider than the area, so it is squeezed into it.
    show(picture("wide.bmp", QSize(291, 7)));
    EXPECT_TRUE(form->Picture2->isHidden());
    EXPECT_EQ(twipsOf(form->Image1), QRect(60, 885, 4365, 2550));
    EXPECT_EQ(image1Picture(), QSize(291, 170));
    EXPECT_EQ(form->Image1->toolTip(), kToolTip);
    EXPECT_TRUE(hasCustomPointer(form->Image1));

    // 4350 x 2550 twips: tall enough alone.
    show(picture("tall.jpg", QSize(290, 170)));
    EXPECT_TRUE(form->Picture2->isHidden());
    EXPECT_EQ(image1Picture().height(), 170);
}

TEST_F(ThumbnailTest, ALargePictureNarrowerThanTheAreaIsCentredAtFullHeight)
{
    // 3000 x 2550 twips: nw = 3000, so the left edge is 2242 - 1500.
    show(picture("photo.jpg", QSize(200, 170)));
    EXPECT_EQ(twipsOf(form->Image1), QRect(742, 885, 3000, 2550));
    EXPECT_EQ(widthTwips(form->Image1), 3000);
    EXPECT_EQ(form->Image1->height(), 170);
    EXPECT_EQ(image1Picture(), QSize(200, 170));

    // Twice the size in both directions: decoded at the shown size, not its own.
    show(picture("big.jpg", QSize(400, 680)));
    EXPECT_EQ(twipsOf(form->Image1), QRect(2242 - 750, 885, 1500, 2550));
    EXPECT_EQ(image1Picture(), QSize(100, 170));
}

TEST_F(ThumbnailTest, AWideLargePictureIsSqueezedIntoTheWholeArea)
{
    show(picture("panorama.bmp", QSize(900, 300)));
    EXPECT_EQ(twipsOf(form->Image1), QRect(60, 885, 4365, 2550));
    EXPECT_EQ(image1Picture(), QSize(291, 170));
}

TEST_F(ThumbnailTest, ASmallPictureAfterALargeOneLeavesTheLargeOneBeneath)
{
    show(picture("photo.jpg", QSize(200, 170)));
    show(picture("small.bmp", QSize(40, 30)));
    EXPECT_TRUE(form->Picture2->isVisible());
    EXPECT_EQ(image1Picture(), QSize(200, 170));
    EXPECT_EQ(form->Image1->toolTip(), kToolTip);
    EXPECT_EQ(twipsOf(form->Image1).left(), 742);
}

TEST_F(ThumbnailTest, MetafilesAreShownLikeOtherPictures)
{
    const QString path = pictures.filePath("drawing.wmf");
    ASSERT_TRUE(writeBytes(path, smallMetafile(80, 40)));
    show(path);
    EXPECT_TRUE(form->Picture2->isVisible());
    EXPECT_EQ(form->Picture2->pixmap().size(), QSize(80, 40));
}

TEST_F(ThumbnailTest, PngInAnyLetterCaseGoesToTheBrowserViewAtItsOwnSize)
{
    show(picture("photo.jpg", QSize(200, 170)));
    for (const char* name : {"a.png", "B.PNG", "c.PnG"}) {
        const QString path = picture(name, QSize(500, 400));
        show(path);
        EXPECT_TRUE(form->WebBrowser1->isVisible()) << name;
        EXPECT_TRUE(form->Picture2->isHidden()) << name;
        EXPECT_EQ(form->WebBrowser1->location(), path);
        EXPECT_EQ(form->WebBrowser1->pictureSize(), QSize(500, 400));
        EXPECT_EQ(twipsOf(form->WebBrowser1), QRect(60, 885, 4365, 2550));
        // Image1 lies untouched beneath.
        EXPECT_EQ(image1Picture(), QSize(200, 170));
        EXPECT_EQ(twipsOf(form->Image1).left(), 742);
    }
    EXPECT_TRUE(form->Text8->text().isEmpty());
    // Only the last three letters count: a JPEG named ".png.jpg" is no PNG.
    show(picture("x.png.jpg", QSize(30, 20)));
    EXPECT_TRUE(form->WebBrowser1->isHidden());
    EXPECT_TRUE(form->Picture2->isVisible());
}

TEST_F(ThumbnailTest, UnreadablePicturesEmptyTheViewsAndSaySo)
{
    QByteArray cut;
    {
        const QString whole = picture("whole.jpg", QSize(300, 200));
        QFile file(whole);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        cut = file.readAll();
        cut.chop(cut.size() / 3);
    }
    const QString truncated = pictures.filePath("truncated.jpg");
    ASSERT_TRUE(writeBytes(truncated, cut));
    const QString text = pictures.filePath("notes.bmp");
    ASSERT_TRUE(writeBytes(text, "not a picture at all"));

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
    // A PNG that cannot be read is reported too, not shown as a blank page.
    form->Text8->clear();
    show(pictures.filePath("missing.png"));
    EXPECT_EQ(form->Text8->text(), kFailed);
    EXPECT_TRUE(form->WebBrowser1->pictureSize().isEmpty());
}

TEST_F(ThumbnailTest, SwitchedOffOrBlankReadsNoFileAndEmptiesThePictures)
{
    show(picture("photo.jpg", QSize(200, 170)));
    show(picture("small.bmp", QSize(20, 20)));
    const QString png = picture("p.png", QSize(10, 10));
    form->SSTab1->setCurrentIndex(3);
    fakes.pictures.read.clear();

    form->Check1->setChecked(false);
    for (const QString& path : {picture("other.jpg", QSize(30, 30)), png}) {
        show(path);
        EXPECT_TRUE(form->Picture2->isHidden());
        EXPECT_TRUE(form->WebBrowser1->isHidden());
        EXPECT_TRUE(form->Image1->pixmap().isNull());
        EXPECT_TRUE(form->Picture2->pixmap().isNull());
    }
    form->Check1->setChecked(true);
    for (const QString& path : {QString(), QStringLiteral(" ")})
        show(path);

    EXPECT_TRUE(fakes.pictures.read.isEmpty());
    EXPECT_EQ(form->SSTab1->currentIndex(), 3);
    EXPECT_TRUE(form->Text8->text().isEmpty());
    // The pointer and tip of the last large picture stay.
    EXPECT_EQ(form->Image1->toolTip(), kToolTip);
}
