#pragma once

#include <QString>
#include <QStringList>

// The files shipped with the program (help page, banner, icons, blank memo)
// are only ever read. In the build folder they sit in share/quilmo beside the
// program; installed, in the share folder of the installation prefix.

// The folders that may hold the shipped files, in the order they are tried.
QStringList sharedFolderCandidates(const QString& programFolder);

// The first candidate that holds the help page; the installed share folder
// when none does, so whatever is missing reports itself at its real place.
QString findSharedFolder(const QString& programFolder);
