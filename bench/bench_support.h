#pragma once

#include <functional>

#include <QString>
#include <QWidget>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/memory.h"
#include "platform/process.h"
#include "platform/services.h"

// Services for a window under measurement: no question is ever asked and
// nothing ends the process.
class SilentDialogs final : public Dialogs {
public:
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
    void inform(QWidget*, const QString&) override {}
    std::optional<QString> openFile(QWidget*, const OpenFileRequest&) override { return {}; }
};

class StayingProcess final : public ProcessControl {
public:
    void endProgram() override {}
};

struct BenchServices {
    SilentDialogs dialogs;
    ProcMemoryStatus memory;
    SystemClock clock;
    StayingProcess process;

    Services services() { return Services{&dialogs, &memory, &clock, &process}; }
};

// Runs the registered benchmarks inside a QApplication on the offscreen
// platform; atExit runs while the application still exists, for windows the
// benchmarks kept.
int runBenchmarks(int argc, char** argv, const std::function<void()>& atExit = {});
