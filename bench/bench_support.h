#pragma once

#include <functional>

#include <QString>
#include <QWidget>

#include "platform/browser.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/memory.h"
#include "platform/paint.h"
#include "platform/picture.h"
#include "platform/process.h"
#include "platform/services.h"
#include "platform/shell.h"

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

// The program's own services, but for the questions and the end of the program.
struct BenchServices {
    SilentDialogs dialogs;
    ProcMemoryStatus memory;
    SystemClock clock;
    StayingProcess process;
    QtPictureLoader pictures;
    MemoPaintProgram paint;
    DesktopShell shell;
    DesktopBrowser browser;

    Services services()
    {
        Services s;
        s.dialogs = &dialogs;
        s.memory = &memory;
        s.clock = &clock;
        s.process = &process;
        s.pictures = &pictures;
        s.paint = &paint;
        s.shell = &shell;
        s.browser = &browser;
        return s;
    }
};

// Runs the registered benchmarks inside a QApplication on the offscreen
// platform; atExit runs while the application still exists, for windows the
// benchmarks kept.
int runBenchmarks(int argc, char** argv, const std::function<void()>& atExit = {});
