#pragma once

#include "platform/browser.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/memory.h"
#include "platform/paint.h"
#include "platform/picture.h"
#include "platform/process.h"
#include "platform/services.h"
#include "platform/shell.h"

// The real platform services of a Linux desktop, owned together.
struct DesktopServices {
    QtDialogs dialogs;
    ProcMemoryStatus memory;
    SystemClock clock;
    QtProcessControl process;
    QtPictureLoader pictures;
    MemoPaintProgram paint;
    DesktopShell shell;
    DesktopBrowser browser;

    Services services() { return servicesOf(*this); }
};
