#include "launch/thumbnail.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
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

namespace
{

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

// Where a picture of its own size (in pixels) goes: small ones at their own
// size; large ones fitted to the area's height with their proportions kept,
// unless the picture then is wider than the area, when it is squeezed into it
// whole.
struct Fit {
    qint64 width = 0; // the picture's own size, in twips
    qint64 height = 0;
    bool small = false;
    int nw = 0;        // the fitted width, in twips
    QSize displaySize; // the size a large picture is decoded and shown at
};

Fit fitOf(QSize own)
{
    Fit fit;
    fit.width = qint64(own.width()) * kTwipsPerPixel;
    fit.height = qint64(own.height()) * kTwipsPerPixel;
    fit.small = fit.width < kAreaWidth && fit.height < kAreaHeight;
    if (fit.small || fit.height <= 0)
        return fit;
    const double scaled = double(fit.width) / double(fit.height) * kAreaHeight;
    // Capped so that converting it to pixels cannot overflow.
    fit.nw =
        int(std::min(std::floor(scaled), double(std::numeric_limits<int>::max() - kTwipsPerPixel)));
    const int shownWidth = twipsToPixels(fit.nw) * kTwipsPerPixel;
    const int imageWidth = shownWidth >= kAreaWidth ? kAreaWidth : fit.nw;
    fit.displaySize = QSize(std::max(1, twipsToPixels(imageWidth)), twipsToPixels(kAreaHeight));
    return fit;
}

// Metafiles are drawn at the size they are shown at, whatever size they
// state, and only ever on the window's thread.
bool isMetafile(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && looksLikeMetafile(file.peek(18));
}

// A picture that takes more than this decoded is decoded off the window's
// thread: a large one takes seconds.
constexpr qint64 kWindowDecodeBytes = 16LL << 20;

// The picture at path decoded as plan says, from the cache when the file is
// the one decoded before; a fresh decode is kept for the next time. Null when
// the file cannot be read. nullopt while a large picture is decoded aside:
// the thumbnail is shown again from it once it is ready.
std::optional<QImage> pictureFor(Form1& form, const QString& path, const PictureCache::Plan& plan,
                                 const std::optional<PictureCache::Picture>& kept,
                                 const FileStamp& stamp, qint64 readFrom, QSize own)
{
    const QSize expected = plan.decodeAt.isValid() ? plan.decodeAt : own;
    if (kept && (!own.isValid() || kept->image.size() == expected))
        return kept->image;
    PictureCache& cache = form.pictureCache;
    PictureLoader* loader = form.services().pictures;
    QImage picture;
    if (auto decoded = cache.takeDecodedAside(path, stamp)) {
        picture = std::move(decoded->image);
        readFrom = decoded->readFrom;
    } else if (loader) {
        // Judged by the picture's own size: a decoder that cannot scale as it
        // reads decodes it whole first.
        const QSize size = own.isValid() ? own : cache.ownSize(path);
        if (size.isValid() && qint64(size.width()) * size.height() * 4 > kWindowDecodeBytes &&
            !isMetafile(path)) {
            Form1* shown = &form;
            cache.decodeAside(path, stamp, readFrom, plan.decodeAt, [shown, path] {
                if (shown->pictureCache.showing() == path)
                    Module1::ShowThumbnail(*shown, path);
            });
            return std::nullopt;
        }
        picture = loader->load(path, plan.decodeAt);
    }
    if (!picture.isNull())
        cache.insert(path, plan.use, stamp, readFrom, own.isValid() ? own : picture.size(),
                     picture);
    return picture;
}

// The pixmap a view shows picture with: the cache's own when it keeps the
// picture, so that showing it again is recognised.
QPixmap pixmapFor(Form1& form, const QString& path, const QImage& picture)
{
    const QPixmap kept = form.pictureCache.pixmapOf(path);
    return kept.isNull() ? QPixmap::fromImage(picture) : kept;
}

// Typing beside a thumbnail draws it again at every keystroke; a view that
// already shows the very pixmap is left as it is.
void setPixmapOnce(QLabel* view, const QPixmap& pixmap)
{
    if (view->pixmap().cacheKey() != pixmap.cacheKey())
        view->setPixmap(pixmap);
}

} // namespace

PictureCache::Plan thumbnailPlan(const QString& path, QSize own)
{
    if (isPng(path))
        return {PictureUse::Page, QSize()};
    const Fit fit = fitOf(own);
    return {PictureUse::Thumbnail, fit.small ? QSize() : fit.displaySize};
}

namespace Module1
{

void ShowThumbnail(Form1& form, const QString& path)
{
    form.WebBrowser1->hide();
    form.Picture2->hide();
    if (form.Check1->checkState() == Qt::Unchecked || isBlankField(path)) {
        form.pictureCache.setShowing(QString());
        emptyPictures(form);
        return;
    }
    form.pictureCache.setShowing(path);

    form.SSTab1->setCurrentIndex(kThumbnailPage);
    PictureLoader* loader = form.services().pictures;
    // A picture decoded before is shown again as long as its file has not
    // changed since; a file gone or changed is read anew, as the first time.
    const qint64 readFrom = fileClockNow();
    const FileStamp stamp = fileStamp(path);
    const std::optional<PictureCache::Picture> kept = form.pictureCache.find(path, stamp);

    if (isPng(path)) {
        const std::optional<QImage> decoded =
            pictureFor(form, path, thumbnailPlan(path, QSize()), kept, stamp, readFrom, QSize());
        if (!decoded) {
            emptyPictures(form);
            return;
        }
        const QImage& picture = *decoded;
        form.SSTab1->place(form.WebBrowser1, kAreaLeft, kAreaTop, kAreaWidth, kAreaHeight);
        form.WebBrowser1->show();
        form.WebBrowser1->navigate(path, picture);
        // An empty view alone would pass for a blank picture; say what went
        // wrong, as for every other kind.
        if (picture.isNull())
            form.Text8->setText(QString::fromUtf8(kLoadFailed));
        return;
    }

    // The size comes from the picture's header, so a large picture is only
    // ever decoded at the size it is shown at.
    const QSize own = kept ? kept->own : loader ? loader->pictureSize(path) : QSize();
    if (!own.isValid() || own.isEmpty()) {
        reportFailure(form);
        return;
    }
    const Fit fit = fitOf(own);
    const PictureCache::Plan plan = thumbnailPlan(path, own);

    const std::optional<QImage> decoded = pictureFor(form, path, plan, kept, stamp, readFrom, own);
    if (!decoded) {
        emptyPictures(form);
        return;
    }
    const QImage& picture = *decoded;
    if (fit.small) {
        if (picture.isNull()) {
            reportFailure(form);
            return;
        }
        setPixmapOnce(form.Picture2, pixmapFor(form, path, picture));
        form.SSTab1->place(form.Picture2, kAreaLeft, kAreaTop, int(fit.width), int(fit.height));
        form.Picture2->show();
        if (!hasCustomPointer(form.Image1))
            setPointerCustom(form.Image1);
        return;
    }

    const int nw = fit.nw;
    // Decoded before anything moves, so a picture that cannot be read leaves
    // the view where it was.
    if (picture.isNull()) {
        reportFailure(form);
        return;
    }
    // Picture2 never decodes a large picture; it only told us its size.
    setPixmapOnce(form.Picture2, QPixmap());

    const QRect placed = form.SSTab1->placedTwips(form.Image1);
    form.SSTab1->place(form.Image1, placed.left(), placed.top(), nw, kAreaHeight);
    setPixmapOnce(form.Image1, pixmapFor(form, path, picture));
    const QString tip = QString::fromUtf8(kImageToolTip);
    if (form.Image1->toolTip() != tip)
        form.Image1->setToolTip(tip);
    const int w = widthTwips(form.Image1);
    if (w < kAreaWidth)
        form.SSTab1->place(form.Image1, kAreaWidth / 2 - w / 2 + kAreaLeft, placed.top(), nw,
                           kAreaHeight);
    else
        form.SSTab1->place(form.Image1, kAreaLeft, placed.top(), kAreaWidth, kAreaHeight);
    if (!hasCustomPointer(form.Image1))
        setPointerCustom(form.Image1);
}

} // namespace Module1

void Form1::setLinkTargetText(const QString& text)
{
    if (Combo3->currentText() == text)
        return;
    Combo3->setEditText(text);
    Combo3_Change();
}

void Form1::Combo3_Change()
{
    // The thumbnail is drawn again from Text5 although only the link target
    // changed; the icon follows the new target.
    Module1::ShowThumbnail(*this, Text5->text());
    Module1::ShowLinkIcon(*this);
}
