#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include "images/form3.h"
#include "ui/main/form1.h"

void Form1::Command12_Click()
{
    Text8->clear();

    // The chooser starts at the working folder and leaves the process there,
    // as launching does; a blank or missing folder opens at the home folder,
    // without a message.
    const QString typed = Text6->text();
    QString folder;
    if (!typed.isEmpty() && typed != QLatin1String(" ")) {
        const QFileInfo info(typed);
        if (info.isDir() && QDir::setCurrent(info.absoluteFilePath()))
            folder = QDir::cleanPath(info.absoluteFilePath());
    }

    Form3* chooser = nullptr;
    for (Form3* child : findChildren<Form3*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!child->isHidden()) {
            chooser = child;
            break;
        }
    }
    if (folder.isEmpty()) {
        folder = QDir::homePath();
        QDir::setCurrent(folder);
        // Even a chooser that is already up goes to the home folder then.
        if (chooser)
            chooser->openFolder(folder);
    }
    if (!chooser)
        chooser = new Form3(*this, folder);
    chooser->setWindowState(chooser->windowState() & ~Qt::WindowMinimized);
    chooser->show();
    chooser->raise();
    chooser->activateWindow();
}
