#include "images/image_files.h"

#include <QDir>
#include <QRegularExpression>

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

QStringList listFolderFiles(const QString& folder)
{
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return QStringList();
    return dir.entryList(QDir::Files | QDir::Hidden, QDir::Unsorted);
}

QStringList matchingNames(const QStringList& names, const QString& pattern)
{
    // "*.jpg", the image list's own kind of pattern, is a plain comparison of
    // the name's end; anything else goes through the full wildcard match.
    const QString suffix = pattern.mid(1);
    if (pattern.startsWith(QLatin1Char('*')) && !suffix.contains(QLatin1Char('*')) &&
        !suffix.contains(QLatin1Char('?')) && !suffix.contains(QLatin1Char('['))) {
        QStringList matching;
        for (const QString& name : names) {
            if (name.endsWith(suffix, Qt::CaseInsensitive))
                matching << name;
        }
        return matching;
    }
    const QRegularExpression wildcard(QRegularExpression::wildcardToRegularExpression(pattern),
                                      QRegularExpression::CaseInsensitiveOption);
    QStringList matching;
    for (const QString& name : names) {
        if (wildcard.match(name).hasMatch())
            matching << name;
    }
    return matching;
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
