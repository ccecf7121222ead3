#include "platform/page_opener.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopPageOpener::openPage(const QString& address)
{
    QDesktopServices::openUrl(QUrl(address));
}
