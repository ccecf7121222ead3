#include "ui/app_setup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "ui/look.h"

namespace
{

const char kQtJapaneseName[] = "qtbase_ja";

} // namespace

bool installQtJapanese(QApplication& app, const QString& translationsFolder)
{
    if (app.findChild<QTranslator*>(QLatin1String(kQtJapaneseName), Qt::FindDirectChildrenOnly))
        return true;
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLatin1String(kQtJapaneseName), translationsFolder)) {
        delete translator;
        return false;
    }
    translator->setObjectName(QLatin1String(kQtJapaneseName));
    QApplication::installTranslator(translator);
    return true;
}

bool setUpApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("QUILMO"));
    // No display name of our own: the platform appends one to every window
    // title, and the windows carry their exact captions. The program's name
    // still stands in for a title where a message box has none.

    // The windows speak Japanese whatever the desktop's language, and so do
    // the dialogs and buttons Qt provides.
    const bool translated =
        installQtJapanese(app, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (!translated)
        qWarning("Qt's Japanese translations (%s.qm) were not found; standard buttons stay in "
                 "English.",
                 kQtJapaneseName);

    // The windows are designed around the Japanese UI font of their day.
    QApplication::setFont(designFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    return translated;
}
