#include "platform/url_opener.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace qm {

namespace {
ServiceSlot<UrlOpener, DesktopUrlOpener> g_opener;
}

bool DesktopUrlOpener::open(const std::string& url)
{
    // xdg-open is what the desktop services use on a free desktop; it needs no
    // GUI connection in this process, so the core stays free of Qt Gui.
    return QProcess::startDetached(
        QStringLiteral("xdg-open"),
        QStringList{QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size()))});
}

UrlOpener& CurrentUrlOpener()
{
    return g_opener.current();
}

UrlOpener* SetUrlOpener(UrlOpener* opener)
{
    return g_opener.install(opener);
}

bool OpenUrl(const std::string& url)
{
    return CurrentUrlOpener().open(url);
}

} // namespace qm
