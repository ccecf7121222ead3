// The path helpers and the launch plan on arbitrary texts, with the
// properties that hold whatever the text.

#include <cstdio>
#include <cstdlib>

#include <QRegularExpression>
#include <QStringList>

#include "fuzz_input.h"
#include "launch/launch_plan.h"
#include "launch/path_helpers.h"
#include "store/field_text.h"

namespace
{

[[noreturn]] void fail(const char* what, const QString& input, const QString& result)
{
    std::fprintf(stderr, "%s\n  input: [%s]\n  result: [%s]\n", what, qPrintable(input),
                 qPrintable(result));
    std::abort();
}

bool isSeparator(QChar c)
{
    return c == u'\\' || c == u'/';
}

bool hasSeparator(const QString& s)
{
    return s.contains(u'\\') || s.contains(u'/');
}

void checkPathHelpers(const QString& path)
{
    const QString s = trimSpaces(path);
    const QString folder = Module1::ExtractFolderPath(path);
    const QString file = Module1::ExtractFileName(path);
    const QString name = Module1::ExtractFolderName(path);

    if (hasSeparator(file))
        fail("a file name holds a separator", path, file);
    if (!s.endsWith(file))
        fail("a file name is not the end of the path", path, file);
    if (hasSeparator(name))
        fail("a folder name holds a separator", path, name);
    if (!name.isEmpty() && !s.contains(name + QLatin1Char('/')) &&
        !s.contains(name + QLatin1Char('\\')))
        fail("a folder name is not followed by a separator in the path", path, name);
    if (s.contains(u'.')) {
        // A path with a dot is cut into folder and file without loss.
        if (folder + file != s)
            fail("folder and file do not make up the path", path, folder + QLatin1Char('|') + file);
    } else {
        // A path without a dot is a folder: it comes back with one separator added.
        if (folder.size() != s.size() + 1 || !folder.startsWith(s) || !isSeparator(folder.back()))
            fail("a folder path does not end in one added separator", path, folder);
    }
    // Cutting the folder part again changes nothing when it has a separator.
    if (hasSeparator(folder) && folder.contains(u'.') &&
        Module1::ExtractFolderPath(folder) != folder)
        fail("the folder of a folder path differs", path, Module1::ExtractFolderPath(folder));
}

void checkLaunchPlan(const QString& target, const QString& options, const QString& working,
                     ProgramKind kind, const QString& home)
{
    const LaunchPlan plan = planLaunch(target, options, working, kind, home);
    if (plan.target != target)
        fail("the plan changed the target", target, plan.target);
    const QString extension = launchExtension(target);
    switch (plan.route) {
    case LaunchPlan::Route::Spreadsheet:
    case LaunchPlan::Route::WordProcessor:
        if (!plan.folder.isEmpty() || !plan.arguments.isEmpty())
            fail("an office route has a folder or arguments", target, plan.folder);
        if (extension != u"xls" && extension != u"doc")
            fail("an office route for another extension", target, extension);
        break;
    case LaunchPlan::Route::Program:
    case LaunchPlan::Route::Document: {
        const QString expected = isBlankPathField(working) ? home : working;
        if (plan.folder != expected)
            fail("the working folder is wrong", working, plan.folder);
        const bool program = plan.route == LaunchPlan::Route::Program;
        if (program != runsAsProgram(target, kind))
            fail("program route and executable disagree", target, extension);
        if (!program && (!plan.arguments.isEmpty() || plan.unsplittableOptions))
            fail("a document has arguments", options, plan.arguments.join(u'|'));
        if (plan.unsplittableOptions && !plan.arguments.isEmpty())
            fail("options that cannot be split still give arguments", options,
                 plan.arguments.join(u'|'));
        // Words of plain characters between single spaces are split at the
        // spaces and nowhere else; nothing else in them is read. "\z": "$"
        // would also match before a final line break, which a shell splits at.
        static const QRegularExpression plainWords(
            QStringLiteral("^[A-Za-z0-9=,.:/_+-]*( +[A-Za-z0-9=,.:/_+-]+)* *\\z"));
        if (program && plainWords.match(options).hasMatch() &&
            plan.arguments != options.split(u' ', Qt::SkipEmptyParts))
            fail("plain options split wrongly", options, plan.arguments.join(u'|'));
        // One quote left open never splits.
        if (program && options.count(u'"') == 1 && !options.contains(u'\\') &&
            !options.contains(u'\'') && !options.contains(u'#') && !plan.unsplittableOptions)
            fail("an unbalanced quote split", options, plan.arguments.join(u'|'));
        break;
    }
    }
    const LinkIconSource icon = linkIconSource(target, kind);
    if ((icon == LinkIconSource::None) != isBlankPathField(target))
        fail("a blank target has an icon, or a named one none", target, QString());
    if (isWebAddress(target) && !runsAsProgram(target, kind) && icon != LinkIconSource::HelpPage)
        fail("a web address without the help page icon", target, QString());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const auto kind = static_cast<ProgramKind>(data[0] % 3);
    const bool utf16 = data[0] & 2;
    // Path or target, options, working folder, home folder.
    const QStringList texts = splitTexts(data + 1, size - 1, utf16, 4);
    for (const QString& text : texts)
        checkPathHelpers(text);
    checkLaunchPlan(texts[0], texts[1], texts[2], kind, texts[3]);
    return 0;
}
