#pragma once

#include <functional>

#include <QString>
#include <QWidget>

#include "platform/desktop_services.h"

// Services for a window under measurement: no question is ever asked and
// nothing ends the process.
class SilentDialogs final : public Dialogs
{
public:
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
    void inform(QWidget*, const QString&) override {}
    std::optional<QString> openFile(QWidget*, const OpenFileRequest&) override { return {}; }
    std::optional<QString> saveFile(QWidget*, const OpenFileRequest&) override { return {}; }
};

class StayingProcess final : public ProcessControl
{
public:
    void endProgram() override {}
};

// The program's own services, but for the questions and the end of the program.
struct BenchServices {
    DesktopServices desktop;
    SilentDialogs dialogs;
    StayingProcess process;

    Services services()
    {
        Services s = desktop.services();
        s.dialogs = &dialogs;
        s.process = &process;
        return s;
    }
};

// Runs the registered benchmarks inside a QApplication on the offscreen
// platform; atExit runs while the application still exists, for windows the
// benchmarks kept.
int runBenchmarks(int argc, char** argv, const std::function<void()>& atExit = {});
