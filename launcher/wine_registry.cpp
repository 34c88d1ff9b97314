#include "launcher/wine_registry.h"

#include "common/display_text.h"
#include "platform/string_util.h"

#include "common/file_text.h"
#include "platform/registry_store.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace playdeck {

namespace fs = std::filesystem;

namespace {

// Big enough for any real prefix; a larger file is not a registry we trust.
constexpr std::uintmax_t kMaxRegFile = 256u * 1024u * 1024u;

// Collapses repeated and trailing separators so "A\\B\" and "a\b" meet.
std::string NormalKey(std::string_view key)
{
    std::string out;
    for (char c : key) {
        if (c == '\\') {
            if (!out.empty() && out.back() != '\\')
                out.push_back('\\');
        } else {
            out.push_back(c);
        }
    }
    if (!out.empty() && out.back() == '\\')
        out.pop_back();
    return qm::RegFold(out);
}

// Wine's strings are UTF-16: escaped units are joined into UTF-8 here,
// surrogate pairs included; a lone surrogate becomes U+FFFD.
class Utf16Sink {
public:
    explicit Utf16Sink(std::string& out) : m_out(out) {}
    ~Utf16Sink() { flush(); }
    void unit(char16_t u)
    {
        if (u >= 0xD800 && u <= 0xDBFF) {
            flush();
            m_high = u;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            if (m_high) {
                qm::AppendUtf8(m_out, 0x10000 + ((char32_t(m_high) - 0xD800) << 10) + (u - 0xDC00));
                m_high = 0;
            } else {
                qm::AppendUtf8(m_out, 0xFFFD);
            }
        } else {
            flush();
            qm::AppendUtf8(m_out, u);
        }
    }
    void byte(char c)
    {
        flush();
        m_out.push_back(c);
    }
    void flush()
    {
        if (m_high)
            qm::AppendUtf8(m_out, 0xFFFD);
        m_high = 0;
    }

private:
    std::string& m_out;
    char16_t m_high = 0;
};

// Reads Wine's escaped text from text[pos] up to an unescaped close, as the
// wineserver writes it: \xH to \xHHHH and \ooo are UTF-16 units; \a \b \t \n
// \v \f \r \e are C escapes; a backslash before anything else keeps that
// character (\\ \" \[ \]). The result is UTF-8; pos ends after close.
std::optional<std::string> ReadEscaped(std::string_view text, size_t& pos, char close)
{
    std::string out;
    {
        Utf16Sink sink(out);
        size_t i = pos;
        while (i < text.size()) {
            const char c = text[i++];
            if (c == close) {
                pos = i;
                sink.flush();
                return out;
            }
            if (c != '\\' || i >= text.size()) {
                sink.byte(c);
                continue;
            }
            const char e = text[i++];
            if (e == 'x' && i < text.size() && qm::hexDigit(text[i]) >= 0) {
                char16_t u = 0;
                for (int n = 0; n < 4 && i < text.size() && qm::hexDigit(text[i]) >= 0; ++n)
                    u = static_cast<char16_t>(u * 16 + qm::hexDigit(text[i++]));
                sink.unit(u);
            } else if (e >= '0' && e <= '7') {
                char16_t u = static_cast<char16_t>(e - '0');
                for (int n = 1; n < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7'; ++n)
                    u = static_cast<char16_t>(u * 8 + (text[i++] - '0'));
                sink.unit(u);
            } else {
                constexpr std::string_view kLetters = "abtnvfre";
                constexpr char kCodes[] = {'\a', '\b', '\t', '\n', '\v', '\f', '\r', '\x1b'};
                const size_t k = kLetters.find(e);
                sink.byte(k == std::string_view::npos ? e : kCodes[k]);
            }
        }
    }
    return std::nullopt;
}

// Reads a quoted string starting at text[pos] == '"'; pos ends after the closing quote.
std::optional<std::string> ReadQuoted(std::string_view text, size_t& pos)
{
    if (pos >= text.size() || text[pos] != '"')
        return std::nullopt;
    ++pos;
    return ReadEscaped(text, pos, '"');
}

// "[Software\\Volition\\Red Faction] 1234567" -> "Software\Volition\Red Faction"
std::optional<std::string> ReadSection(std::string_view line)
{
    size_t pos = 1;
    return ReadEscaped(line, pos, ']');
}

} // namespace

WineRegistryFile WineRegistryFile::parse(std::string_view text)
{
    WineRegistryFile file;
    std::map<std::string, std::string>* current = nullptr;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        if (line.front() == '[') {
            const auto key = ReadSection(line);
            current = key ? &file.m_keys[NormalKey(*key)] : nullptr;
            continue;
        }
        if (!current || (line.front() != '"' && line.front() != '@'))
            continue;
        size_t pos = 0;
        std::string name;
        if (line.front() == '@') {
            pos = 1;
        } else {
            auto quoted = ReadQuoted(line, pos);
            if (!quoted)
                continue;
            name = std::move(*quoted);
        }
        if (pos >= line.size() || line[pos] != '=')
            continue;
        ++pos;
        constexpr std::string_view kExpand = "str(2):";
        if (line.substr(pos, kExpand.size()) == kExpand)
            pos += kExpand.size();
        auto data = ReadQuoted(line, pos);
        if (data)
            (*current)[qm::RegFold(name)] = std::move(*data);
    }
    return file;
}

std::optional<WineRegistryFile> WineRegistryFile::load(const std::string& path)
{
    const auto text = qm::ReadFileText(path, kMaxRegFile);
    if (!text)
        return std::nullopt;
    return parse(*text);
}

std::optional<std::string> WineRegistryFile::value(std::string_view key,
                                                   std::string_view name) const
{
    const auto k = m_keys.find(NormalKey(key));
    if (k == m_keys.end())
        return std::nullopt;
    const auto v = k->second.find(qm::RegFold(name));
    if (v == k->second.end())
        return std::nullopt;
    return v->second;
}

std::optional<std::string> FindEntryNoCase(const std::string& folder, std::string_view name)
{
    if (name.empty() || name.find('/') != std::string_view::npos)
        return std::nullopt;
    std::error_code ec;
    const fs::path exact = fs::path(folder) / std::string(name);
    if (fs::exists(fs::symlink_status(exact, ec)))
        return std::string(name);
    const std::string wanted = qm::RegFold(name);
    std::vector<std::string> hits;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (qm::RegFold(entry) == wanted)
            hits.push_back(std::move(entry));
    }
    if (hits.empty())
        return std::nullopt;
    return *std::min_element(hits.begin(), hits.end());
}

std::optional<std::string> MapWinePath(const std::string& prefix, const std::string& windowsPath)
{
    // Only drive paths: "X:\..." or "X:/...".
    if (windowsPath.size() < 2 || windowsPath[1] != ':')
        return std::nullopt;
    const char letter = windowsPath[0];
    if (!((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z')))
        return std::nullopt;
    const std::string dosdevices = prefix + "/dosdevices";
    const auto drive = FindEntryNoCase(dosdevices, windowsPath.substr(0, 2));
    if (!drive)
        return std::nullopt;
    std::string path = dosdevices + "/" + *drive;
    std::error_code ec;
    if (!fs::is_directory(path, ec))
        return std::nullopt;
    size_t pos = 2;
    while (pos < windowsPath.size()) {
        const size_t next = windowsPath.find_first_of("\\/", pos);
        const size_t end = next == std::string::npos ? windowsPath.size() : next;
        const std::string part = windowsPath.substr(pos, end - pos);
        pos = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            // Stay inside the drive: a path climbing above its root is not a game folder.
            return std::nullopt;
        }
        const auto entry = FindEntryNoCase(path, part);
        if (!entry)
            return std::nullopt;
        path += "/" + *entry;
    }
    const fs::path resolved = fs::weakly_canonical(path, ec);
    if (ec || !fs::is_directory(resolved, ec))
        return std::nullopt;
    return resolved.string();
}

} // namespace playdeck
