#include "help/help_page.h"

#include <QDir>

#include "platform/browser.h"
#include "ui/main/form1.h"

QString helpPagePath(const Form1& form)
{
    return QDir(form.programFolder()).filePath(QStringLiteral("help/help.html"));
}

namespace Module1
{

bool ShowInBrowser(Form1& form, const QString& address)
{
    if (!form.ie) {
        form.ie = form.services().browser->createWindow();
        QObject::connect(form.ie.get(), &BrowserWindow::OnQuit, &form, &Form1::ie_OnQuit);
    }
    if (!form.ie->Navigate(address)) {
        // A window that cannot navigate is of no further use; holding on to it
        // would only make every later click fail the same way.
        form.ie.reset();
        return false;
    }
    form.ie->setVisible(true);
    return true;
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
    // The window may still be inside its own signal, so it is freed later.
    if (ie)
        ie.release()->deleteLater();
}
