#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Fail, DataCommand };
    Action action = Action::Run;
    // The folder given with --data-folder, empty when none was given.
    QString dataFolder;
    // The text to print for ShowHelp, ShowVersion and Fail.
    QString text;
    // DataCommand: what to do with the catalogue before any window opens.
    bool listBackups = false;
    QString restoreName;
    QString exportFile;
    // The catalogue given with --catalogue (a file or a server's connection
    // string), empty when none was given.
    QString catalogue;
    // DataCommand: --copy-catalogue FROM TO.
    QString copyFrom;
    QString copyTo;
};

// Reads arguments (the program's name first). Works before any application
// object exists, so --help and --version answer without a display. Qt's own
// options (-style Fusion, -platform wayland, -reverse, -session ID, ...) are
// passed over here and left for QApplication to take.
CommandLine parseCommandLine(const QStringList& arguments);
