#pragma once

class Browser;
class Clock;
class Dialogs;
class MemoryStatus;
class PictureLoader;
class PaintProgram;
class ProcessControl;
class Shell;

// The platform services a window works with. The program fills it with the
// real implementations, the tests with fakes; the owners outlive the windows.
struct Services {
    Dialogs* dialogs = nullptr;
    MemoryStatus* memory = nullptr;
    Clock* clock = nullptr;
    ProcessControl* process = nullptr;
    PictureLoader* pictures = nullptr;
    PaintProgram* paint = nullptr;
    Shell* shell = nullptr;
    Browser* browser = nullptr;
};
