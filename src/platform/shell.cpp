#include "platform/shell.h"

#include <memory>

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

// GLib's D-Bus headers name a struct member "signals", which Qt defines as a
// keyword macro.
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#define signals Q_SIGNALS

namespace
{

struct GObjectUnref {
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <typename T> using GPtr = std::unique_ptr<T, GObjectUnref>;

struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
using GString_ = std::unique_ptr<char, GFree>;

QUrl urlFor(const QString& target)
{
    if (hasUrlScheme(target))
        return QUrl(target, QUrl::TolerantMode);
    return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
}

QIcon iconFrom(GIcon* icon)
{
    if (!icon)
        return {};
    if (G_IS_FILE_ICON(icon)) {
        GString_ path(g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon))));
        return path ? QIcon(QString::fromUtf8(path.get())) : QIcon();
    }
    if (G_IS_THEMED_ICON(icon)) {
        const gchar* const* names = g_themed_icon_get_names(G_THEMED_ICON(icon));
        for (; names && *names; ++names) {
            const QIcon themed = QIcon::fromTheme(QString::fromUtf8(*names));
            if (!themed.isNull())
                return themed;
        }
    }
    return {};
}

QString desktopEntryPath(GAppInfo* app)
{
    if (!app || !G_IS_DESKTOP_APP_INFO(app))
        return {};
    const char* file = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(app));
    return file ? QString::fromUtf8(file) : QString();
}

// The full, resolved path of the program a desktop entry runs.
QString entryExecutable(GAppInfo* app)
{
    const char* exec = g_app_info_get_executable(app);
    if (!exec || !*exec)
        return {};
    GString_ found(g_find_program_in_path(exec));
    return found ? QFileInfo(QString::fromUtf8(found.get())).canonicalFilePath() : QString();
}

// An executable named without a folder is looked up on PATH, as starting it
// would do.
QFileInfo resolveProgram(const QString& program)
{
    QFileInfo info(program);
    if (!info.exists() && !program.contains(QLatin1Char('/'))) {
        const QString onPath = QStandardPaths::findExecutable(program);
        if (!onPath.isEmpty())
            info.setFile(onPath);
    }
    return info;
}

} // namespace

bool hasUrlScheme(const QString& target)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]+:"));
    return scheme.match(target).hasMatch();
}

DesktopShell::DesktopShell()
{
    // GIO names icons from the freedesktop icon themes. Without a desktop's
    // platform theme Qt knows neither where those themes lie nor which one is
    // in use, and every icon would come out null.
    QStringList paths = QIcon::themeSearchPaths();
    QStringList dataDirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    dataDirs.prepend(QDir::homePath() + QStringLiteral("/.local/share"));
    for (const QString& dir : dataDirs) {
        const QString icons = dir + QStringLiteral("/icons");
        if (!paths.contains(icons) && QFileInfo(icons).isDir())
            paths << icons;
    }
    QIcon::setThemeSearchPaths(paths);
    // hicolor is only the base every theme inherits from; it has no icon for
    // executables, which Adwaita (installed with the program) has.
    const QString theme = QIcon::themeName();
    if (theme.isEmpty() || theme == QStringLiteral("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));

    // Installing, removing or re-associating an application makes what was
    // looked up stale. The monitor reports through GLib's main context, which
    // Qt's event loop runs.
    GAppInfoMonitor* monitor = g_app_info_monitor_get();
    m_monitor = monitor;
    m_monitorHandler = g_signal_connect_swapped(
        monitor, "changed", G_CALLBACK(+[](DesktopShell* shell) { shell->forgetLookups(); }), this);
}

DesktopShell::~DesktopShell()
{
    if (m_monitor) {
        g_signal_handler_disconnect(m_monitor, m_monitorHandler);
        g_object_unref(m_monitor);
    }
}

void DesktopShell::forgetLookups()
{
    m_programOfType.clear();
    m_iconOfProgram.clear();
}

bool DesktopShell::openDocument(const QString& target)
{
    if (target.isEmpty())
        return false;
    const QUrl url = urlFor(target);
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return false;

    GError* error = nullptr;
    if (g_app_info_launch_default_for_uri(url.toEncoded().constData(), nullptr, &error))
        return true;
    g_clear_error(&error);
    // GIO knows no handler; a sandbox portal or xdg-open behind Qt may still.
    return QDesktopServices::openUrl(url);
}

bool DesktopShell::startProgram(const QString& program, const QStringList& arguments,
                                const QString& workingFolder)
{
    return QProcess::startDetached(program, arguments, workingFolder);
}

QString DesktopShell::findOfficeSuite()
{
    for (const char* name : {"libreoffice", "soffice"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString DesktopShell::findAssociatedProgram(const QString& file)
{
    if (file.isEmpty())
        return {};
    if (hasUrlScheme(file)) {
        const QByteArray scheme = QUrl(file, QUrl::TolerantMode).scheme().toUtf8();
        if (scheme.isEmpty())
            return {};
        GPtr<GAppInfo> app(g_app_info_get_default_for_uri_scheme(scheme.constData()));
        return desktopEntryPath(app.get());
    }
    if (!QFileInfo::exists(file))
        return {};

    GPtr<GFile> gfile(g_file_new_for_path(QFile::encodeName(file).constData()));
    GPtr<GFileInfo> info(g_file_query_info(gfile.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                           G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
    const char* type = info ? g_file_info_get_content_type(info.get()) : nullptr;
    if (!type)
        return {};
    const QByteArray contentType(type);
    if (const auto known = m_programOfType.constFind(contentType);
        known != m_programOfType.constEnd())
        return known.value();
    ++m_associationLookups;
    GPtr<GAppInfo> app(g_app_info_get_default_for_type(type, FALSE));
    const QString program = desktopEntryPath(app.get());
    m_programOfType.insert(contentType, program);
    return program;
}

QIcon DesktopShell::programIcon(const QString& program)
{
    if (program.isEmpty())
        return {};
    if (program.endsWith(QStringLiteral(".desktop"))) {
        if (const auto known = m_iconOfProgram.constFind(program);
            known != m_iconOfProgram.constEnd())
            return known.value();
        GPtr<GDesktopAppInfo> entry(
            g_desktop_app_info_new_from_filename(QFile::encodeName(program).constData()));
        if (entry) {
            const QIcon icon = iconFrom(g_app_info_get_icon(G_APP_INFO(entry.get())));
            m_iconOfProgram.insert(program, icon);
            return icon;
        }
    }

    const QFileInfo info = resolveProgram(program);
    if (!info.isFile())
        return {};
    const QString wanted = info.canonicalFilePath();
    if (const auto known = m_iconOfProgram.constFind(wanted); known != m_iconOfProgram.constEnd())
        return known.value();
    GList* apps = g_app_info_get_all();
    QIcon icon;
    for (GList* item = apps; item && icon.isNull(); item = item->next) {
        auto* app = static_cast<GAppInfo*>(item->data);
        if (entryExecutable(app) == wanted)
            icon = iconFrom(g_app_info_get_icon(app));
    }
    g_list_free_full(apps, g_object_unref);
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral("application-x-executable"));
    m_iconOfProgram.insert(wanted, icon);
    return icon;
}
