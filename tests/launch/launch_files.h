#pragma once

#include <ostream>

#include <QByteArray>
#include <QString>
#include <QStringList>

// Files the launch tests point the editor at.

// Writes bytes to path; false when it could not.
bool writeFile(const QString& path, const QByteArray& bytes);
// Adds execute permission for the owner.
bool makeExecutable(const QString& path);
// A copy of a real ELF program (one that does nothing and succeeds) at path,
// with execute permission.
bool writeElfProgram(const QString& path);
// Adds execute permission for the owner to every file directly in folder, as a
// FAT or NTFS drive shows its files.
bool makeAllExecutable(const QString& folder);
// A shell script at scriptPath that, when run, writes its argument count, each
// argument and its current folder, one a line, to outputPath (whole or not at
// all, so a reader never sees half of it).
bool writeRecorderScript(const QString& scriptPath, const QString& outputPath);
// The lines of outputPath once it appears, waiting for at most timeoutMs while
// the event loop runs; empty when it never does.
QStringList waitForLines(const QString& outputPath, int timeoutMs = 20000);

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
