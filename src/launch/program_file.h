#pragma once

#include <QString>

#include "launch/launch_plan.h"

// The two looks at the file system that decide how a link target is started.

// What path holds: Elf or Script for a regular file with execute permission
// whose first bytes are those of a binary or a "#!" script; None for anything
// else, a missing, unreadable or empty file included.
ProgramKind sniffProgram(const QString& path);

// The file target names when looked for in folder: its absolute path when
// target is a relative path to an existing file there, else target unchanged
// (an address, an absolute path, or a name left for the search path).
QString fileInFolder(const QString& target, const QString& folder);
