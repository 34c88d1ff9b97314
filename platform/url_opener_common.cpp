#include "platform/url_opener.h"

// The replaceable opener, the same on every system; only
// DesktopUrlOpener::open differs (url_opener.cpp and its win32 twin).
namespace qm {

namespace {
ServiceSlot<UrlOpener, DesktopUrlOpener> g_opener;
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
