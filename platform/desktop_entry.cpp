#include "platform/desktop_entry.h"

#include "platform/string_util.h"

#include <algorithm>
#include <string_view>

namespace qm {

namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < text.size()) {
        const size_t j = text.find('\n', i);
        if (j == std::string::npos) {
            lines.push_back(text.substr(i));
            break;
        }
        lines.push_back(text.substr(i, j - i));
        i = j + 1;
    }
    return lines;
}

// The group a header line opens, or nothing for any other line.
std::optional<std::string_view> groupOf(std::string_view line)
{
    line = trim(line);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']')
        return line.substr(1, line.size() - 2);
    return std::nullopt;
}

bool isKeyLine(std::string_view line, const std::string& key)
{
    line = trim(line);
    if (line.empty() || line.front() == '#')
        return false;
    const size_t eq = line.find('=');
    return eq != std::string_view::npos && trim(line.substr(0, eq)) == key;
}

// Lines [begin, end) of the group's body; begin == npos when it is missing.
std::pair<size_t, size_t> groupRange(const std::vector<std::string>& lines,
                                     const std::string& group)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto g = groupOf(lines[i]);
        if (!g || *g != group)
            continue;
        size_t end = i + 1;
        while (end < lines.size() && !groupOf(lines[end]))
            ++end;
        return {i + 1, end};
    }
    return {std::string::npos, std::string::npos};
}

} // namespace

std::string QuoteExecArgument(const std::string& arg)
{
    static const std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    bool needQuotes = arg.empty();
    for (char c : arg)
        if (reserved.find(c) != std::string_view::npos)
            needQuotes = true;
    std::string out;
    if (needQuotes)
        out.push_back('"');
    for (char c : arg) {
        if (c == '%') {
            out += "%%";
            continue;
        }
        if (needQuotes && (c == '"' || c == '`' || c == '$' || c == '\\'))
            out.push_back('\\');
        out.push_back(c);
    }
    if (needQuotes)
        out.push_back('"');
    return out;
}

std::string EscapeDesktopValue(const std::string& value)
{
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case ' ':
            out += i == 0 ? "\\s" : " ";
            break;
        default:
            out.push_back(c);
        }
    }
    return out;
}

std::optional<std::string> KeyFileValue(const std::string& text, const std::string& group,
                                        const std::string& key)
{
    const std::vector<std::string> lines = splitLines(text);
    const auto [begin, end] = groupRange(lines, group);
    if (begin == std::string::npos)
        return std::nullopt;
    for (size_t i = begin; i < end; ++i) {
        if (!isKeyLine(lines[i], key))
            continue;
        const std::string_view line = lines[i];
        return std::string(trim(line.substr(line.find('=') + 1)));
    }
    return std::nullopt;
}

std::string SetKeyFileValue(const std::string& text, const std::string& group,
                            const std::string& key, const std::string& value)
{
    std::vector<std::string> lines = splitLines(text);
    const std::string line = key + "=" + value;
    auto [begin, end] = groupRange(lines, group);
    if (begin == std::string::npos) {
        if (!lines.empty() && !trim(lines.back()).empty())
            lines.emplace_back();
        lines.push_back("[" + group + "]");
        lines.push_back(line);
        return joinTerminated(lines, '\n');
    }
    bool done = false;
    for (size_t i = begin; i < end;) {
        if (!isKeyLine(lines[i], key)) {
            ++i;
            continue;
        }
        if (!done) {
            lines[i++] = line;
            done = true;
        } else {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
            --end;
        }
    }
    if (!done) {
        // After the group's last entry, before the blank lines that separate it from the next.
        size_t at = end;
        while (at > begin && trim(lines[at - 1]).empty())
            --at;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
    }
    return joinTerminated(lines, '\n');
}

std::string RemoveKeyFileValue(const std::string& text, const std::string& group,
                               const std::string& key)
{
    std::vector<std::string> lines = splitLines(text);
    auto [begin, end] = groupRange(lines, group);
    if (begin == std::string::npos)
        return text;
    for (size_t i = begin; i < end;) {
        if (isKeyLine(lines[i], key)) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
            --end;
        } else {
            ++i;
        }
    }
    return joinTerminated(lines, '\n');
}

std::vector<std::string> KeyFileKeys(const std::string& text, const std::string& group)
{
    const std::vector<std::string> lines = splitLines(text);
    const auto [begin, end] = groupRange(lines, group);
    std::vector<std::string> keys;
    if (begin == std::string::npos)
        return keys;
    for (size_t i = begin; i < end; ++i) {
        const std::string_view line = trim(lines[i]);
        const size_t eq = line.find('=');
        if (line.empty() || line.front() == '#' || eq == std::string_view::npos)
            continue;
        std::string key(trim(line.substr(0, eq)));
        if (std::find(keys.begin(), keys.end(), key) == keys.end())
            keys.push_back(std::move(key));
    }
    return keys;
}

bool KeyFileIsEmpty(const std::string& text)
{
    for (const std::string& l : splitLines(text)) {
        const std::string_view line = trim(l);
        if (!line.empty() && !groupOf(line))
            return false;
    }
    return true;
}

std::vector<std::string> SplitKeyFileList(const std::string& value)
{
    std::vector<std::string> items;
    for (const std::string_view piece : splitOn(value, ';'))
        if (const std::string_view item = trim(piece); !item.empty())
            items.emplace_back(item);
    return items;
}

} // namespace qm
