#pragma once

#include <QString>

// Where the catalogue and the memo folder live. A program installed on Linux
// sits in a folder its user cannot write, so the data has a folder of its own.

// The data folder: the one named on the command line when there is one; else
// the program folder when it already holds a catalogue (the portable layout,
// which folders from before keep); else the user's data folder.
QString chooseDataFolder(const QString& programFolder, const QString& commandLineFolder,
                         const QString& userFolder);

// The user's own data folder, under ~/.local/share/.
QString userDataFolder();

// First start: creates the data folder, its memo folder and the catalogue,
// each only when missing; whatever exists is left as it is. False when the
// catalogue is not there afterwards.
bool prepareDataFolder(const QString& folder);

// What the user is told when prepareDataFolder failed for folder.
QString dataFolderFailureText(const QString& folder);
