#include "platform/browser.h"

#include <memory>

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "platform/shell.h"

// GLib's D-Bus headers name a struct member "signals", which Qt defines as a
// keyword macro.
#undef signals
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

// Hands a page that is not there to the browser all the same, so that it
// shows its own error page as it does for any address it cannot reach. The
// desktop's association looks into the file, so the browser is found by what
// the name says the page is, else as the handler of web addresses.
bool openMissingPage(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    gchar* type = g_content_type_guess(name.constData(), nullptr, 0, nullptr);
    std::unique_ptr<GAppInfo, GObjectUnref> app(g_app_info_get_default_for_type(type, FALSE));
    g_free(type);
    if (!app)
        app.reset(g_app_info_get_default_for_uri_scheme("http"));
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    if (app) {
        const QByteArray uri = url.toEncoded();
        GList uris{const_cast<char*>(uri.constData()), nullptr, nullptr};
        GError* error = nullptr;
        if (g_app_info_launch_uris(app.get(), &uris, nullptr, &error))
            return true;
        g_clear_error(&error);
    }
    return QDesktopServices::openUrl(url);
}

class DesktopBrowserWindow final : public BrowserWindow
{
public:
    bool Navigate(const QString& address) override
    {
        // The default browser is the program the desktop opens web pages
        // with, so the shell's association finds it for pages and files alike.
        if (address.isEmpty() || hasUrlScheme(address) || QFileInfo::exists(address))
            return m_shell.openDocument(address);
        return openMissingPage(address);
    }
    void setVisible(bool visible) override { m_visible = visible; }
    bool isVisible() const override { return m_visible; }

private:
    DesktopShell m_shell;
    bool m_visible = false;
};

} // namespace

std::unique_ptr<BrowserWindow> DesktopBrowser::createWindow()
{
    return std::make_unique<DesktopBrowserWindow>();
}
