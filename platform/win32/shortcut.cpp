#include "common/shortcut.h"

#include "platform/win32/shell_link.h"
#include "platform/win32/wide.h"

#include <algorithm>
#include <windows.h>

#include <objbase.h>
#include <shlguid.h>
#include <shobjidl.h>

// Real .lnk files through the shell's link object. The link also names the
// target's folder as its working folder: the game must start in its folder.

namespace qm {

namespace {

using win32::Wide;

// Releases a COM interface when it leaves scope.
template <class T> class Com {
public:
    ~Com()
    {
        if (m_p)
            m_p->Release();
    }
    T** out() { return &m_p; }
    T* operator->() const { return m_p; }
    T* get() const { return m_p; }

private:
    T* m_p = nullptr;
};

std::string lowered(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string folderOf(const std::string& path)
{
    const size_t sep = path.find_last_of("\\/");
    if (sep == std::string::npos)
        return {};
    // "C:\rf.exe" starts in "C:\", not in the drive's current folder.
    if (sep == 2 && path[1] == ':')
        return path.substr(0, 3);
    return path.substr(0, sep);
}

} // namespace

int32_t CreateShortcut(ShortcutJoin join, const std::string& folder, const std::string& target,
                       const std::string& arguments, const std::string& name, const ShortcutRunner*)
{
    // Done on every call and never undone; a thread that already has COM is fine.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string path = join == ShortcutJoin::Launcher ? folder + name : folder + "\\" + name;
    Com<IShellLinkW> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(link.out()));
    if (FAILED(hr))
        return hr;
    link->SetPath(Wide(target).c_str());
    link->SetArguments(Wide(arguments).c_str());
    link->SetWorkingDirectory(Wide(folderOf(target)).c_str());
    Com<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.out()));
    if (FAILED(hr))
        return hr;
    if (lowered(path).find(".lnk") == std::string::npos)
        path += ".lnk";
    const std::wstring wide = Wide(path);
    // The shell's buffer: 259 characters and the terminating zero.
    if (wide.size() >= MAX_PATH)
        return kShortcutPathTooLong;
    return file->Save(wide.c_str(), TRUE);
}

bool ShortcutStarts(const std::string& path, const std::string& program)
{
    // The shell keeps the target with backslashes, whatever it was given.
    const auto same = [](std::string a, std::string b) {
        std::replace(a.begin(), a.end(), '/', '\\');
        std::replace(b.begin(), b.end(), '/', '\\');
        return lowered(a) == lowered(b);
    };
    const auto link = win32::ReadShellLink(path);
    return link && same(link->target, program);
}

namespace win32 {

std::optional<ShellLinkInfo> ReadShellLink(const std::string& path)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Com<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.out()))))
        return std::nullopt;
    Com<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.out()))) ||
        FAILED(file->Load(Wide(path).c_str(), STGM_READ)))
        return std::nullopt;
    ShellLinkInfo info;
    wchar_t buf[INFOTIPSIZE];
    // SLGP_RAWPATH: the path as stored, environment strings unexpanded.
    if (SUCCEEDED(link->GetPath(buf, INFOTIPSIZE, nullptr, SLGP_RAWPATH)))
        info.target = Bytes(buf);
    if (SUCCEEDED(link->GetArguments(buf, INFOTIPSIZE)))
        info.arguments = Bytes(buf);
    if (SUCCEEDED(link->GetWorkingDirectory(buf, INFOTIPSIZE)))
        info.workingFolder = Bytes(buf);
    return info;
}

} // namespace win32

} // namespace qm
