#include "launch/path_helpers.h"

#include "store/field_text.h"

namespace
{

bool isSeparator(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

// 0-based index of the last separator, or -1.
qsizetype lastSeparator(const QString& s)
{
    for (qsizetype i = s.size() - 1; i >= 0; --i) {
        if (isSeparator(s.at(i)))
            return i;
    }
    return -1;
}

// The separator to append to s: the path's own kind when it has one, the
// Windows kind for a drive prefix, the platform's otherwise.
QChar separatorFor(const QString& s)
{
    const qsizetype last = lastSeparator(s);
    if (last >= 0)
        return s.at(last);
    if (s.contains(QLatin1Char(':')))
        return QLatin1Char('\\');
    return QLatin1Char('/');
}

} // namespace

namespace Module1
{

QString ExtractFolderPath(const QString& path)
{
    QString s = trimSpaces(path);
    if (!s.contains(QLatin1Char('.')))
        s += separatorFor(s);
    const qsizetype last = lastSeparator(s);
    if (last >= 0)
        return s.left(last + 1);
    const qsizetype colon = s.indexOf(QLatin1Char(':'));
    if (colon >= 0)
        return s.left(colon + 1);
    return s;
}

QString ExtractFileName(const QString& path)
{
    const QString s = trimSpaces(path);
    if (!s.isEmpty() && isSeparator(s.back()))
        return QString();
    const qsizetype last = lastSeparator(s);
    if (last >= 0)
        return s.mid(last + 1);
    const qsizetype colon = s.indexOf(QLatin1Char(':'));
    if (colon < 0 || colon + 1 >= s.size())
        return QString();
    return s.mid(colon + 1);
}

QString ExtractFolderName(const QString& path)
{
    const QString s = trimSpaces(path);
    const qsizetype last = lastSeparator(s);
    if (last <= 0)
        return QString();
    qsizetype begin = last;
    while (begin > 0 && !isSeparator(s.at(begin - 1)))
        --begin;
    return s.mid(begin, last - begin);
}

} // namespace Module1
