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

// Wires a set of service objects, real or fake, that holds one member of each
// kind under the names above.
template <typename Set> Services servicesOf(Set& set)
{
    Services s;
    s.dialogs = &set.dialogs;
    s.memory = &set.memory;
    s.clock = &set.clock;
    s.process = &set.process;
    s.pictures = &set.pictures;
    s.paint = &set.paint;
    s.shell = &set.shell;
    s.browser = &set.browser;
    return s;
}
