#include "store/field_text.h"

QString leftTrimSpaces(const QString& value)
{
    qsizetype start = 0;
    while (start < value.size() && value.at(start) == QLatin1Char(' '))
        ++start;
    return value.mid(start);
}

QString trimSpaces(const QString& value)
{
    qsizetype start = 0;
    qsizetype end = value.size();
    while (start < end && value.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && value.at(end - 1) == QLatin1Char(' '))
        --end;
    return value.mid(start, end - start);
}

bool isBlankField(const QString& value)
{
    return value.isEmpty() || value == QLatin1String(" ");
}
