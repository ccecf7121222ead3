#pragma once

#include <QString>

// How the catalogue's fields treat spaces. Only the space character counts:
// a tab or an ideographic space may be part of a name.

// Leading spaces removed: stored values are read this way, so the " " that
// marks an empty field reads back as empty.
QString leftTrimSpaces(const QString& value);
// Leading and trailing spaces removed.
QString trimSpaces(const QString& value);
// A field that holds nothing: the empty text or the single space stored for it.
bool isBlankField(const QString& value);
