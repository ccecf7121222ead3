#pragma once

#include <memory>

#include <QObject>
#include <QString>

// One window of the external web browser, as a window of this program holds
// it: created hidden, pointed at addresses, brought up, and dropped when the
// user closes it (OnQuit).
class BrowserWindow : public QObject
{
    Q_OBJECT
public:
    // Points the window at address: a URL, or a file path. False when the
    // browser could not be reached.
    virtual bool Navigate(const QString& address) = 0;
    virtual void setVisible(bool visible) = 0;
    virtual bool isVisible() const = 0;

signals:
    // The user has closed the window; it must not be used any more.
    void OnQuit();
};

class Browser
{
public:
    virtual ~Browser() = default;
    // A new browser window, not yet visible.
    virtual std::unique_ptr<BrowserWindow> createWindow() = 0;
};

// The desktop's default browser. Each navigation hands the address to the
// browser the desktop associates with it, which shows it in a window or tab of
// its own choosing; that browser lives on its own, so its windows never report
// their closing and a held window simply keeps being reused.
class DesktopBrowser final : public Browser
{
public:
    std::unique_ptr<BrowserWindow> createWindow() override;
};
