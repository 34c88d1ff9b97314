#include "common/profile.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <unordered_map>

#include "platform/file_system.h"

namespace qm {

namespace {

constexpr uint64_t kMaxProfileBytes = 64u << 20;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string trim(const std::string& s, size_t from, size_t to)
{
    while (from < to && isBlank(s[from]))
        ++from;
    while (to > from && isBlank(s[to - 1]))
        --to;
    return s.substr(from, to - from);
}

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string foldName(const std::string& s)
{
    std::string f = s;
    for (char& c : f)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return f;
}

std::string cut(std::string s)
{
    if (s.size() > kProfileValueMax)
        s.resize(kProfileValueMax);
    return s;
}

} // namespace

int ParseLeadingInt(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            v = static_cast<long long>(INT_MAX) + 1; // saturate, keep scanning digits
    }
    if (negative)
        return v > INT_MAX ? INT_MIN : -static_cast<int>(v);
    return v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

ProfileFile::ProfileFile(const std::string& path)
{
    // Regular files only (a folder or FIFO is no profile), and a size no real
    // description file comes near, so a hostile one cannot exhaust memory.
    const auto text = fs::ReadWholeFile(path, kMaxProfileBytes);
    if (!text)
        return;
    m_readable = true;
    parse(*text);
}

ProfileFile ProfileFile::fromText(const std::string& text)
{
    ProfileFile f;
    f.m_readable = true;
    f.parse(text);
    return f;
}

void ProfileFile::parse(const std::string& text)
{
    // Lines before the first section header belong to a section without name.
    m_sections.push_back(Section{});
    // A UTF-8 byte order mark (editors add one) is not part of the first line.
    size_t pos = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        size_t b = pos;
        while (b < end && isBlank(text[b]))
            ++b;
        size_t e = end;
        while (e > b && isBlank(text[e - 1]))
            --e;
        pos = end + 1;
        if (b == e)
            continue;
        if (text[b] == '[') {
            const size_t close = text.rfind(']', e - 1);
            if (close != std::string::npos && close > b) {
                m_sections.push_back(Section{trim(text, b + 1, close), {}});
                continue;
            }
        }
        const size_t eq = text.find('=', b);
        if (eq == std::string::npos || eq >= e)
            continue; // a line without "=" holds no value
        m_sections.back().entries.push_back(Entry{trim(text, b, eq), trim(text, eq + 1, e)});
    }
}

const std::string* ProfileFile::find(const std::string& section, const std::string& key) const
{
    for (const Section& s : m_sections) {
        if (!sameName(s.name, section))
            continue;
        // Only the first section of that name is searched, as the platform does.
        for (const Entry& e : s.entries)
            if (sameName(e.key, key))
                return &e.value;
        return nullptr;
    }
    return nullptr;
}

std::string ProfileFile::string(const std::string& section, const std::string& key,
                                const std::string& def) const
{
    const std::string* v = find(section, key);
    return cut(v ? *v : def);
}

int ProfileFile::integer(const std::string& section, const std::string& key, int def) const
{
    const std::string* v = find(section, key);
    // An empty value reads like a missing one, as the platform's reader does.
    return v && !v->empty() ? ParseLeadingInt(*v) : def;
}

std::string ProfileFile::text(const std::string& section, const std::string& key,
                              const std::string& def) const
{
    std::string v = string(section, key, def);
    if (v == "$" && def.empty())
        v.clear();
    return v;
}

std::vector<std::string> ProfileFile::list(const std::string& section, const std::string& entryDef,
                                           int maxEntries) const
{
    std::vector<std::string> out;
    const int num = std::min(integer(section, "Num", 0), maxEntries);
    if (num <= 0)
        return out;
    // One pass over the section instead of one search per entry: the first
    // key of each name wins, as in find().
    std::unordered_map<std::string, const std::string*> first;
    for (const Section& s : m_sections) {
        if (!sameName(s.name, section))
            continue;
        for (const Entry& e : s.entries)
            first.emplace(foldName(e.key), &e.value);
        break;
    }
    out.reserve(static_cast<size_t>(num));
    char key[16];
    for (int i = 1; i <= num; ++i) {
        std::snprintf(key, sizeof key, "%i", i);
        const auto it = first.find(key);
        std::string v = cut(it != first.end() ? *it->second : entryDef);
        if (v == "$" && entryDef.empty())
            v.clear();
        out.push_back(std::move(v));
    }
    return out;
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, const std::string& path)
{
    return ProfileFile(path).string(section, key, def);
}

int GetPrivateProfileInt(const std::string& section, const std::string& key, int def,
                         const std::string& path)
{
    return ProfileFile(path).integer(section, key, def);
}

std::string ReadProfileText(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& def)
{
    return ProfileFile(path).text(section, key, def);
}

int ReadProfileInt(const std::string& path, const std::string& section, const std::string& key)
{
    return ProfileFile(path).integer(section, key, 0);
}

std::vector<std::string> ReadProfileList(const std::string& path, const std::string& section,
                                         const std::string& entryDef)
{
    return ProfileFile(path).list(section, entryDef);
}

} // namespace qm
