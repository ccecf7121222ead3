#include "store/link_targets.h"

LinkTargets splitLinkTargets(const QString& stored)
{
    LinkTargets result;
    bool firstPlaced = false;
    QString line;
    qsizetype i = 0;
    while (i < stored.size()) {
        if (stored.at(i) == QLatin1Char('\r') && i + 1 < stored.size() &&
            stored.at(i + 1) == QLatin1Char('\n')) {
            if (!firstPlaced) {
                firstPlaced = true;
                result.list.clear();
                result.text = line;
            } else {
                result.list.append(line);
            }
            line.clear();
            i += 2;
        } else {
            line.append(stored.at(i));
            ++i;
        }
    }
    if (!line.isEmpty())
        result.text = line;
    return result;
}

QString joinLinkTargets(const QString& text, const QStringList& list)
{
    const QString crlf = QStringLiteral("\r\n");
    QString stored = text + crlf;
    for (const QString& entry : list)
        stored += entry + crlf;
    return stored;
}
