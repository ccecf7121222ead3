#pragma once

#include <functional>
#include <memory>

#include <QString>

class Browser;
class BrowserWindow;
class Form1;

// Shows address in the browser window a program window holds in ie, opening
// one when none is held (watchQuit then connects its quit event), and brings
// it up. False when the browser could not be reached; the window is then let
// go, so the next call starts afresh.
bool showInBrowserWindow(Browser& browser, std::unique_ptr<BrowserWindow>& ie,
                         const std::function<void(BrowserWindow&)>& watchQuit,
                         const QString& address);
// Lets go of a browser window whose user has closed it. The window may still
// be inside its own quit signal, so it is freed later.
void dropBrowserWindow(std::unique_ptr<BrowserWindow>& ie);

// The program's help page, help/help.html among the shipped files.
QString helpPagePath(const Form1& form);

namespace Module1
{

// Shows address in the main window's external browser window, opening one
// when none is held, and brings it up. False when the browser could not be
// reached; the window is then let go, so the next call starts afresh.
bool ShowInBrowser(Form1& form, const QString& address);

} // namespace Module1
