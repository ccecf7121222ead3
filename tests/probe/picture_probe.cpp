// Decodes one picture file in a process of its own and reports how far the
// process's address space grew on the way, which a fresh process measures
// without what earlier work left behind.
//   picture_probe FILE  ->  "<growth in KiB> <width>x<height>" (0x0 for none)
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <QTemporaryFile>

#include "platform/picture.h"

namespace
{

long peakKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmPeak:"))
            return line.mid(7).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    QtPictureLoader loader;
    const QString path = QString::fromLocal8Bit(argv[1]);
    // The decoder's own set-up (the format plugins it loads to tell the
    // kind, its tables) is not what is measured: a tiny picture goes first.
    QTemporaryFile warm(QDir::tempPath() + QStringLiteral("/probe-XXXXXX.png"));
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(Qt::white);
    if (!warm.open() || !dot.save(&warm, "PNG"))
        return 1;
    warm.close();
    loader.load(warm.fileName(), QSize());
    loader.pictureSize(path);
    const long before = peakKib();
    const QImage image = loader.load(path, QSize());
    const long after = peakKib();
    std::printf("%ld %dx%d\n", after - before, image.width(), image.height());
    return before < 0 || after < 0 ? 1 : 0;
}
