#pragma once

#include <QString>

class Form1;

// The program's help page, help/help.html in the program folder.
QString helpPagePath(const Form1& form);

namespace Module1
{

// Shows address in the main window's external browser window, opening one
// when none is held, and brings it up. False when the browser could not be
// reached; the window is then let go, so the next call starts afresh.
bool ShowInBrowser(Form1& form, const QString& address);

} // namespace Module1
