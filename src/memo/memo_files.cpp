#include "memo/memo_files.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace memo {

QString memoFolder(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("手書きメモ"));
}

std::optional<QString> memoFilePath(const QString& programFolder, const QString& title)
{
    // The title is used as typed, spaces and all; only what would lead the
    // name out of the memo folder, or cannot be in a file name at all, is
    // refused.
    if (title.isEmpty() || title.contains(QLatin1Char('/')) || title.contains(QChar(u'\0')) ||
        title == QLatin1String(".") || title == QLatin1String(".."))
        return std::nullopt;
    return memoFolder(programFolder) + QLatin1Char('/') + title + QStringLiteral(".ole");
}

QString defaultMemoPath(const QString& sharedFolder)
{
    return QDir(memoFolder(sharedFolder)).filePath(QStringLiteral("quilmo.ole"));
}

QImage readMemo(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QImage picture;
    picture.loadFromData(file.readAll(), "PNG");
    return picture;
}

bool writeMemo(const QString& path, const QImage& picture)
{
    if (picture.isNull())
        return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG"))
        return false;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QImage blankMemo()
{
    QImage picture(kBlankSize, QImage::Format_RGB32);
    picture.fill(Qt::white);
    return picture;
}

} // namespace memo
