#include "images/image_files.h"

#include <QDir>

QStringList listMatchingFiles(const QString& folder, const QString& pattern)
{
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return QStringList();
    // Without QDir::System: on Linux that would add pipes and devices, which
    // would block whoever tried to read them as pictures. Name filters
    // compare without regard to case unless asked otherwise.
    return dir.entryList(QStringList{pattern}, QDir::Files | QDir::Hidden, QDir::Unsorted);
}

bool endsWithExtension(const QString& name, const QString& extension)
{
    return name.right(3).toLower() == extension;
}

bool imageNameLess(const QString& a, const QString& b)
{
    const int blind = QString::compare(a, b, Qt::CaseInsensitive);
    return blind != 0 ? blind < 0 : a < b;
}
