#include "common/shortcut.h"

#include <climits>
#include <optional>
#include <string_view>

#include "common/display_text.h"
#include "platform/desktop_association.h"
#include "platform/desktop_entry.h"
#include "platform/file_system.h"
#include "platform/process_start.h"
#include "platform/special_folders.h"
#include "platform/string_util.h"

namespace qm {

namespace {

bool isWindowsProgram(const std::string& target)
{
    if (target.size() < 4)
        return false;
    // A native program that happens to be named .exe runs as it is.
    return endsWithNoCase(target, ".exe") && !IsNativeExecutable(target);
}

bool sameFolder(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    const fs::FileInfo fa = fs::Stat(a);
    const fs::FileInfo fb = fs::Stat(b);
    return fa.kind == fs::FileKind::Folder && fb.kind == fs::FileKind::Folder &&
           fa.device == fb.device && fa.inode == fb.inode;
}

} // namespace

std::optional<std::string> DesktopEntryText(const std::string& displayName,
                                            const std::string& target, const std::string& arguments,
                                            const ShortcutRunner* runner)
{
    const bool windows = isWindowsProgram(target);
    std::string exec;
    if (runner) {
        if (!runner->environment.empty())
            exec = "env ";
        for (const auto& [name, value] : runner->environment)
            exec += QuoteExecArgument(name + "=" + value) + " ";
        for (const std::string& word : runner->command)
            exec += QuoteExecArgument(word) + " ";
    } else if (windows) {
        exec = "wine ";
    }
    if (!runner || runner->namesTarget)
        exec += QuoteExecArgument(target);
    else if (!exec.empty())
        exec.pop_back();
    std::vector<std::string> args = SplitWindowsCommandLine(arguments);
    if (windows)
        args = ArgumentsForWindowsProgram(std::move(args));
    for (const std::string& a : args)
        exec += " " + QuoteExecArgument(a);
    const std::string dir = withoutTrailingSeparator(fs::FolderOf(target));

    // A Desktop Entry file is UTF-8. The name is only shown, so it takes the
    // display rule; but Exec and Path must name files as the file system
    // spells them, and a spelling that is not UTF-8 cannot be written there
    // (its display text would name another file): no shortcut rather than a
    // shortcut that starts nothing.
    if (!IsValidUtf8(exec) || !IsValidUtf8(dir))
        return std::nullopt;
    std::string text = "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Name=" + EscapeDesktopValue(DisplayUtf8(displayName)) + "\n";
    text += "Exec=" + EscapeDesktopValue(exec) + "\n";
    if (!dir.empty())
        text += "Path=" + EscapeDesktopValue(dir) + "\n";
    return text;
}

int32_t CreateShortcut(ShortcutJoin join, const std::string& folder, const std::string& target,
                       const std::string& arguments, const std::string& name,
                       const ShortcutRunner* runner)
{
    std::string path = join == ShortcutJoin::Setup ? folder + "/" + name : folder + name;
    if (asciiLower(path).find(".desktop") == std::string::npos)
        path += ".desktop";
    if (path.size() >= PATH_MAX)
        return kShortcutPathTooLong;

    const std::string dir = withoutTrailingSeparator(fs::FolderOf(path));
    if (dir.empty() || !fs::IsFolder(dir))
        return kShortcutFolderMissing;

    std::string base = path.substr(path.find_last_of('/') + 1);
    if (base.size() > 8 && endsWithNoCase(base, ".desktop"))
        base.resize(base.size() - 8);
    const std::optional<std::string> entry = DesktopEntryText(base, target, arguments, runner);
    if (!entry)
        return kShortcutNotUtf8;
    const std::string& text = *entry;

    // Executable, as desktops want of a launcher they are asked to trust.
    fs::SaveOptions options;
    options.mode = 0755;
    options.applyUmask = false;
    if (!fs::SaveFileAtomic(path, text, options))
        return kShortcutWriteFailed;
    if (sameFolder(dir, GetSpecialFolder(SpecialFolder::Desktop)))
        MarkLauncherTrusted(path, nullptr); // a launcher that stays untrusted still opens by hand
    return kShortcutOk;
}

bool ShortcutStarts(const std::string& path, const std::string& program)
{
    const auto text = fs::ReadWholeFile(path, 1 << 20);
    return text && text->rfind("[Desktop Entry]", 0) == 0 &&
           text->find(program) != std::string::npos;
}

} // namespace qm
