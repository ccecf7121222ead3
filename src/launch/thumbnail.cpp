#include "launch/thumbnail.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

#include "launch/link_icon.h"
#include "platform/picture.h"
#include "store/field_text.h"
#include "ui/look.h"
#include "ui/main/form1.h"
#include "ui/main/tab_area.h"
#include "ui/picture_browser.h"
#include "ui/twips.h"

namespace {

// The thumbnail area on the thumbnail page, in twips: Image1's own design
// rectangle.
constexpr int kAreaLeft = 60;
constexpr int kAreaTop = 885;
constexpr int kAreaWidth = 4365;
constexpr int kAreaHeight = 2550;
constexpr int kThumbnailPage = 1;

const char* const kLoadFailed = "サムネイル画像がロード出来ませんでした。";
const char* const kImageToolTip = "１クリックで画像の拡張子連動起動!";

void emptyPictures(Form1& form)
{
    form.Picture2->setPixmap(QPixmap());
    form.Image1->setPixmap(QPixmap());
}

void reportFailure(Form1& form)
{
    form.Text8->setText(QString::fromUtf8(kLoadFailed));
    emptyPictures(form);
    form.Image1->setToolTip(QString());
    setPointerDefault(form.Image1);
}

bool isPng(const QString& path)
{
    return path.right(3).toLower() == QLatin1String("png");
}

} // namespace

namespace Module1 {

void ShowThumbnail(Form1& form, const QString& path)
{
    form.WebBrowser1->hide();
    form.Picture2->hide();
    if (form.Check1->checkState() == Qt::Unchecked || isBlankField(path)) {
        emptyPictures(form);
        return;
    }

    form.SSTab1->setCurrentIndex(kThumbnailPage);
    PictureLoader* loader = form.services().pictures;

    if (isPng(path)) {
        form.SSTab1->place(form.WebBrowser1, kAreaLeft, kAreaTop, kAreaWidth, kAreaHeight);
        form.WebBrowser1->show();
        const QImage picture = loader ? loader->load(path, QSize()) : QImage();
        form.WebBrowser1->navigate(path, picture);
        // An empty view alone would pass for a blank picture; say what went
        // wrong, as for every other kind.
        if (picture.isNull())
            form.Text8->setText(QString::fromUtf8(kLoadFailed));
        return;
    }

    // The size comes from the picture's header, so a large picture is only
    // ever decoded at the size it is shown at.
    const QSize own = loader ? loader->pictureSize(path) : QSize();
    if (!own.isValid() || own.isEmpty()) {
        reportFailure(form);
        return;
    }
    const qint64 width = qint64(own.width()) * kTwipsPerPixel;
    const qint64 height = qint64(own.height()) * kTwipsPerPixel;

    if (width < kAreaWidth && height < kAreaHeight) {
        const QImage picture = loader->load(path, QSize());
        if (picture.isNull()) {
            reportFailure(form);
            return;
        }
        form.Picture2->setPixmap(QPixmap::fromImage(picture));
        form.SSTab1->place(form.Picture2, kAreaLeft, kAreaTop, int(width), int(height));
        form.Picture2->show();
        setPointerCustom(form.Image1);
        return;
    }

    // Large: fit the height to the area and keep the proportions, unless the
    // picture then is wider than the area, when it is squeezed into it whole.
    const double scaled = double(width) / double(height) * kAreaHeight;
    // Capped so that converting it to pixels cannot overflow.
    const int nw =
        int(std::min(std::floor(scaled), double(std::numeric_limits<int>::max() - kTwipsPerPixel)));
    const int shownWidth = twipsToPixels(nw) * kTwipsPerPixel;
    const bool squeezed = shownWidth >= kAreaWidth;
    const int imageWidth = squeezed ? kAreaWidth : nw;
    const QSize displaySize(std::max(1, twipsToPixels(imageWidth)), twipsToPixels(kAreaHeight));

    // Decoded before anything moves, so a picture that cannot be read leaves
    // the view where it was.
    const QImage picture = loader->load(path, displaySize);
    if (picture.isNull()) {
        reportFailure(form);
        return;
    }
    // Picture2 never decodes a large picture; it only told us its size.
    form.Picture2->setPixmap(QPixmap());

    const QRect placed = form.SSTab1->placedTwips(form.Image1);
    form.SSTab1->place(form.Image1, placed.left(), placed.top(), nw, kAreaHeight);
    form.Image1->setPixmap(QPixmap::fromImage(picture));
    form.Image1->setToolTip(QString::fromUtf8(kImageToolTip));
    const int w = widthTwips(form.Image1);
    if (w < kAreaWidth)
        form.SSTab1->place(form.Image1, kAreaWidth / 2 - w / 2 + kAreaLeft, placed.top(), nw,
                           kAreaHeight);
    else
        form.SSTab1->place(form.Image1, kAreaLeft, placed.top(), kAreaWidth, kAreaHeight);
    setPointerCustom(form.Image1);
}

} // namespace Module1

void Form1::Combo3_Change()
{
    // The thumbnail is drawn again from Text5 although only the link target
    // changed; the icon follows the new target.
    Module1::ShowThumbnail(*this, Text5->text());
    Module1::ShowLinkIcon(*this);
}
