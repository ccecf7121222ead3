#include "launch/program_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/shell.h"

ProgramKind sniffProgram(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || !info.isExecutable())
        return ProgramKind::None;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ProgramKind::None;
    const QByteArray head = file.read(4);
    if (head == QByteArrayLiteral("\x7F"
                                  "ELF"))
        return ProgramKind::Elf;
    if (head.startsWith("#!"))
        return ProgramKind::Script;
    return ProgramKind::None;
}

QString fileInFolder(const QString& target, const QString& folder)
{
    if (target.isEmpty() || hasUrlScheme(target) || QDir::isAbsolutePath(target))
        return target;
    const QFileInfo inFolder(QDir(folder), target);
    return inFolder.isFile() ? inFolder.absoluteFilePath() : target;
}
