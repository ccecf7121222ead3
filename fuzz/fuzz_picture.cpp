// The picture loader on arbitrary bytes. The first byte picks the kind: the
// file gets that kind's name and, unless the bytes already start with it, its
// signature, so every decoder is reached from the first run.

#include <cstdio>
#include <cstdlib>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "platform/picture.h"

namespace
{

struct Kind {
    const char* name;
    QByteArray signature;
};

const Kind kKinds[] = {
    {"p.bmp", QByteArray("BM")},
    {"p.jpg", QByteArray("\xFF\xD8\xFF", 3)},
    {"p.gif", QByteArray("GIF89a")},
    {"p.png", QByteArray("\x89PNG\r\n\x1A\n", 8)},
    {"p.wmf", QByteArray("\xD7\xCD\xC6\x9A", 4)},         // placeable metafile
    {"p.wmf", QByteArray("\x01\x00\x09\x00\x00\x03", 6)}, // plain metafile
    {"p.dat", QByteArray()},                              // the bytes as they are
};

QTemporaryDir* folder = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    // The decoders' complaints about broken files would bury libFuzzer's own
    // report.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    // Memory-backed when possible: the loader only takes a path.
    folder = new QTemporaryDir(QFile::exists(QStringLiteral("/dev/shm"))
                                   ? QStringLiteral("/dev/shm/quilmo-fuzz-XXXXXX")
                                   : QString());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || !folder || !folder->isValid())
        return 0;
    const Kind& kind = kKinds[data[0] % std::size(kKinds)];
    QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (!bytes.startsWith(kind.signature))
        bytes.prepend(kind.signature);

    // The checks that need no file.
    looksLikeMetafile(bytes);
    for (const char* format : {"bmp", "jpeg", "gif", "png"})
        pictureDataComplete(bytes, format);

    const QString path = folder->filePath(QLatin1String(kind.name));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            std::abort();
    }
    QtPictureLoader loader;
    const QSize own = loader.pictureSize(path);
    // As the thumbnail shows it: small pictures at their own size, others
    // scaled to the thumbnail area.
    const bool small = own.isValid() && qint64(own.width()) * own.height() <= 1024 * 1024;
    const QImage shown = loader.load(path, small ? QSize() : QSize(291, 170));
    if (!shown.isNull() && small && shown.size() != own) {
        std::fprintf(stderr, "header says %dx%d, picture is %dx%d\n", own.width(), own.height(),
                     shown.width(), shown.height());
        std::abort();
    }
    return 0;
}
