#pragma once

// Small byte-string helpers shared by every area. Case rules here are ASCII
// only: names from Windows carry Windows-1252 bytes, and a locale-dependent
// tolower() would fold them differently on every machine.

#include <string>
#include <string_view>
#include <vector>

namespace qm {

constexpr char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string asciiLower(std::string s)
{
    for (char& c : s)
        c = asciiLower(c);
    return s;
}

// Equal once both sides are folded byte by byte.
template <class Fold> constexpr bool equalsFolded(std::string_view a, std::string_view b, Fold fold)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}

constexpr bool equalsNoCase(std::string_view a, std::string_view b)
{
    return equalsFolded(a, b, [](char c) { return asciiLower(c); });
}

constexpr bool endsWithNoCase(std::string_view s, std::string_view suffix)
{
    return s.size() >= suffix.size() && equalsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

// The value of one hexadecimal digit, -1 for anything else.
constexpr int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Every piece between separators, empty ones too: "a;;b" is "a", "", "b".
inline std::vector<std::string_view> splitOn(std::string_view s, char separator)
{
    std::vector<std::string_view> pieces;
    for (size_t i = 0;;) {
        const size_t j = s.find(separator, i);
        pieces.push_back(s.substr(i, j == std::string_view::npos ? std::string_view::npos : j - i));
        if (j == std::string_view::npos)
            return pieces;
        i = j + 1;
    }
}

// Each item followed by the terminator: "a;b;" as a list value, or lines with
// their line ends.
inline std::string joinTerminated(const std::vector<std::string>& items, char terminator)
{
    std::string out;
    for (const std::string& item : items) {
        out += item;
        out += terminator;
    }
    return out;
}

// A folder as FolderOf gives it ("/g/maps/") without its last separator,
// except the root, which stays "/".
inline std::string withoutTrailingSeparator(std::string folder)
{
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

} // namespace qm
