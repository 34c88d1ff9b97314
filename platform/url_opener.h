#pragma once

#include "platform/service_slot.h"

#include <string>
#include <vector>

namespace qm {

// Opens an address in the user's browser (ShellExecute "open" of a URL).
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // True when the browser could be asked; callers do not look at it.
    virtual bool open(const std::string& url) = 0;
};

// The desktop's opener (xdg-open), started detached.
class DesktopUrlOpener : public UrlOpener {
public:
    bool open(const std::string& url) override;
};

// Remembers every address instead of opening it.
class RecordingUrlOpener : public UrlOpener {
public:
    bool open(const std::string& url) override
    {
        m_urls.push_back(url);
        return true;
    }
    const std::vector<std::string>& urls() const { return m_urls; }

private:
    std::vector<std::string> m_urls;
};

UrlOpener& CurrentUrlOpener();
// Installs opener (nullptr restores the desktop's); returns the one before.
UrlOpener* SetUrlOpener(UrlOpener* opener);

using ScopedUrlOpener = ScopedService<UrlOpener, SetUrlOpener>;

// The stand-in for ShellExecute "open" of a URL.
bool OpenUrl(const std::string& url);

} // namespace qm
