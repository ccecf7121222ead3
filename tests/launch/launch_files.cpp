#include "launch/launch_files.h"

#include <algorithm>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTest>

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool makeExecutable(const QString& path)
{
    return QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

bool writeElfProgram(const QString& path)
{
    QFile::remove(path);
    return QFile::copy(QStringLiteral("/bin/true"), path) && makeExecutable(path);
}

bool makeAllExecutable(const QString& folder)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    return !names.isEmpty() && std::all_of(names.begin(), names.end(), [&](const QString& name) {
        return makeExecutable(QDir(folder).filePath(name));
    });
}

bool writeRecorderScript(const QString& scriptPath, const QString& outputPath)
{
    const QByteArray out = QFile::encodeName(outputPath);
    const QByteArray script = "#!/bin/sh\n"
                              "{ printf '%s\\n' \"$#\"\n"
                              "  for a in \"$@\"; do printf '%s\\n' \"$a\"; done\n"
                              "  pwd\n"
                              "} > '" +
                              out + ".part' && mv '" + out + ".part' '" + out + "'\n";
    return writeFile(scriptPath, script) && makeExecutable(scriptPath);
}

QStringList waitForLines(const QString& outputPath, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(outputPath) && timer.elapsed() < timeoutMs)
        QTest::qWait(20);
    QFile file(outputPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
