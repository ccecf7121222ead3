#include "platform/memory.h"

#include <QFile>

namespace
{

qint64 fieldKb(const QByteArray& meminfo, const QByteArray& key)
{
    for (const QByteArray& line : meminfo.split('\n')) {
        if (!line.startsWith(key) || line.size() <= key.size() || line.at(key.size()) != ':')
            continue;
        bool ok = false;
        const QByteArray number = line.mid(key.size() + 1).trimmed().split(' ').value(0);
        const qint64 value = number.toLongLong(&ok);
        return ok ? value : -1;
    }
    return -1;
}

} // namespace

int memoryLoadFromMeminfo(const QByteArray& meminfo)
{
    const qint64 total = fieldKb(meminfo, "MemTotal");
    const qint64 available = fieldKb(meminfo, "MemAvailable");
    if (total <= 0 || available < 0)
        return 0;
    if (available >= total)
        return 0;
    return int((total - available) * 100 / total);
}

ProcMemoryStatus::ProcMemoryStatus(QString meminfoPath) : m_path(std::move(meminfoPath)) {}

int ProcMemoryStatus::memoryLoad()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    // /proc files report a size of 0, so read until the end rather than by size.
    return memoryLoadFromMeminfo(file.readAll());
}
