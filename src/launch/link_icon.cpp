#include "launch/link_icon.h"

#include <QComboBox>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

#include "help/help_page.h"
#include "launch/launch_plan.h"
#include "launch/program_file.h"
#include "platform/shell.h"
#include "ui/look.h"
#include "ui/main/form1.h"

namespace
{

// The size of a large program icon.
constexpr int kIconSize = 32;

} // namespace

namespace Module1
{

QString FindAssociatedProgram(const Form1& form, const QString& file)
{
    return form.services().shell->findAssociatedProgram(file);
}

void ShowLinkIcon(Form1& form)
{
    QLabel* box = form.Picture1;
    const QString target = form.Combo3->currentText();
    // The file a launch would start: a name without folder is looked for in
    // the working folder, as the launch does.
    const QString file = fileInFolder(target, launchFolder(form.Text6->text(), QDir::homePath()));
    QString program;
    switch (linkIconSource(target, sniffProgram(file))) {
    case LinkIconSource::None:
        box->clear();
        box->setToolTip(QString());
        setPointerDefault(box);
        return;
    case LinkIconSource::Program:
        program = file;
        break;
    case LinkIconSource::HelpPage:
        // The help page is a web page, so its program is the browser.
        program = FindAssociatedProgram(form, helpPagePath(form));
        break;
    case LinkIconSource::Associated:
        program = FindAssociatedProgram(form, file);
        break;
    }

    // No earlier icon may remain when this target has none.
    box->clear();
    const QIcon icon = form.services().shell->programIcon(program);
    if (!icon.isNull())
        box->setPixmap(icon.pixmap(QSize(kIconSize, kIconSize), box->devicePixelRatioF()));
    // Armed even without an icon: a click still launches the target.
    box->setToolTip(kLinkIconToolTip);
    setPointerCustom(box);
    box->update();
}

} // namespace Module1
