#include <QLineEdit>

#include "catalogue/option_ops.h"
#include "maint/form2.h"
#include "ui/main/form1.h"

void Form1::Command7_Click()
{
    Text8->clear();
    // Read for its effect only: it sizes the status line and reports a
    // missing option row there.
    Module1::LoadMemoryOption(*this);

    // One dialog at a time: a second press brings the open one up as it is.
    // A dialog that has been closed is hidden until its deletion runs.
    Form2* dialog = nullptr;
    for (Form2* child : findChildren<Form2*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!child->isHidden()) {
            dialog = child;
            break;
        }
    }
    if (!dialog)
        dialog = new Form2(*this);
    dialog->setWindowState(dialog->windowState() & ~Qt::WindowMinimized);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
