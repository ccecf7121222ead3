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
    // Program only: the launch options as one argument, or nothing.
    QStringList arguments;
    // Program and Document: the folder made current before the start. Empty
    // for the office routes, which never look at the working folder.
    QString folder;
};

// The plan for target. executableFile tells whether target names an existing
// file with execute permission, which is started like an "exe". A blank
// working folder means homeFolder. Launch options of one space count as none;
// anything else, two spaces included, is passed whole as one argument.
LaunchPlan planLaunch(const QString& target, const QString& options, const QString& workingFolder,
                      bool executableFile, const QString& homeFolder);

// Where the link icon comes from.
enum class LinkIconSource {
    None,       // blank target: the box is disarmed
    Program,    // the target is itself a program
    HelpPage,   // a web address: the program that opens the help page
    Associated, // the program associated with the target
};

// The link icon's source for target. Unlike the launch, the web-address test
// here ignores case ("HTTP://" counts).
LinkIconSource linkIconSource(const QString& target, bool executableFile);
