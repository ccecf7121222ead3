#pragma once

#include <QString>

// Shows a web page in the desktop's browser. The settings dialog's banner
// asks through this interface so that tests can record the address instead
// of starting a browser.
class PageOpener {
public:
    virtual ~PageOpener() = default;
    virtual void openPage(const QString& address) = 0;
};

// The desktop's default browser, through its URL handler.
class DesktopPageOpener final : public PageOpener {
public:
    void openPage(const QString& address) override;
};
