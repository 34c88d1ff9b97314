#include "tblview/anchor_list.h"

#include <algorithm>
#include <utility>

namespace gridlens {

namespace {

std::string_view dropLeading(std::string_view s, char c)
{
    size_t i = 0;
    while (i < s.size() && s[i] == c)
        ++i;
    return s.substr(i);
}

std::string_view dropTrailing(std::string_view s, char c)
{
    size_t n = s.size();
    while (n > 0 && s[n - 1] == c)
        --n;
    return s.substr(0, n);
}

// The first ';' that starts a comment. The names arrive with "<" and ">"
// already escaped, and the ';' of "&lt;" and "&gt;" must not cut them short.
size_t commentSemicolon(std::string_view s)
{
    for (size_t pos = s.find(';'); pos != std::string_view::npos; pos = s.find(';', pos + 1)) {
        const bool escape = pos >= 3 && s[pos - 3] == '&' &&
                            (s.substr(pos - 2, 2) == "lt" || s.substr(pos - 2, 2) == "gt");
        if (!escape)
            return pos;
    }
    return std::string_view::npos;
}

} // namespace

AnchorList::AnchorList() : m_names(kCapacity), m_kinds(kCapacity, Section) {}

const std::string& AnchorList::name(int32_t index) const
{
    static const std::string empty;
    if (index < 0 || index >= m_count)
        return empty;
    return m_names[static_cast<size_t>(index)];
}

AnchorKind AnchorList::kind(int32_t index) const
{
    if (index < 0 || index >= m_count)
        return Section;
    return m_kinds[static_cast<size_t>(index)];
}

void AnchorList::AddAnchor(std::string_view name, AnchorKind kind)
{
    if (m_count >= kCapacity)
        return;

    // The order matters: quotes go before the comment cut, so a quoted name
    // followed by a comment keeps its closing quote.
    name = dropLeading(name, '#');
    name = dropLeading(name, '\x07');
    name = dropLeading(name, '\t');
    name = dropLeading(name, ' ');
    name = dropLeading(name, '"');
    name = dropTrailing(name, '\r');
    name = dropTrailing(name, '"');
    if (size_t semi = commentSemicolon(name); semi != std::string_view::npos)
        name = name.substr(0, semi);
    else if (size_t slashes = name.find("//"); slashes != std::string_view::npos)
        name = name.substr(0, slashes);
    name = dropTrailing(name, '\t');

    std::string& slot = m_names[static_cast<size_t>(m_count)];
    slot.assign(name); // keeps the slot's storage from earlier conversions
    std::replace(slot.begin(), slot.end(), '\t', ' ');
    m_kinds[static_cast<size_t>(m_count)] = kind;
    ++m_count;
}

void AnchorList::swap(AnchorList& other) noexcept
{
    std::swap(m_count, other.m_count);
    m_names.swap(other.m_names);
    m_kinds.swap(other.m_kinds);
}

} // namespace gridlens
