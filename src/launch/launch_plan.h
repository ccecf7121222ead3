#pragma once

#include <QString>
#include <QStringList>

// What a link target turns into when it is launched, decided from the texts of
// the editor alone, so the rules can be checked without starting anything.

// The last three characters of a link target, lower-cased, without looking for
// a dot: "a.xlsx" gives "lsx", "ab" gives "ab".
QString launchExtension(const QString& target);

// A working folder or link target that is empty, one space, or one
// ideographic space names nothing.
bool isBlankPathField(const QString& text);

// A web address for the one-click launch: begins with "http://" exactly, in
// lower case.
bool isWebAddress(const QString& target);

// What the first bytes of a regular file with execute permission show it to
// be. Anything else, a file that cannot be read included, is None.
enum class ProgramKind {
    None,   // not an executable file, or one whose content is no program
    Elf,    // a binary: begins with 0x7F "ELF"
    Script, // begins with "#!"
};

// True when fileName has no extension or one that scripts carry ("sh", "py",
// "AppImage", case-blind). A dot that begins the name or is followed by
// digits only ("pip3.11") starts no extension.
bool hasScriptName(const QString& fileName);

// Whether target is started as a program rather than opened through its
// association: a name ending in "exe" always is, one ending in "xls" or "doc"
// never (those belong to the office suite); otherwise only an ELF binary, or a
// script named like one. A document that merely has the execute bit (as
// every file on a FAT or NTFS drive does) is not. kind describes the file
// target names.
bool runsAsProgram(const QString& target, ProgramKind kind);

// The folder a program or document is started from: workingFolder, or
// homeFolder when the working folder is blank.
QString launchFolder(const QString& workingFolder, const QString& homeFolder);

struct LaunchPlan {
    enum class Route {
        Spreadsheet,   // the office suite's spreadsheet program
        WordProcessor, // the office suite's word processor
        Program,       // started directly
        Document,      // opened through the desktop's association
    };
    Route route = Route::Document;
    // The link target as given.
    QString target;
    // Program only: the launch options split into words, as a shell would
    // hand them to the program.
    QStringList arguments;
    // Program only: the options could not be split (an unbalanced quote), so
    // nothing may start.
    bool unsplittableOptions = false;
    // Program and Document: the folder made current before the start. Empty
    // for the office routes, which never look at the working folder.
    QString folder;
};

// The plan for target. kind describes the file target names (see
// runsAsProgram). A blank working folder means homeFolder. A program's launch
// options are split into arguments by splitCommandLine: blanks alone, one
// space included, are none.
LaunchPlan planLaunch(const QString& target, const QString& options, const QString& workingFolder,
                      ProgramKind kind, const QString& homeFolder);

// Where the link icon comes from.
enum class LinkIconSource {
    None,       // blank target: the box is disarmed
    Program,    // the target is itself a program
    HelpPage,   // a web address: the program that opens the help page
    Associated, // the program associated with the target
};

// The link icon's source for target, whose file kind describes; a program is
// what the launch would start as one. Unlike the launch, the web-address test
// here ignores case ("HTTP://" counts).
LinkIconSource linkIconSource(const QString& target, ProgramKind kind);
