#include "launch/launch_plan.h"

#include <algorithm>

#include "platform/command_line.h"
#include "store/field_text.h"

namespace
{

// Extensions of files that are run rather than read: shell and interpreter
// scripts, and self-extracting installers and bundles.
const QStringList kScriptExtensions = {
    QStringLiteral("sh"),      QStringLiteral("bash"),     QStringLiteral("zsh"),
    QStringLiteral("ksh"),     QStringLiteral("csh"),      QStringLiteral("tcsh"),
    QStringLiteral("fish"),    QStringLiteral("py"),       QStringLiteral("pl"),
    QStringLiteral("rb"),      QStringLiteral("lua"),      QStringLiteral("tcl"),
    QStringLiteral("php"),     QStringLiteral("run"),      QStringLiteral("bin"),
    QStringLiteral("command"), QStringLiteral("appimage"),
};

bool isDigits(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

QString launchExtension(const QString& target)
{
    return target.right(3).toLower();
}

bool isBlankPathField(const QString& text)
{
    return isBlankField(text) || text == QStringLiteral("　");
}

bool isWebAddress(const QString& target)
{
    return target.startsWith(QStringLiteral("http://"), Qt::CaseSensitive);
}

bool hasScriptName(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return true;
    const QString extension = fileName.mid(dot + 1);
    if (extension.isEmpty() || isDigits(extension))
        return true;
    return kScriptExtensions.contains(extension, Qt::CaseInsensitive);
}

bool runsAsProgram(const QString& target, ProgramKind kind)
{
    const QString extension = launchExtension(target);
    if (extension == QStringLiteral("exe"))
        return true;
    // These always go to the office suite, whatever the file holds.
    if (extension == QStringLiteral("xls") || extension == QStringLiteral("doc"))
        return false;
    switch (kind) {
    case ProgramKind::Elf:
        return true;
    case ProgramKind::Script:
        return hasScriptName(target.mid(target.lastIndexOf(QLatin1Char('/')) + 1));
    case ProgramKind::None:
        break;
    }
    return false;
}

QString launchFolder(const QString& workingFolder, const QString& homeFolder)
{
    return isBlankPathField(workingFolder) ? homeFolder : workingFolder;
}

LaunchPlan planLaunch(const QString& target, const QString& options, const QString& workingFolder,
                      ProgramKind kind, const QString& homeFolder)
{
    LaunchPlan plan;
    plan.target = target;
    const QString extension = launchExtension(target);
    if (extension == QStringLiteral("xls")) {
        plan.route = LaunchPlan::Route::Spreadsheet;
        return plan;
    }
    if (extension == QStringLiteral("doc")) {
        plan.route = LaunchPlan::Route::WordProcessor;
        return plan;
    }

    plan.folder = launchFolder(workingFolder, homeFolder);
    if (runsAsProgram(target, kind)) {
        plan.route = LaunchPlan::Route::Program;
        // One space is the stored form of "no options", which the split
        // drops like any blank; a full-width space is a word like any other.
        if (const auto words = splitCommandLine(options))
            plan.arguments = *words;
        else
            plan.unsplittableOptions = true;
    } else {
        plan.route = LaunchPlan::Route::Document;
    }
    return plan;
}

LinkIconSource linkIconSource(const QString& target, ProgramKind kind)
{
    if (isBlankPathField(target))
        return LinkIconSource::None;
    if (runsAsProgram(target, kind))
        return LinkIconSource::Program;
    if (target.left(7).toLower() == QStringLiteral("http://"))
        return LinkIconSource::HelpPage;
    return LinkIconSource::Associated;
}
