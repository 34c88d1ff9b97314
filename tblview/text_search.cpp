#include "tblview/text_search.h"

#include <cstdint>
#include <cstring>
#include <string.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gridlens {

namespace {

using Byte = unsigned char;

// The folded form of c, where prev is the byte before it: ASCII capitals and
// the second byte of a UTF-8 Latin-1 capital (C3 80..9E, not the multiplication
// sign) become their small letters.
inline Byte fold(Byte c, Byte prev)
{
    if (c >= 'A' && c <= 'Z')
        return Byte(c | 0x20);
    if (prev == 0xC3 && c >= 0x80 && c <= 0x9E && c != 0x97)
        return Byte(c | 0x20);
    return c;
}

// The other case of a folded byte, or the byte itself.
inline Byte otherCase(Byte c, Byte prev)
{
    if (c >= 'a' && c <= 'z')
        return Byte(c & ~0x20);
    if (prev == 0xC3 && c >= 0xA0 && c <= 0xBE && c != 0xB7)
        return Byte(c & ~0x20);
    return c;
}

inline bool isWordByte(Byte c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           c >= 0x80;
}

class Matcher {
public:
    Matcher(std::string_view text, std::string_view needle, const FindOptions& options)
        : m_text(reinterpret_cast<const Byte*>(text.data())), m_size(text.size()), m_needle(needle),
          m_options(options)
    {
        if (!options.matchCase) {
            Byte prev = 0;
            for (char ch : needle) {
                const Byte c = Byte(ch);
                m_folded.push_back(char(fold(c, prev)));
                prev = c;
            }
        }
    }

    // The first match starting in [from, limit) that also ends by end.
    size_t next(size_t from, size_t limit, size_t end) const
    {
        const size_t n = m_needle.size();
        while (from < limit && from + n <= end) {
            const size_t at = candidate(from, std::min(limit, end - n + 1));
            if (at == std::string_view::npos)
                return at;
            if (!m_options.wholeWord || isWholeWord(at))
                return at;
            from = at + 1;
        }
        return std::string_view::npos;
    }

    size_t size() const { return m_needle.size(); }

private:
    bool isWholeWord(size_t at) const
    {
        const size_t end = at + m_needle.size();
        return (at == 0 || !isWordByte(m_text[at - 1])) &&
               (end >= m_size || !isWordByte(m_text[end]));
    }

    bool equalsFolded(size_t at) const
    {
        const Byte* p = m_text + at;
        Byte prev = at > 0 ? p[-1] : 0;
        for (size_t k = 0; k < m_folded.size(); ++k) {
            if (fold(p[k], prev) != Byte(m_folded[k]))
                return false;
            prev = p[k];
        }
        return true;
    }

    // A match (before the word test) starting in [from, last).
    size_t candidate(size_t from, size_t last) const
    {
        if (from >= last)
            return std::string_view::npos;
        if (m_options.matchCase) {
            const void* hit = ::memmem(m_text + from, last - from + m_needle.size() - 1,
                                       m_needle.data(), m_needle.size());
            return hit ? size_t(static_cast<const Byte*>(hit) - m_text) : std::string_view::npos;
        }
        return candidateFolded(from, last);
    }

    // Candidates are where the first two bytes fit in either case, sixteen
    // positions at a time; each is then compared whole.
    size_t candidateFolded(size_t from, size_t last) const
    {
        const Byte n0 = Byte(m_folded[0]);
        const Byte a0 = otherCase(n0, 0);
        const bool two = m_folded.size() >= 2;
        const Byte n1 = two ? Byte(m_folded[1]) : 0;
        const Byte a1 = two ? otherCase(n1, Byte(m_needle[0])) : 0;
        size_t i = from;
#if defined(__SSE2__)
        const __m128i v0a = _mm_set1_epi8(char(n0)), v0b = _mm_set1_epi8(char(a0));
        const __m128i v1a = _mm_set1_epi8(char(n1)), v1b = _mm_set1_epi8(char(a1));
        // Loads reach one byte past the candidate block: stay inside the text.
        while (i + 17 <= m_size && i + 16 <= last) {
            const __m128i b0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_text + i));
            __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(b0, v0a), _mm_cmpeq_epi8(b0, v0b));
            if (two) {
                const __m128i b1 =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(m_text + i + 1));
                hit = _mm_and_si128(hit,
                                    _mm_or_si128(_mm_cmpeq_epi8(b1, v1a), _mm_cmpeq_epi8(b1, v1b)));
            }
            unsigned mask = unsigned(_mm_movemask_epi8(hit));
            while (mask) {
                const size_t at = i + size_t(__builtin_ctz(mask));
                if (equalsFolded(at))
                    return at;
                mask &= mask - 1;
            }
            i += 16;
        }
#endif
        for (; i < last; ++i) {
            const Byte c = m_text[i];
            if ((c == n0 || c == a0) && equalsFolded(i))
                return i;
        }
        return std::string_view::npos;
    }

    const Byte* m_text;
    size_t m_size;
    std::string_view m_needle;
    std::string m_folded;
    FindOptions m_options;
};

} // namespace

size_t FindText(std::string_view text, std::string_view needle, size_t from,
                const FindOptions& options, bool backward)
{
    if (needle.empty() || needle.size() > text.size())
        return std::string_view::npos;
    const Matcher matcher(text, needle, options);
    if (!backward)
        return matcher.next(std::min(from, text.size()), text.size(), text.size());

    // Backwards in windows: the last match in each window, nearest first.
    constexpr size_t kWindow = 1 << 20;
    const size_t end = std::min(from, text.size());
    for (size_t limit = end; limit > 0;) {
        const size_t start = limit > kWindow ? limit - kWindow : 0;
        size_t last = std::string_view::npos;
        for (size_t at = matcher.next(start, limit, end); at != std::string_view::npos;
             at = matcher.next(at + 1, limit, end))
            last = at;
        if (last != std::string_view::npos)
            return last;
        limit = start;
    }
    return std::string_view::npos;
}

size_t CountMatches(std::string_view text, std::string_view needle, const FindOptions& options)
{
    if (needle.empty())
        return 0;
    const Matcher matcher(text, needle, options);
    size_t count = 0;
    for (size_t at = matcher.next(0, text.size(), text.size()); at != std::string_view::npos;
         at = matcher.next(at + needle.size(), text.size(), text.size()))
        ++count;
    return count;
}

} // namespace gridlens
