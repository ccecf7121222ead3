#include "platform/browser.h"

#include "platform/shell.h"

namespace
{

class DesktopBrowserWindow final : public BrowserWindow
{
public:
    bool Navigate(const QString& address) override
    {
        // The default browser is the program the desktop opens web pages
        // with, so the shell's association finds it for pages and files alike.
        return m_shell.openDocument(address);
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
