#include "platform/url_opener.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace qm {

bool DesktopUrlOpener::open(const std::string& url)
{
    // xdg-open is what the desktop services use on a free desktop; it needs no
    // GUI connection in this process, so the core stays free of Qt Gui.
    return QProcess::startDetached(
        QStringLiteral("xdg-open"),
        QStringList{QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size()))});
}

} // namespace qm
