#include "launcher/steam_library.h"

#include "common/file_text.h"
#include "launcher/wine_registry.h"
#include "platform/file_system.h"
#include "platform/string_util.h"

#include <filesystem>
#include <set>

namespace playdeck {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxDepth = 64;
constexpr std::uintmax_t kMaxVdfFile = 16u * 1024u * 1024u;

class VdfReader {
public:
    explicit VdfReader(std::string_view text) : m_text(text) {}

    bool readBlock(VdfNode& node, int depth, bool topLevel)
    {
        if (depth > kMaxDepth)
            return false;
        node.isBlock = true;
        for (;;) {
            skipSpace();
            if (m_pos >= m_text.size())
                return topLevel;
            if (m_text[m_pos] == '}') {
                ++m_pos;
                return !topLevel;
            }
            std::string key;
            if (!readToken(key))
                return false;
            skipSpace();
            if (m_pos >= m_text.size())
                return false;
            VdfNode value;
            if (m_text[m_pos] == '{') {
                ++m_pos;
                if (!readBlock(value, depth + 1, false))
                    return false;
            } else if (!readToken(value.text)) {
                return false;
            }
            skipSpace();
            // Conditionals such as [$WIN32] follow a value; they say nothing we need.
            if (m_pos < m_text.size() && m_text[m_pos] == '[') {
                const size_t close = m_text.find(']', m_pos);
                if (close == std::string_view::npos)
                    return false;
                m_pos = close + 1;
            }
            node.children.push_back({std::move(key), std::move(value)});
        }
    }

private:
    void skipSpace()
    {
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++m_pos;
            } else if (c == '/' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '/') {
                const size_t nl = m_text.find('\n', m_pos);
                m_pos = nl == std::string_view::npos ? m_text.size() : nl + 1;
            } else {
                return;
            }
        }
    }

    bool readToken(std::string& out)
    {
        if (m_pos >= m_text.size())
            return false;
        const char first = m_text[m_pos];
        if (first == '{' || first == '}')
            return false;
        if (first != '"') {
            while (m_pos < m_text.size()) {
                const char c = m_text[m_pos];
                if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '{' || c == '}' ||
                    c == '"')
                    break;
                out.push_back(c);
                ++m_pos;
            }
            return true;
        }
        for (size_t i = m_pos + 1; i < m_text.size(); ++i) {
            const char c = m_text[i];
            if (c == '"') {
                m_pos = i + 1;
                return true;
            }
            if (c == '\\' && i + 1 < m_text.size()) {
                const char e = m_text[++i];
                out.push_back(e == 'n' ? '\n' : e == 't' ? '\t' : e);
                continue;
            }
            out.push_back(c);
        }
        return false;
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

bool IsNumber(std::string_view s)
{
    if (s.empty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Adds path when it is a folder not yet seen (compared after resolving links).
void AddUnique(std::vector<std::string>& out, std::set<std::string>& seen, const std::string& path)
{
    if (path.empty())
        return;
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    if (ec || !fs::is_directory(real, ec))
        return;
    if (seen.insert(real.string()).second)
        out.push_back(path);
}

std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

// The digits of the version in a folder name ("Proton 6.3" -> "63") and
// whether everything after its first number is zero ("Proton 9.0").
std::pair<std::string, std::string> VersionDigits(const std::string& name)
{
    std::string all, major;
    bool first = true;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] >= '0' && name[i] <= '9') {
            all += name[i];
            if (first)
                major += name[i];
        } else if (!all.empty()) {
            if (name[i] != '.')
                break;
            first = false;
        }
    }
    return {all, major};
}

bool ValveToolMatches(const std::string& tool, const std::string& folder)
{
    const std::string name = Lower(folder);
    if (tool == "proton_experimental")
        return name == "proton - experimental";
    if (tool == "proton_hotfix")
        return name == "proton hotfix";
    if (!tool.starts_with("proton_") || !name.starts_with("proton "))
        return false;
    const std::string digits = tool.substr(7);
    if (!IsNumber(digits))
        return false;
    const auto [all, major] = VersionDigits(folder);
    if (all == digits)
        return true;
    return major == digits && all.find_first_not_of('0', major.size()) == std::string::npos;
}

std::optional<std::string> ScriptIn(const std::string& folder)
{
    const std::string script = folder + "/proton";
    if (qm::fs::IsRegularFile(script))
        return script;
    return std::nullopt;
}

} // namespace

std::string SteamCompatToolName(const std::string& root, const std::string& appId)
{
    const auto text = qm::ReadFileText(root + "/config/config.vdf", kMaxVdfFile);
    if (!text)
        return {};
    const auto parsed = ParseVdf(*text);
    const VdfNode* node = parsed ? parsed->child("InstallConfigStore") : nullptr;
    for (const char* key : {"Software", "Valve", "Steam", "CompatToolMapping"})
        node = node ? node->child(key) : nullptr;
    if (!node)
        return {};
    for (const char* entry : {appId.c_str(), "0"}) {
        const VdfNode* mapping = node->child(entry);
        const VdfNode* name = mapping ? mapping->child("name") : nullptr;
        if (name && !name->isBlock && !name->text.empty())
            return name->text;
    }
    return {};
}

std::optional<std::string> FindCompatTool(const std::string& name,
                                          const std::vector<std::string>& roots,
                                          const std::vector<std::string>& libraries)
{
    if (name.empty())
        return std::nullopt;
    std::vector<std::string> toolFolders;
    for (const std::string& root : roots)
        toolFolders.push_back(root + "/compatibilitytools.d");
    toolFolders.push_back("/usr/share/steam/compatibilitytools.d");
    toolFolders.push_back("/usr/local/share/steam/compatibilitytools.d");
    for (const std::string& tools : toolFolders) {
        std::vector<qm::fs::FolderEntry> entries;
        if (!qm::fs::ListFolder(tools, &entries))
            continue;
        for (const auto& entry : entries) {
            if (entry.kind != qm::fs::FileKind::Folder)
                continue;
            const std::string folder = tools + "/" + entry.name;
            const auto text = qm::ReadFileText(folder + "/compatibilitytool.vdf", kMaxVdfFile);
            const auto vdf = text ? ParseVdf(*text) : std::nullopt;
            const VdfNode* all = vdf ? vdf->child("compatibilitytools") : nullptr;
            // Valve's documentation says "compat tools", GE-Proton ships "compat_tools".
            const VdfNode* declared = all ? all->child("compat tools") : nullptr;
            if (!declared && all)
                declared = all->child("compat_tools");
            const VdfNode* tool = declared ? declared->child(name) : nullptr;
            if (!tool || !tool->isBlock)
                continue;
            const VdfNode* install = tool->child("install_path");
            const std::string path = install && !install->isBlock ? install->text : ".";
            if (auto script = ScriptIn(path.starts_with("/") ? path : folder + "/" + path))
                return script;
        }
    }
    for (const std::string& library : libraries) {
        const std::string common = library + "/steamapps/common";
        std::vector<qm::fs::FolderEntry> entries;
        if (!qm::fs::ListFolder(common, &entries))
            continue;
        for (const auto& entry : entries)
            if (entry.kind == qm::fs::FileKind::Folder && ValveToolMatches(name, entry.name))
                if (auto script = ScriptIn(common + "/" + entry.name))
                    return script;
    }
    return std::nullopt;
}

const VdfNode* VdfNode::child(std::string_view key) const
{
    for (const auto& [name, node] : children)
        if (qm::equalsNoCase(name, key))
            return &node;
    return nullptr;
}

std::optional<VdfNode> ParseVdf(std::string_view text)
{
    VdfNode root;
    VdfReader reader(text);
    if (!reader.readBlock(root, 0, true))
        return std::nullopt;
    return root;
}

std::vector<std::string> VdfLibraryFolders(std::string_view text)
{
    std::vector<std::string> out;
    const auto root = ParseVdf(text);
    if (!root)
        return out;
    const VdfNode* folders = root->child("libraryfolders");
    if (!folders || !folders->isBlock)
        return out;
    for (const auto& [key, node] : folders->children) {
        if (!IsNumber(key))
            continue; // "TimeNextStatsReport", "ContentStatsID", ...
        if (!node.isBlock) {
            out.push_back(node.text);
        } else if (const VdfNode* path = node.child("path"); path && !path->isBlock) {
            out.push_back(path->text);
        }
    }
    return out;
}

std::vector<std::string> SteamRoots(const std::string& home)
{
    std::vector<std::string> out;
    std::set<std::string> seen;
    for (const char* relative : {"/.steam/steam", "/.local/share/Steam",
                                 "/.var/app/com.valvesoftware.Steam/.local/share/Steam"})
        AddUnique(out, seen, home + relative);
    return out;
}

std::vector<std::string> SteamLibraries(const std::string& root)
{
    std::vector<std::string> out;
    std::set<std::string> seen;
    AddUnique(out, seen, root);
    const auto steamapps = FindEntryNoCase(root, "steamapps");
    if (!steamapps)
        return out;
    const auto text =
        qm::ReadFileText(root + "/" + *steamapps + "/libraryfolders.vdf", kMaxVdfFile);
    if (!text)
        return out;
    for (const std::string& library : VdfLibraryFolders(*text))
        AddUnique(out, seen, library);
    return out;
}

} // namespace playdeck
