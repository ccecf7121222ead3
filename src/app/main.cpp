#include <cstdio>

#include <QApplication>
#include <QStringList>

#include "app/catalogue_choice.h"
#include "app/command_line.h"
#include "app/data_commands.h"
#include "app/data_folder.h"
#include "app/shipped_files.h"
#include "app/start.h"
#include "platform/desktop_services.h"
#include "store/catalogue_db.h"
#include "ui/app_setup.h"
#include "ui/main/form1.h"

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("QUILMO"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILMO_VERSION));

    // --help and --version answer before the window system is reached, so
    // they work on a terminal without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine commandLine = parseCommandLine(arguments);
    switch (commandLine.action) {
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Action::Fail:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stderr);
        return 2;
    case CommandLine::Action::DataCommand: {
        const QCoreApplication core(argc, argv);
        return runDataCommand(commandLine);
    }
    case CommandLine::Action::Run:
        break;
    }

    QApplication app(argc, argv);
    setUpApplication(app);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.quilmo"));

    const QString programFolder = QApplication::applicationDirPath();
    const QString dataFolder =
        chooseDataFolder(programFolder, commandLine.dataFolder, userDataFolder());
    setChosenCatalogue(chooseCatalogue(dataFolder, commandLine.catalogue));

    DesktopServices platform;
    const auto form =
        openMainWindow(platform.services(), dataFolder, findSharedFolder(programFolder));
    return QApplication::exec();
}
