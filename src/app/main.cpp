#include <QApplication>

#include "platform/desktop_services.h"
#include "store/catalogue_db.h"
#include "ui/app_setup.h"
#include "ui/main/form1.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    setUpApplication(app);

    // The catalogue, the memo folder and the help page live beside the program.
    const QString programFolder = QApplication::applicationDirPath();
    createCatalogueIfMissing(catalogueFilePath(programFolder));

    DesktopServices platform;
    Form1 form(platform.services(), programFolder);
    form.Form_Load();
    form.show();
    return QApplication::exec();
}
