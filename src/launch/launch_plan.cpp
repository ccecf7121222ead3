#include "launch/launch_plan.h"

#include "store/field_text.h"

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

LaunchPlan planLaunch(const QString& target, const QString& options, const QString& workingFolder,
                      bool executableFile, const QString& homeFolder)
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

    plan.folder = isBlankPathField(workingFolder) ? homeFolder : workingFolder;
    if (extension == QStringLiteral("exe") || executableFile) {
        plan.route = LaunchPlan::Route::Program;
        // Only one space is the stored form of "no options"; a full-width
        // space is an option like any other text.
        if (!options.isEmpty() && options != QStringLiteral(" "))
            plan.arguments << options;
    } else {
        plan.route = LaunchPlan::Route::Document;
    }
    return plan;
}

LinkIconSource linkIconSource(const QString& target, bool executableFile)
{
    if (isBlankPathField(target))
        return LinkIconSource::None;
    if (launchExtension(target) == QStringLiteral("exe") || executableFile)
        return LinkIconSource::Program;
    if (target.left(7).toLower() == QStringLiteral("http://"))
        return LinkIconSource::HelpPage;
    return LinkIconSource::Associated;
}
