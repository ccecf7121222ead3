#include "platform/picture.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include <QBuffer>
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtNumeric>

#include <libwmf/api.h>
#include <libwmf/gd.h>

namespace
{

// Pictures larger than this are not read at all; no thumbnail needs them and a
// bogus header must not make us swallow a disk image.
constexpr qint64 kMaxFileBytes = 256 * 1024 * 1024;
// A metafile states its own size; one that claims more than this is broken.
constexpr int kMaxMetafileSide = 16384;
constexpr qint64 kMaxMetafilePixels = 64LL * 1024 * 1024;
// Playing a metafile stops after this long: a crafted file must not freeze
// the window that asked for a thumbnail.
constexpr qint64 kMetafileBudgetMs = 5000;

constexpr int kDotsPerInch = 96;

// PNGs are shown at their own size, so they may be as large as a picture a
// user can reasonably have: 16,384 pixels a side. Nothing larger is decoded at
// all.
constexpr int kMaxPngSide = 16384;
// No one picture may take more than this once decoded, whatever its kind and
// depth: a 16-bit PNG of the largest side would take 2 GiB, and more again
// on its way to the screen.
constexpr qint64 kPictureBudgetBytes = 1LL << 30;
constexpr int kBudgetMb = int(kPictureBudgetBytes >> 20);
// Every other kind keeps the toolkit's own allowance, as before PNGs needed more.
constexpr qint64 kOtherAllocationBytes = 256LL << 20;
constexpr qint64 kBytesPerPixel = 4;
// What a pixel takes when the header does not say: the widest there is.
constexpr qint64 kWidestPixelBytes = 16;

// The bytes one pixel of the image the decoder will produce takes, from the
// header alone.
qint64 decodedPixelBytes(QImageReader& reader)
{
    const QImage::Format format = reader.imageFormat();
    if (format == QImage::Format_Invalid)
        return kWidestPixelBytes;
    return std::max<qint64>(1, QImage::toPixelFormat(format).bitsPerPixel() / 8);
}

// Whether decoding a picture of size own, scaled to target when the decoder
// can scale as it reads, stays within what its kind is allowed and within the
// budget of one picture.
bool withinAllowance(QImageReader& reader, const QSize& own, const QSize& target)
{
    if (!own.isValid() || own.isEmpty())
        return true; // the decoder finds out for itself
    if (reader.format() == "png")
        return own.width() <= kMaxPngSide && own.height() <= kMaxPngSide &&
               qint64(own.width()) * own.height() * decodedPixelBytes(reader) <=
                   kPictureBudgetBytes;
    const QSize decoded =
        target.isValid() && !target.isEmpty() && reader.supportsOption(QImageIOHandler::ScaledSize)
            ? target
            : own;
    return qint64(decoded.width()) * decoded.height() * kBytesPerPixel <= kOtherAllocationBytes;
}

quint16 u16le(const QByteArray& d, qsizetype at)
{
    return quint16(quint8(d[at]) | (quint8(d[at + 1]) << 8));
}

quint32 u32le(const QByteArray& d, qsizetype at)
{
    return quint32(u16le(d, at)) | (quint32(u16le(d, at + 2)) << 16);
}

qint32 s32le(const QByteArray& d, qsizetype at)
{
    return qint32(u32le(d, at));
}

quint16 u16be(const QByteArray& d, qsizetype at)
{
    return quint16((quint8(d[at]) << 8) | quint8(d[at + 1]));
}

// The header's numbers come straight from the file: every product and sum is
// checked, since a width and height near 2^31 overflow any integer type.
bool bmpComplete(const QByteArray& d)
{
    if (d.size() < 30 || !d.startsWith("BM"))
        return false;
    const qint64 dataOffset = u32le(d, 10);
    const quint32 infoSize = u32le(d, 14);
    qint64 width = 0;
    qint64 height = 0;
    qint64 bits = 0;
    quint32 compression = 0;
    qint64 storedSize = 0;
    if (infoSize == 12) {
        width = u16le(d, 18);
        height = u16le(d, 20);
        bits = u16le(d, 24);
    } else {
        if (d.size() < 38)
            return false;
        width = s32le(d, 18);
        height = s32le(d, 22);
        bits = u16le(d, 28);
        compression = u32le(d, 30);
        storedSize = u32le(d, 34);
    }
    if (height < 0)
        height = -height; // rows stored top-down
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    qint64 needed = 0;
    if (uncompressed) {
        if (width <= 0 || bits == 0)
            return true; // nonsense the decoder itself refuses
        qint64 rowBits = 0;
        qint64 rowBytes = 0;
        if (qMulOverflow(width, bits, &rowBits) || qAddOverflow(rowBits, qint64(31), &rowBits) ||
            qMulOverflow(rowBits / 32, qint64(4), &rowBytes) ||
            qMulOverflow(rowBytes, height, &needed))
            return false;
    } else {
        needed = storedSize;
    }
    qint64 end = 0;
    return !qAddOverflow(dataOffset, needed, &end) && end <= d.size();
}

// Walks the marker segments up to the end-of-image marker. Inside
// entropy-coded data a 0xFF byte is always followed by a stuffed 0x00 or a
// restart marker, so the end marker cannot be mistaken there.
bool jpegComplete(const QByteArray& d)
{
    const qsizetype size = d.size();
    if (size < 4 || quint8(d[0]) != 0xFF || quint8(d[1]) != 0xD8)
        return false;
    qsizetype pos = 2;
    while (pos < size) {
        if (quint8(d[pos]) != 0xFF) {
            ++pos; // stray bytes between segments, which decoders skip
            continue;
        }
        while (pos < size && quint8(d[pos]) == 0xFF)
            ++pos;
        if (pos >= size)
            return false;
        const quint8 marker = quint8(d[pos]);
        if (marker == 0xD9)
            return true;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            ++pos;
            continue;
        }
        if (pos + 2 >= size)
            return false;
        const qsizetype next = pos + 1 + u16be(d, pos + 1);
        if (next > size)
            return false;
        pos = next;
        if (marker != 0xDA)
            continue;
        // Entropy-coded data after a start of scan.
        for (;;) {
            if (pos + 1 >= size)
                return false;
            if (quint8(d[pos]) == 0xFF) {
                const quint8 after = quint8(d[pos + 1]);
                if (after != 0x00 && !(after >= 0xD0 && after <= 0xD7))
                    break;
                pos += 2;
            } else {
                ++pos;
            }
        }
    }
    return false;
}

// Whether the data sub-blocks starting at pos end with their terminator.
bool skipGifBlocks(const QByteArray& d, qsizetype& pos)
{
    for (;;) {
        if (pos >= d.size())
            return false;
        const int length = quint8(d[pos]);
        ++pos;
        if (length == 0)
            return true;
        pos += length;
    }
}

// Only the first frame is shown, so a file is complete once that frame's data
// has all arrived.
bool gifComplete(const QByteArray& d)
{
    if (d.size() < 13 || !(d.startsWith("GIF87a") || d.startsWith("GIF89a")))
        return false;
    qsizetype pos = 13;
    const quint8 flags = quint8(d[10]);
    if (flags & 0x80)
        pos += 3 * (2 << (flags & 7));
    for (;;) {
        if (pos >= d.size())
            return false;
        const quint8 block = quint8(d[pos]);
        if (block == 0x3B)
            return true;
        if (block == 0x21) {
            pos += 2;
            if (!skipGifBlocks(d, pos))
                return false;
        } else if (block == 0x2C) {
            if (pos + 10 > d.size())
                return false;
            const quint8 local = quint8(d[pos + 9]);
            pos += 10;
            if (local & 0x80)
                pos += 3 * (2 << (local & 7));
            ++pos; // LZW minimum code size
            return skipGifBlocks(d, pos);
        } else {
            return true; // not ours to judge; the decoder refuses it
        }
    }
}

// The whole file, or nothing: only regular files are read, so a pipe or a
// device named like a picture cannot block the window. The buffer is sized to
// the file; a file that shrinks meanwhile is read as far as it goes and judged
// by the decoders like any other cut-off file.
QByteArray readPictureFile(const QString& path)
{
    if (path.isEmpty())
        return QByteArray();
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return QByteArray();
    const qint64 size = file.size();
    if (size <= 0 || size > kMaxFileBytes)
        return QByteArray();
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    const qint64 got = file.read(bytes.data(), size);
    if (got <= 0)
        return QByteArray();
    bytes.truncate(qsizetype(got));
    return bytes;
}

// The metafile header's counts against the bytes that are really there.
// libwmf trusts them: it reserves twice the largest record size in bytes and
// one object slot per declared object before reading a single record, so a
// few hundred bytes could otherwise claim gigabytes.
bool metafileCountsFit(const QByteArray& d)
{
    const qsizetype header = u32le(d, 0) == 0x9AC6CDD7u ? 22 : 0;
    if (d.size() < header + 18)
        return false;
    const qint64 recordBytes = d.size() - header - 18;
    const quint16 objects = u16le(d, header + 10);
    const qint64 maxRecordWords = u32le(d, header + 12);
    // Every record is at least three words (size and function); every
    // object is made by a record of its own.
    constexpr qint64 kSmallestRecordBytes = 6;
    return maxRecordWords >= 3 && maxRecordWords * 2 <= recordBytes &&
           qint64(objects) * kSmallestRecordBytes <= recordBytes;
}

struct MetafileRender {
    QByteArray png;
    QElapsedTimer clock;
};

int collectPng(void* context, char* buffer, int length)
{
    auto* render = static_cast<MetafileRender*>(context);
    if (length > 0)
        render->png.append(buffer, length);
    return length;
}

int metafileStatus(void* context, float)
{
    auto* render = static_cast<MetafileRender*>(context);
    return render->clock.elapsed() > kMetafileBudgetMs ? 1 : 0;
}

// Plays a metafile through libwmf's raster device. With an invalid target the
// picture is drawn at its own size; ownSize, when given, receives that size.
// Returns a null image (and an invalid ownSize) on any failure.
QImage renderMetafile(const QByteArray& bytes, const QSize& target, QSize* ownSize)
{
    if (ownSize)
        *ownSize = QSize();
    if (!looksLikeMetafile(bytes) || !metafileCountsFit(bytes))
        return QImage();
    MetafileRender render;
    render.clock.start();

    wmfAPI_Options options;
    std::memset(&options, 0, sizeof options);
    options.function = wmf_gd_function;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    wmfAPI* api = nullptr;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
        if (api)
            wmf_api_destroy(api);
        return QImage();
    }
    wmf_status_function(api, &render, metafileStatus);

    // libwmf reads through a non-const pointer; it gets a copy of its own.
    QByteArray data = bytes;
    bool played = false;
    wmfD_Rect bbox;
    unsigned int width = 0;
    unsigned int height = 0;
    if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(data.data()), long(data.size())) ==
        wmf_E_None) {
        const bool sized =
            wmf_scan(api, 0, &bbox) == wmf_E_None &&
            wmf_display_size(api, &width, &height, kDotsPerInch, kDotsPerInch) == wmf_E_None &&
            width > 0 && height > 0 && width <= kMaxMetafileSide && height <= kMaxMetafileSide;
        if (sized && ownSize)
            *ownSize = QSize(int(width), int(height));
        QSize out = target.isValid() ? target : QSize(int(width), int(height));
        const bool drawable = sized && !out.isEmpty() && out.width() <= kMaxMetafileSide &&
                              out.height() <= kMaxMetafileSide &&
                              qint64(out.width()) * out.height() <= kMaxMetafilePixels;
        if (drawable) {
            wmf_gd_t* device = WMF_GD_GetData(api);
            device->type = wmf_gd_png;
            device->flags |= WMF_GD_OUTPUT_MEMORY | WMF_GD_OWN_BUFFER;
            device->sink.context = &render;
            device->sink.function = collectPng;
            device->bbox = bbox;
            device->width = unsigned(out.width());
            device->height = unsigned(out.height());
            played = wmf_play(api, 0, &bbox) == wmf_E_None;
        }
        wmf_mem_close(api);
    }
    // Whatever the device wrote is only trusted when the library also shut
    // down cleanly.
    const bool closed = wmf_api_destroy(api) == wmf_E_None;
    if (!played || !closed || render.png.isEmpty())
        return QImage();
    return QImage::fromData(render.png, "PNG");
}

} // namespace

bool pictureDataComplete(const QByteArray& data, const QByteArray& format)
{
    const QByteArray kind = format.toLower();
    if (kind == "bmp" || kind == "dib")
        return bmpComplete(data);
    if (kind == "jpeg" || kind == "jpg")
        return jpegComplete(data);
    if (kind == "gif")
        return gifComplete(data);
    return true;
}

bool looksLikeMetafile(const QByteArray& data)
{
    if (data.size() < 18)
        return false;
    if (u32le(data, 0) == 0x9AC6CDD7u)
        return true;
    const quint16 type = u16le(data, 0);
    const quint16 headerWords = u16le(data, 2);
    const quint16 version = u16le(data, 4);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

QtPictureLoader::QtPictureLoader()
{
    // The toolkit's allowance is one for the whole process, set once before
    // any decode can run beside it; the per-kind limits are kept by
    // withinAllowance before each decode.
    static std::once_flag once;
    std::call_once(once, [] { QImageReader::setAllocationLimit(kBudgetMb); });
}

QSize QtPictureLoader::pictureSize(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return QSize();
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QSize();
        if (looksLikeMetafile(file.peek(18))) {
            QSize own;
            renderMetafile(readPictureFile(path), QSize(0, 0), &own);
            return own;
        }
    }
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    return size.isValid() && !size.isEmpty() ? size : QSize();
}

QImage QtPictureLoader::load(const QString& path, const QSize& displaySize)
{
    const QByteArray data = readPictureFile(path);
    if (data.isEmpty())
        return QImage();
    if (looksLikeMetafile(data))
        return renderMetafile(data, displaySize, nullptr);

    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead() || !pictureDataComplete(data, reader.format()))
        return QImage();
    if (!withinAllowance(reader, reader.size(), displaySize))
        return QImage();
    if (displaySize.isValid() && !displaySize.isEmpty()) {
        reader.setScaledSize(displaySize);
        return reader.read();
    }
    // The size the header states is the one the caller lays the picture out
    // by; a file whose pixels come out at another size is broken (a GIF's
    // frame can contradict its screen size, and the decoder then believes
    // one and the header reading the other).
    const QSize stated = reader.size();
    QImage image = reader.read();
    if (stated.isValid() && image.size() != stated)
        return QImage();
    return image;
}
