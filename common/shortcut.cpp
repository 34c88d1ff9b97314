#include "common/shortcut.h"

#include <QString>
#include <cctype>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/desktop_association.h"
#include "platform/desktop_entry.h"
#include "platform/process_start.h"
#include "platform/special_folders.h"

namespace qm {

namespace {

std::string toUtf8(const std::string& local)
{
    return QString::fromLocal8Bit(local.data(), static_cast<qsizetype>(local.size()))
        .toUtf8()
        .toStdString();
}

bool isWindowsProgram(const std::string& target)
{
    if (target.size() < 4)
        return false;
    std::string ext = target.substr(target.size() - 4);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    // A native program that happens to be named .exe runs as it is.
    return ext == ".exe" && !IsNativeExecutable(target);
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool sameFolder(const std::string& a, const std::string& b)
{
    struct stat sa {};
    struct stat sb {};
    return !a.empty() && !b.empty() && ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

std::string DesktopEntryText(const std::string& displayName, const std::string& target,
                             const std::string& arguments, const ShortcutRunner* runner)
{
    std::string exec;
    if (runner) {
        if (!runner->environment.empty())
            exec = "env ";
        for (const auto& [name, value] : runner->environment)
            exec += QuoteExecArgument(name + "=" + value) + " ";
        for (const std::string& word : runner->command)
            exec += QuoteExecArgument(word) + " ";
    } else if (isWindowsProgram(target)) {
        exec = "wine ";
    }
    if (!runner || runner->namesTarget)
        exec += QuoteExecArgument(target);
    else if (!exec.empty())
        exec.pop_back();
    for (const std::string& a : SplitWindowsCommandLine(arguments))
        exec += " " + QuoteExecArgument(a);

    std::string text = "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Name=" + EscapeDesktopValue(toUtf8(displayName)) + "\n";
    text += "Exec=" + EscapeDesktopValue(toUtf8(exec)) + "\n";
    const std::string dir = folderOf(target);
    if (!dir.empty())
        text += "Path=" + EscapeDesktopValue(toUtf8(dir)) + "\n";
    return text;
}

int32_t CreateShortcut(ShortcutJoin join, const std::string& folder, const std::string& target,
                       const std::string& arguments, const std::string& name,
                       const ShortcutRunner* runner)
{
    std::string path = join == ShortcutJoin::Setup ? folder + "/" + name : folder + name;
    if (lower(path).find(".desktop") == std::string::npos)
        path += ".desktop";
    if (path.size() >= PATH_MAX)
        return kShortcutPathTooLong;

    const std::string dir = folderOf(path);
    struct stat st {};
    if (dir.empty() || ::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return kShortcutFolderMissing;

    std::string base = path.substr(path.find_last_of('/') + 1);
    if (lower(base).size() > 8 && lower(base).ends_with(".desktop"))
        base.resize(base.size() - 8);
    const std::string text = DesktopEntryText(base, target, arguments, runner);

    // Written beside the final name and renamed over it, so a failed write
    // leaves neither a half file nor a stray temporary one.
    std::string tmp = path + ".XXXXXX";
    std::vector<char> buf(tmp.begin(), tmp.end());
    buf.push_back('\0');
    const int fd = ::mkstemp(buf.data());
    if (fd < 0)
        return kShortcutWriteFailed;
    tmp = buf.data();
    size_t done = 0;
    bool ok = true;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    ok = ::fchmod(fd, 0755) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return kShortcutWriteFailed;
    }
    if (sameFolder(dir, GetSpecialFolder(SpecialFolder::Desktop)))
        MarkLauncherTrusted(path, nullptr); // a launcher that stays untrusted still opens by hand
    return kShortcutOk;
}

} // namespace qm
