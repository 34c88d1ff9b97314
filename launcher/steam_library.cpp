#include "launcher/steam_library.h"

#include "common/file_text.h"
#include "launcher/wine_registry.h"
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

} // namespace

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
