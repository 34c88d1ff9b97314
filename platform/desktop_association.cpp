#include "platform/desktop_association.h"

#include "common/display_text.h"
#include "platform/desktop_entry.h"
#include "platform/exec_argv.h"
#include "platform/file_system.h"
#include "platform/process_start.h"
#include "platform/registry_store.h"
#include "platform/special_folders.h"
#include "platform/string_util.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <map>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qm {

namespace {

constexpr const char* kClasses = "Software\\Classes";
constexpr const char* kEntryGroup = "Desktop Entry";
// Marks an entry this bridge wrote, so a later run may replace it with an
// installed one; an entry without it belongs to the user or to an install.
constexpr const char* kBridgeMark = "X-Quorvel-Manager-Association";

std::string envDir(const char* name, const std::string& fallback)
{
    const char* v = std::getenv(name);
    return v && *v == '/' ? std::string(v) : fallback;
}

std::string configHome()
{
    return envDir("XDG_CONFIG_HOME", HomeFolder() + "/.config");
}

// $XDG_DATA_DIRS (absolute entries only), else the standard pair.
std::vector<std::string> dataDirs()
{
    std::vector<std::string> dirs;
    const char* v = std::getenv("XDG_DATA_DIRS");
    std::string list = v && *v ? v : "/usr/local/share:/usr/share";
    std::stringstream in(list);
    std::string d;
    while (std::getline(in, d, ':'))
        if (!d.empty() && d.front() == '/')
            dirs.push_back(d);
    return dirs;
}

// The desktop's own small files; anything larger is not one we wrote.
std::string readFile(const std::string& path)
{
    return fs::ReadWholeFile(path, 16u << 20).value_or(std::string());
}

bool writeFile(const std::string& path, const std::string& bytes, std::string* error)
{
    fs::MakeFolders(fs::FolderOf(path));
    // 0666 less the umask, as the desktop's own tools create these files.
    std::string why;
    if (fs::SaveFileAtomic(path, bytes, fs::SaveOptions{0666, true, false}, &why))
        return true;
    if (error)
        *error = "cannot write " + path + ": " + why;
    return false;
}

// Runs a desktop tool and waits for it (at most a minute). A tool that is not
// installed is skipped: the files are in place, a later run of the tool picks
// them up. Arguments go to the tool as the bytes they are.
bool runTool(const char* program, const std::vector<std::string>& arguments, std::string* error)
{
    const std::optional<std::string> exe = FindOnPath(program);
    if (!exe)
        return true;
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const std::vector<char*> pointers = ExecPointers(argv);

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) {
        if (error)
            *error = std::string(program) + ": " + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    pid_t pid = -1;
    const int spawned =
        ::posix_spawn(&pid, exe->c_str(), &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);

    std::string text;
    bool finished = spawned == 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (finished) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd fd{out[0], POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&fd, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            finished = false; // hung: stopped below
            break;
        }
        char buffer[4096];
        const ssize_t got = ::read(out[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        if (text.size() < 65536)
            text.append(buffer, static_cast<size_t>(got));
    }
    ::close(out[0]);
    int status = 0;
    if (spawned == 0) {
        if (!finished)
            ::kill(pid, SIGKILL);
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (finished && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    if (error) {
        std::string line = program;
        for (const std::string& a : arguments)
            line += " " + a;
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        *error = line + " failed: " +
                 (spawned != 0 ? std::string(std::strerror(spawned))
                  : !finished  ? std::string("no answer within a minute")
                               : text);
    }
    return false;
}

// True when folder holds an entry that matches.
bool anyEntry(const std::string& folder, const std::function<bool(const fs::FolderEntry&)>& match)
{
    std::vector<fs::FolderEntry> entries;
    fs::ListFolder(folder, &entries);
    return std::any_of(entries.begin(), entries.end(), match);
}

std::string stringOf(const std::optional<RegValue>& v)
{
    if (!v || (v->type != regtype::REG_SZ && v->type != regtype::REG_EXPAND_SZ))
        return std::string();
    return v->data.substr(0, v->data.find('\0'));
}

// The default value of a key below Software\Classes, the user's first.
std::string classValue(const RegistryStore& store, const std::string& key)
{
    const std::string path = std::string(kClasses) + "\\" + key;
    for (RegRoot root : {RegRoot::CurrentUser, RegRoot::LocalMachine})
        if (store.keyExists(root, path))
            return stringOf(store.value(root, path, ""));
    return std::string();
}

// Every extension key with the class it names (folded extension -> class).
std::map<std::string, std::string> extensionClasses(const RegistryStore& store)
{
    std::map<std::string, std::string> out;
    for (RegRoot root : {RegRoot::CurrentUser, RegRoot::LocalMachine})
        for (const std::string& sub : store.subKeys(root, kClasses))
            if (sub.size() > 1 && sub.front() == '.' && !out.count(RegFold(sub.substr(1))))
                out[RegFold(sub.substr(1))] =
                    stringOf(store.value(root, std::string(kClasses) + "\\" + sub, ""));
    return out;
}

std::string firstPart(const std::string& key)
{
    size_t b = key.find_first_not_of('\\');
    if (b == std::string::npos)
        return std::string();
    const size_t e = key.find('\\', b);
    return key.substr(b, e == std::string::npos ? e : e - b);
}

DesktopAssociations*& installed()
{
    static DesktopAssociations* bridge = nullptr;
    return bridge;
}

std::string xmlEscape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

// The extension as it may stand in a MIME type name and a file name.
std::string safeExtension(const std::string& extension)
{
    std::string out;
    for (char c : asciiLower(extension))
        out.push_back((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '.' ||
                              c == '-'
                          ? c
                          : '-');
    return out;
}

std::string commentFor(const std::string& extension, const std::string& description)
{
    const std::string ext = asciiLower(extension);
    if (ext == "vpp")
        return "Red Faction packfile";
    if (ext == "tbl")
        return "Red Faction table file";
    if (ext == "rfl")
        return "Red Faction level";
    if (!description.empty())
        return description;
    std::string upper;
    for (char c : extension)
        upper.push_back(c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c);
    return upper + " file";
}

// The text of the desktop entry for a class: the user's own entry of that
// name when there is one, else an installed one, else a new hidden entry
// (an association is no menu item). Only Exec and MimeType are set; an
// entry of the user's or of an install keeps its own types beside ours.
std::string entryText(const std::string& id, const DesktopFileClass& fileClass,
                      const std::string& exec, const std::vector<std::string>& types)
{
    const std::string user = XdgDataHome() + "/applications/" + id;
    std::string base;
    bool ours = true; // the entry is this bridge's own to rewrite
    if (fs::Exists(user)) {
        base = readFile(user);
        ours = KeyFileValue(base, kEntryGroup, kBridgeMark).has_value();
    }
    bool keepTypes = !ours;
    if (ours) {
        for (const std::string& dir : dataDirs()) {
            const std::string path = dir + "/applications/" + id;
            if (fs::Exists(path)) {
                base = readFile(path);
                keepTypes = true;
                break;
            }
        }
    }
    if (!KeyFileValue(base, kEntryGroup, "Type")) {
        std::string name = fileClass.progId;
        std::replace(name.begin(), name.end(), '.', ' ');
        base = "[Desktop Entry]\nType=Application\nName=" + EscapeDesktopValue(DisplayUtf8(name)) +
               "\nNoDisplay=true\n";
        keepTypes = false;
    }
    std::vector<std::string> mimeTypes;
    if (keepTypes)
        if (const auto v = KeyFileValue(base, kEntryGroup, "MimeType"))
            mimeTypes = SplitKeyFileList(*v);
    for (const std::string& t : types)
        if (std::find(mimeTypes.begin(), mimeTypes.end(), t) == mimeTypes.end())
            mimeTypes.push_back(t);

    std::string text = SetKeyFileValue(base, kEntryGroup, "Exec", EscapeDesktopValue(exec));
    text = RemoveKeyFileValue(text, kEntryGroup, "TryExec");
    text = RemoveKeyFileValue(text, kEntryGroup, "DBusActivatable");
    text = SetKeyFileValue(text, kEntryGroup, "MimeType", joinTerminated(mimeTypes, ';'));
    if (ours)
        text = SetKeyFileValue(text, kEntryGroup, kBridgeMark, "true");
    return text;
}

} // namespace

std::string DesktopMimeTypeFor(const std::string& extension)
{
    const std::string ext = safeExtension(extension);
    return ext == "tbl" ? "text/x-red-faction-tbl" : "application/x-red-faction-" + ext;
}

std::string SystemMimeTypeFor(const std::string& extension)
{
    const std::string glob = "*." + asciiLower(extension);
    std::string best;
    int bestWeight = -1;
    for (const std::string& dir : dataDirs()) {
        std::ifstream in(dir + "/mime/globs2");
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line.front() == '#')
                continue;
            // weight:type:glob[:flags...]
            const size_t a = line.find(':');
            const size_t b = a == std::string::npos ? a : line.find(':', a + 1);
            if (b == std::string::npos)
                continue;
            const size_t c = line.find(':', b + 1);
            const std::string pattern = line.substr(b + 1, c == std::string::npos ? c : c - b - 1);
            if (asciiLower(pattern) != glob)
                continue;
            const int weight = std::atoi(line.substr(0, a).c_str());
            if (weight > bestWeight) {
                bestWeight = weight;
                best = line.substr(a + 1, b - a - 1);
            }
        }
        if (!best.empty())
            break; // the first folder that knows the pattern decides, as lookups do
    }
    return best;
}

std::string DesktopEntryIdFor(const std::string& progId)
{
    std::string id;
    for (char c : progId)
        id.push_back((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                             c == '.' || c == '-' || c == '_'
                         ? c
                         : '_');
    // A file name of dots alone would be no name at all.
    if (id.find_first_not_of('.') == std::string::npos)
        id = "association" + id;
    return id + ".desktop";
}

std::string DesktopExecFromCommand(const std::string& command)
{
    const std::vector<std::string> args = SplitWindowsCommandLine(command);
    if (args.empty() || args.front().empty())
        return std::string();
    std::string exec;
    // A Windows program is started by wine, as a shortcut to it is, and
    // takes its arguments as UTF-8 of their display text.
    const std::string& program = args.front();
    const bool windows = asciiLower(program).ends_with(".exe") && !IsNativeExecutable(program);
    if (windows)
        exec = "wine ";
    exec += QuoteExecArgument(program);
    bool haveFile = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string a = windows ? DisplayUtf8(args[i]) : args[i];
        const std::string folded = asciiLower(a);
        if (folded == "%1" || folded == "%l") {
            exec += " %f";
            haveFile = true;
            continue;
        }
        std::string quoted = QuoteExecArgument(a);
        // "--open=%1": a field code may stand inside an unquoted argument only.
        const size_t at = folded.find("%1");
        if (!haveFile && at != std::string::npos && quoted.front() != '"') {
            const std::string before = a.substr(0, at), after = a.substr(at + 2);
            quoted = (before.empty() ? "" : QuoteExecArgument(before)) + "%f" +
                     (after.empty() ? "" : QuoteExecArgument(after));
            haveFile = true;
        }
        exec += " " + quoted;
    }
    if (!haveFile)
        exec += " %f";
    return exec;
}

std::string MimePackageXml(const std::string& extension, const std::string& mimeType,
                           const std::string& comment)
{
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    xml += "  <mime-type type=\"" + xmlEscape(mimeType) + "\">\n";
    xml += "    <comment>" + xmlEscape(DisplayUtf8(comment)) + "</comment>\n";
    if (mimeType.rfind("text/", 0) == 0)
        xml += "    <sub-class-of type=\"text/plain\"/>\n";
    // Globs match without regard to case unless told otherwise: LEVEL.VPP too.
    xml += "    <glob pattern=\"*." + xmlEscape(safeExtension(extension)) + "\"/>\n";
    xml += "  </mime-type>\n</mime-info>\n";
    return xml;
}

bool XdgDesktopAssociations::registerClass(const DesktopFileClass& fileClass, std::string* error)
{
    const std::string exec = DesktopExecFromCommand(fileClass.command);
    if (exec.empty()) {
        if (error)
            *error = "the open command of " + fileClass.progId + " names no program";
        return false;
    }
    // A Desktop Entry is UTF-8; a program path spelled otherwise cannot be
    // named in it (its display text would name another file).
    if (!IsValidUtf8(exec)) {
        if (error)
            *error = "the open command of " + fileClass.progId + " is not UTF-8";
        return false;
    }
    const std::string dataHome = XdgDataHome();
    std::string failure;

    // 1. A type for each extension: the system's where it has one (a class
    //    for .txt must not redefine text files), else ours.
    std::vector<std::string> types;
    bool packagesChanged = false;
    for (const std::string& ext : fileClass.extensions) {
        if (safeExtension(ext).empty())
            continue;
        const std::string ours = DesktopMimeTypeFor(ext);
        const std::string known = SystemMimeTypeFor(ext);
        if (!known.empty() && known != ours) {
            types.push_back(known);
            continue;
        }
        types.push_back(ours);
        const std::string path =
            dataHome + "/mime/packages/quorvel-manager-" + safeExtension(ext) + ".xml";
        const std::string xml = MimePackageXml(ext, ours, commentFor(ext, fileClass.description));
        if (readFile(path) == xml)
            continue;
        if (!writeFile(path, xml, &failure))
            break;
        packagesChanged = true;
    }
    if (!failure.empty()) {
        if (error)
            *error = failure;
        return false;
    }
    if (types.empty()) {
        if (error)
            *error = fileClass.progId + " has no extension";
        return false;
    }
    // An unchanged package needs no rebuild, unless the database was never built.
    if (packagesChanged ||
        (fs::IsFolder(dataHome + "/mime/packages") && !fs::Exists(dataHome + "/mime/mime.cache")))
        runTool("update-mime-database", {dataHome + "/mime"}, &failure);

    // 2. The desktop entry that runs the command.
    const std::string id = DesktopEntryIdFor(fileClass.progId);
    const std::string apps = dataHome + "/applications";
    // The programs repeat their registration at every start: what is already
    // in place is left alone, so a start rewrites and rebuilds nothing.
    const std::string entryPath = apps + "/" + id;
    const std::string entry = entryText(id, fileClass, exec, types);
    if (readFile(entryPath) != entry) {
        if (!writeFile(entryPath, entry, error))
            return false;
        runTool("update-desktop-database", {apps}, failure.empty() ? &failure : nullptr);
    }

    // 3. The defaults, keeping whatever else the user's list holds.
    const std::string listPath = configHome() + "/mimeapps.list";
    const std::string before = readFile(listPath);
    std::string list = before;
    for (const std::string& t : types)
        list = SetKeyFileValue(list, "Default Applications", t, id + ";");
    if (list != before && !writeFile(listPath, list, error))
        return false;

    if (!failure.empty()) {
        if (error)
            *error = failure;
        return false;
    }
    return true;
}

bool XdgDesktopAssociations::unregisterClass(const DesktopFileClass& fileClass, std::string* error)
{
    const std::string dataHome = XdgDataHome();
    const std::string id = DesktopEntryIdFor(fileClass.progId);
    std::string failure;
    const auto remove = [&](const std::string& path) {
        if (fs::Exists(path) && !fs::RemoveFile(path) && failure.empty())
            failure = "cannot remove " + path;
    };

    // 1. Our types of the extensions that went.
    const std::string packages = dataHome + "/mime/packages";
    bool packagesChanged = false;
    for (const std::string& ext : fileClass.extensions) {
        const std::string path = packages + "/quorvel-manager-" + safeExtension(ext) + ".xml";
        if (!safeExtension(ext).empty() && fs::Exists(path)) {
            remove(path);
            packagesChanged = true;
        }
    }
    if (packagesChanged) {
        if (!anyEntry(packages,
                      [](const fs::FolderEntry& e) { return e.kind == fs::FileKind::Regular; })) {
            // Nothing left to describe: the generated database goes with it.
            fs::RemoveTree(dataHome + "/mime");
        } else {
            runTool("update-mime-database", {dataHome + "/mime"}, &failure);
        }
    }

    // 2. The entry, when it is this bridge's own.
    const std::string apps = dataHome + "/applications";
    const std::string entryPath = apps + "/" + id;
    if (KeyFileValue(readFile(entryPath), kEntryGroup, kBridgeMark)) {
        remove(entryPath);
        // The cache describes the entries; with none left it describes nothing.
        const bool entriesLeft = anyEntry(apps, [](const fs::FolderEntry& e) {
            return e.kind == fs::FileKind::Folder ||
                   (e.kind == fs::FileKind::Regular && e.name.ends_with(".desktop"));
        });
        if (entriesLeft)
            runTool("update-desktop-database", {apps}, failure.empty() ? &failure : nullptr);
        else
            remove(apps + "/mimeinfo.cache");
    }

    // 3. The defaults that name the entry; a list left with nothing in it goes.
    const std::string listPath = configHome() + "/mimeapps.list";
    const std::string before = readFile(listPath);
    std::string list = before;
    for (const std::string& type : KeyFileKeys(before, "Default Applications")) {
        std::vector<std::string> handlers =
            SplitKeyFileList(KeyFileValue(list, "Default Applications", type).value_or(""));
        if (std::erase(handlers, id) == 0)
            continue;
        list = handlers.empty() ? RemoveKeyFileValue(list, "Default Applications", type)
                                : SetKeyFileValue(list, "Default Applications", type,
                                                  joinTerminated(handlers, ';'));
    }
    if (list != before) {
        if (KeyFileIsEmpty(list))
            remove(listPath);
        else
            writeFile(listPath, list, failure.empty() ? &failure : nullptr);
    }

    if (!failure.empty()) {
        if (error)
            *error = failure;
        return false;
    }
    return true;
}

DesktopAssociations& CurrentDesktopAssociations()
{
    static XdgDesktopAssociations xdg;
    return installed() ? *installed() : xdg;
}

DesktopAssociations* SetDesktopAssociations(DesktopAssociations* bridge)
{
    DesktopAssociations* before = installed();
    installed() = bridge;
    return before;
}

std::vector<DesktopFileClass> StoreFileClasses(const RegistryStore& store,
                                               const std::vector<std::string>& changedKeys)
{
    const std::map<std::string, std::string> extensions = extensionClasses(store);
    std::set<std::string> progIds; // folded
    for (const std::string& key : changedKeys) {
        const std::string part = firstPart(key);
        if (part.empty())
            continue;
        if (part.front() != '.') {
            progIds.insert(RegFold(part));
            continue;
        }
        const auto it = extensions.find(RegFold(part.substr(1)));
        if (it != extensions.end() && !it->second.empty())
            progIds.insert(RegFold(it->second));
    }

    std::vector<DesktopFileClass> classes;
    for (const std::string& folded : progIds) {
        DesktopFileClass c;
        for (const auto& [ext, progId] : extensions) {
            if (RegFold(progId) != folded)
                continue;
            c.extensions.push_back(ext);
            if (c.progId.empty())
                c.progId = progId;
        }
        if (c.extensions.empty())
            continue;
        // The key's own spelling, where it exists.
        for (RegRoot root : {RegRoot::CurrentUser, RegRoot::LocalMachine})
            if (const auto p = store.storedPath(root, std::string(kClasses) + "\\" + c.progId)) {
                c.progId = p->substr(p->find_last_of('\\') + 1);
                break;
            }
        c.command = classValue(store, c.progId + "\\shell\\open\\command");
        if (c.command.empty())
            continue;
        c.description = classValue(store, c.progId);
        classes.push_back(std::move(c));
    }
    return classes;
}

int ExportFileClassesToDesktop(const RegistryStore& store,
                               const std::vector<std::string>& changedKeys)
{
    int done = 0;
    for (const DesktopFileClass& c : StoreFileClasses(store, changedKeys)) {
        std::string error;
        if (CurrentDesktopAssociations().registerClass(c, &error))
            ++done;
        else
            std::fprintf(stderr, "%s: not registered on the desktop: %s\n", c.progId.c_str(),
                         error.c_str());
    }
    return done;
}

int ExportFileClassesToDesktop(const std::vector<std::string>& changedKeys)
{
    RegistryStore store(RegistryStore::Mode::ReadOnly);
    if (!store.ok())
        return 0;
    return ExportFileClassesToDesktop(store, changedKeys);
}

bool WithdrawFileClassFromDesktop(const std::string& progId,
                                  const std::vector<std::string>& extensions)
{
    std::string error;
    if (CurrentDesktopAssociations().unregisterClass({progId, "", "", extensions}, &error))
        return true;
    std::fprintf(stderr, "%s: not withdrawn from the desktop: %s\n", progId.c_str(), error.c_str());
    return false;
}

bool MarkLauncherTrusted(const std::string& path, std::string* error)
{
    // GNOME's file manager runs a launcher on the desktop only when its
    // metadata says the user trusts it; other desktops ignore the key.
    return runTool("gio", {"set", "-t", "string", path, "metadata::trusted", "true"}, error);
}

} // namespace qm
