#pragma once

#include <QString>
#include <QStringList>

// The file-system and text side of the image list, free of widgets.

// The names of the files in folder that match the wildcard pattern ("*.jpg"),
// compared without regard to case as on the desktop the catalogue came from.
// Hidden files count; folders and special files (pipes, devices, sockets) do
// not. An unreadable or missing folder gives no names. The order is the file
// system's.
QStringList listMatchingFiles(const QString& folder, const QString& pattern);

// The names of all the files in folder, as listMatchingFiles counts them.
QStringList listFolderFiles(const QString& folder);

// The names that match the wildcard pattern, compared without regard to case,
// in their order.
QStringList matchingNames(const QStringList& names, const QString& pattern);

// Whether the last three characters of name, lower-cased, are extension
// ("bmp"); no dot is sought, so "x.jpeg" is not a "jpg".
bool endsWithExtension(const QString& name, const QString& extension);

// The order of the image list: alphabetical without regard to case; names
// equal but for case (possible on Linux) by their exact text, so the order
// never depends on the order they were added in.
bool imageNameLess(const QString& a, const QString& b);
