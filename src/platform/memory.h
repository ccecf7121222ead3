#pragma once

#include <QByteArray>
#include <QString>

// The share of physical memory in use, as a whole percentage.
class MemoryStatus
{
public:
    virtual ~MemoryStatus() = default;
    // 0 to 100.
    virtual int memoryLoad() = 0;
};

// Reads /proc/meminfo: (MemTotal - MemAvailable) * 100 / MemTotal, rounded down.
class ProcMemoryStatus final : public MemoryStatus
{
public:
    explicit ProcMemoryStatus(QString meminfoPath = QStringLiteral("/proc/meminfo"));
    int memoryLoad() override;

private:
    QString m_path;
};

// The load computed from the text of a meminfo file; 0 when the figures are
// missing or make no sense, so the gauge never shows more than it knows.
int memoryLoadFromMeminfo(const QByteArray& meminfo);
