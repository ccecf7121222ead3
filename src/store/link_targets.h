#pragma once

#include <QString>
#include <QStringList>

// The link targets of a title are stored in one column: the box's text and
// then each entry of its list, every one followed by CR LF.
struct LinkTargets {
    QString text;
    QStringList list;
};

// Undoes joinLinkTargets: the first CR LF-terminated line is the text, each
// later terminated line one list entry; a last line without CR LF replaces
// the text. A lone CR or LF stays inside its line.
LinkTargets splitLinkTargets(const QString& stored);
// The stored form of a box's text and list.
QString joinLinkTargets(const QString& text, const QStringList& list);
