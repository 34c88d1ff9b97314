#include "platform/url_opener.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace qm {

namespace {
UrlOpener* g_opener = nullptr;
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
    static DesktopUrlOpener desktop;
    return g_opener ? *g_opener : desktop;
}

UrlOpener* SetUrlOpener(UrlOpener* opener)
{
    UrlOpener* previous = g_opener;
    g_opener = opener;
    return previous;
}

bool OpenUrl(const std::string& url)
{
    return CurrentUrlOpener().open(url);
}

} // namespace qm
