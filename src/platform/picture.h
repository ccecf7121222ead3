#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// Reads picture files: BMP, JPEG, GIF, PNG and the other kinds the image
// toolkit knows, and Windows Metafiles. The kind is told by the file's
// content, not by its name.
class PictureLoader
{
public:
    virtual ~PictureLoader() = default;

    // The picture's own size in pixels at 96 dots per inch, read from its
    // header without decoding it; an invalid size when the file is missing or
    // not a picture this loader knows.
    virtual QSize pictureSize(const QString& path) = 0;

    // Decodes the whole picture, scaled to displaySize when that is valid and
    // at its own size otherwise, which is always the size pictureSize gives.
    // A missing, unknown, malformed or truncated file gives a null image.
    virtual QImage load(const QString& path, const QSize& displaySize) = 0;
};

// Safe to use from any thread once constructed; constructing one sets the
// process's decoding allowance, so the first is made on the window's thread.
// PNGs are decoded up to 16,384 pixels a side, and no picture of any kind to
// more than 1 GiB of pixels (a 16-bit PNG takes 8 bytes a pixel); larger ones
// are refused from their header, before anything is allocated.
class QtPictureLoader final : public PictureLoader
{
public:
    QtPictureLoader();
    QSize pictureSize(const QString& path) override;
    QImage load(const QString& path, const QSize& displaySize) override;
};

// True when data is a picture of the given kind ("bmp", "jpeg", "gif", as the
// image toolkit names them) whose stored data is all there. The toolkit
// decodes a cut-off BMP, JPEG or GIF into a partly grey picture without
// complaint; this tells such a file from a whole one. Kinds it does not know
// count as complete.
bool pictureDataComplete(const QByteArray& data, const QByteArray& format);

// True when data starts like a Windows Metafile (placeable or plain).
bool looksLikeMetafile(const QByteArray& data);
