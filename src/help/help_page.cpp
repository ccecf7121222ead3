#include "help/help_page.h"

#include <QDir>

#include "platform/browser.h"
#include "ui/main/form1.h"

QString helpPagePath(const Form1& form)
{
    return QDir(form.sharedFolder()).filePath(QStringLiteral("help/help.html"));
}

bool showInBrowserWindow(Browser& browser, std::unique_ptr<BrowserWindow>& ie,
                         const std::function<void(BrowserWindow&)>& watchQuit,
                         const QString& address)
{
    if (!ie) {
        ie = browser.createWindow();
        watchQuit(*ie);
    }
    if (!ie->Navigate(address)) {
        // A window that cannot navigate is of no further use; holding on to it
        // would only make every later click fail the same way.
        ie.reset();
        return false;
    }
    ie->setVisible(true);
    return true;
}

void dropBrowserWindow(std::unique_ptr<BrowserWindow>& ie)
{
    if (ie)
        ie.release()->deleteLater();
}

namespace Module1
{

bool ShowInBrowser(Form1& form, const QString& address)
{
    return showInBrowserWindow(
        *form.services().browser, form.ie,
        [&form](BrowserWindow& window) {
            QObject::connect(&window, &BrowserWindow::OnQuit, &form, &Form1::ie_OnQuit);
        },
        address);
}

} // namespace Module1

void Form1::Command18_Click()
{
    // The browser shows its own page for a missing help file; nothing is
    // reported here.
    Module1::ShowInBrowser(*this, helpPagePath(*this));
}

void Form1::ie_OnQuit()
{
    dropBrowserWindow(ie);
}
