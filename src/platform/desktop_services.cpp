#include "platform/desktop_services.h"

Services DesktopServices::services()
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
