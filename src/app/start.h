#pragma once

#include <memory>
#include <optional>

#include <QString>

#include "platform/folder_lock.h"
#include "platform/services.h"

class Dialogs;
class Form1;

// What the start found out before any window opens.
struct PreparedStart {
    bool prepared = false; // the catalogue is there (or something else in its place)
    bool readable = false; // it reads as a catalogue, or the user was told about it
    // This program's share of the data folder, held while it runs.
    std::optional<FolderLock> running;
};

// Everything a start does in the data folder before the window: the Jet
// conversion, first-start creation and the removal of leftovers, under an
// exclusive lock on the folder's start lock file, so that two programs
// started at once never act on the folder together. A start that finds
// another one converting says so in a box, waits for it and does not offer
// the conversion again. Staging files older than this start are removed;
// memo-save leftovers only when no other program is running over the folder.
// Anything in the catalogue's place that is not a plain file (a pipe, a
// device) is never opened and counts as unreadable.
PreparedStart prepareStart(Dialogs& dialogs, const QString& dataFolder);

// Opens the main window over a data folder and the shipped files: prepares
// the data folder on first start, loads and shows the window. When the
// catalogue cannot be created the user is told once, naming the folder, and
// the window opens all the same; its operations then report their own
// failures. A catalogue file that cannot be read as one is named once in the
// same way and left as it is. Staging files left by a first start killed
// midway, from before this start, are removed.
std::unique_ptr<Form1> openMainWindow(const Services& services, const QString& dataFolder,
                                      const QString& sharedFolder);

// What the user is told when the catalogue file at path is not a catalogue.
QString notACatalogueText(const QString& path);
// What a start is told when another one is converting the catalogue at path.
QString convertingElsewhereText(const QString& path);
