#include "launch/launcher.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

#include "help/help_page.h"
#include "launch/launch_plan.h"
#include "launch/program_file.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "store/field_text.h"
#include "ui/main/form1.h"
#include "ui/messages.h"

namespace
{

bool openWithSuite(Shell& shell, const char* module, const QString& document)
{
    const QString suite = shell.findOfficeSuite();
    if (suite.isEmpty())
        return shell.openDocument(document);
    return shell.startProgram(suite, {QString::fromLatin1(module), document}, QString());
}

bool openInOffice(Form1& form, const char* module, const QString& document)
{
    Shell& shell = *form.services().shell;
    if (hasUrlScheme(document))
        return openWithSuite(shell, module, document);
    // The office suite opens a missing file only to complain in a window of
    // its own; the status line says so at once instead.
    const QFileInfo file(document);
    if (!file.exists())
        return false;
    // Absolute, so that a name beginning with "-" is never taken for an option
    // and a name without folder means the current folder's file.
    return openWithSuite(shell, module, file.absoluteFilePath());
}

// Web addresses go to the window's browser, everything else to the launcher.
void launchLinkTarget(Form1& form)
{
    const QString target = form.Combo3->currentText();
    if (!isWebAddress(target)) {
        Module1::LaunchTarget(form);
        return;
    }
    if (!Module1::ShowInBrowser(form, target))
        form.Text8->setText(kLaunchFailedMessage);
}

// The folder a launch enters, absolute. Resolved once, before it is entered:
// a relative folder handed on after that would be looked for inside itself.
QString enteredFolder(const Form1& form)
{
    return QDir(launchFolder(form.Text6->text(), QDir::homePath())).absolutePath();
}

// The thumbnail is opened from the working folder, like the link target.
void openThumbnail(Form1& form)
{
    const QString image = form.Text5->text();
    // One space is how a title without a thumbnail is stored: nothing to open.
    if (isBlankField(image))
        return;
    // The folder message names the folder as the cause, so it is kept for
    // the folder; a missing image or one no program opens is a failed launch.
    if (!QDir::setCurrent(enteredFolder(form)))
        form.Text8->setText(kFolderFailedMessage);
    else if (!form.services().shell->openDocument(image))
        form.Text8->setText(kLaunchFailedMessage);
}

} // namespace

namespace Module1
{

void LaunchTarget(Form1& form)
{
    const QString target = form.Combo3->currentText();
    const QString folder = enteredFolder(form);
    // A name without folder means the file in the folder the launch enters,
    // before any program of that name on the search path.
    const QString file = fileInFolder(target, folder);
    const LaunchPlan plan =
        planLaunch(target, form.Text9->text(), folder, sniffProgram(file), QDir::homePath());
    Shell& shell = *form.services().shell;
    bool started = false;
    switch (plan.route) {
    case LaunchPlan::Route::Spreadsheet:
        started = LaunchWithExcel(form, plan.target);
        break;
    case LaunchPlan::Route::WordProcessor:
        started = LaunchWithWord(form, plan.target);
        break;
    case LaunchPlan::Route::Program:
        // The folder becomes this process's current folder too, as a launch
        // always has done; a missing folder stops the launch here, and so do
        // options that cannot be told apart into arguments.
        started = !plan.unsplittableOptions && QDir::setCurrent(plan.folder) &&
                  shell.startProgram(file, plan.arguments, plan.folder);
        break;
    case LaunchPlan::Route::Document:
        started = QDir::setCurrent(plan.folder) && shell.openDocument(file);
        break;
    }
    if (!started)
        form.Text8->setText(kLaunchFailedMessage);
}

bool LaunchWithExcel(Form1& form, const QString& document)
{
    return openInOffice(form, "--calc", document);
}

bool LaunchWithWord(Form1& form, const QString& document)
{
    return openInOffice(form, "--writer", document);
}

} // namespace Module1

void Form1::Picture1_Click()
{
    // No tool tip: no link icon is armed, so the click means nothing.
    if (Picture1->toolTip().isEmpty())
        return;
    launchLinkTarget(*this);
}

void Form1::Command6_Click()
{
    Text8->clear();
    if (!m_services.dialogs->askYesNo(this, QStringLiteral("起動しますか？"), kConfirmCaption))
        return;
    launchLinkTarget(*this);
}

void Form1::Image1_Click()
{
    openThumbnail(*this);
}

void Form1::Command21_Click()
{
    openThumbnail(*this);
}
