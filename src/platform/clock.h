#pragma once

#include <QTime>

// The local time of day, behind an interface so the clock can be tested.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QTime currentTime() = 0;
};

class SystemClock final : public Clock
{
public:
    QTime currentTime() override { return QTime::currentTime(); }
};
