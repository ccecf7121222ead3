#pragma once

#include <QString>

// Makes the folder's entries (names created, renamed or removed in it) reach
// the disk, so a rename survives a power cut. False when the folder could not
// be synced.
bool syncFolder(const QString& folder);
