#include <QApplication>

#include "platform/browser.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/memory.h"
#include "platform/picture.h"
#include "platform/paint.h"
#include "platform/process.h"
#include "platform/services.h"
#include "platform/shell.h"
#include "store/catalogue_db.h"
#include "ui/look.h"
#include "ui/main/form1.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QUILMO"));
    QApplication::setApplicationDisplayName(QStringLiteral("QUILMO"));
    // The windows are designed around the Japanese UI font of their day.
    QApplication::setFont(designFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));

    // The catalogue, the memo folder and the help page live beside the program.
    const QString programFolder = QApplication::applicationDirPath();
    createCatalogueIfMissing(catalogueFilePath(programFolder));

    QtDialogs dialogs;
    ProcMemoryStatus memory;
    SystemClock clock;
    QtProcessControl process;
    QtPictureLoader pictures;
    MemoPaintProgram paint;
    DesktopShell shell;
    DesktopBrowser browser;
    Services services;
    services.dialogs = &dialogs;
    services.memory = &memory;
    services.clock = &clock;
    services.process = &process;
    services.pictures = &pictures;
    services.paint = &paint;
    services.shell = &shell;
    services.browser = &browser;

    Form1 form(services, programFolder);
    form.Form_Load();
    form.show();
    return QApplication::exec();
}
