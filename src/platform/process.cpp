#include "platform/process.h"

#include <QApplication>
#include <QWidget>

void QtProcessControl::endProgram()
{
    // Hiding first makes every window vanish at once, dialogs included, even
    // though the event loop only returns after the current handler ends.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::exit(0);
}
