#include "tblview/page_index.h"

#include "common/display_text.h"
#include "platform/string_util.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <string_view>

namespace gridlens {

namespace {

enum Tag : uint8_t { Other, Font, Bold, Strong, Underline, Italic, Em, Anchor, Span, Br, Para };

// A page that never closes its tags must not grow the stack without end.
constexpr size_t kMaxDepth = 256;
// Longer runs of text continue on the next display line.
constexpr size_t kMaxLineChars = 16384;

constexpr uint32_t rgb(int r, int g, int b)
{
    return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}
bool isAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isHex(char c)
{
    return qm::hexDigit(c) >= 0;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

Tag tagOf(std::string_view name)
{
    struct Known {
        std::string_view name;
        Tag tag;
    };
    static constexpr Known known[] = {
        {"font", Font}, {"b", Bold},   {"strong", Strong}, {"u", Underline}, {"i", Italic},
        {"em", Em},     {"a", Anchor}, {"span", Span},     {"br", Br},       {"p", Para}};
    for (const Known& k : known)
        if (k.name.size() == name.size() && k.name[0] == qm::asciiLower(name[0]) &&
            qm::equalsNoCase(name, k.name))
            return k.tag;
    return Other;
}

// The colour names of HTML 4, which is what old pages use.
bool namedColor(std::string_view name, uint32_t& out)
{
    struct Named {
        std::string_view name;
        uint32_t value;
    };
    static constexpr Named names[] = {
        {"black", rgb(0, 0, 0)},      {"silver", rgb(192, 192, 192)}, {"gray", rgb(128, 128, 128)},
        {"grey", rgb(128, 128, 128)}, {"white", rgb(255, 255, 255)},  {"maroon", rgb(128, 0, 0)},
        {"red", rgb(255, 0, 0)},      {"purple", rgb(128, 0, 128)},   {"fuchsia", rgb(255, 0, 255)},
        {"green", rgb(0, 128, 0)},    {"lime", rgb(0, 255, 0)},       {"olive", rgb(128, 128, 0)},
        {"yellow", rgb(255, 255, 0)}, {"navy", rgb(0, 0, 128)},       {"blue", rgb(0, 0, 255)},
        {"teal", rgb(0, 128, 128)},   {"aqua", rgb(0, 255, 255)},     {"orange", rgb(255, 165, 0)}};
    for (const Named& n : names)
        if (qm::equalsNoCase(name, n.name)) {
            out = n.value;
            return true;
        }
    return false;
}

// "rrggbb", with or without "#": the form nearly every page uses.
bool parseHex6(std::string_view value, uint32_t& out)
{
    if (!value.empty() && value.front() == '#')
        value.remove_prefix(1);
    if (value.size() != 6 || !std::all_of(value.begin(), value.end(), isHex))
        return false;
    int v[6];
    for (int i = 0; i < 6; ++i)
        v[i] = qm::hexDigit(value[size_t(i)]);
    out = rgb(v[0] * 16 + v[1], v[2] * 16 + v[3], v[4] * 16 + v[5]);
    return true;
}

// Browsers' legacy colour rule for attributes such as color="008000": what the
// converter writes has no "#", and an old browser still shows it green.
bool parseLegacyColor(std::string_view value, uint32_t& out)
{
    value = trim(value);
    if (value.empty() || qm::equalsNoCase(value, "transparent"))
        return false;
    if (parseHex6(value, out))
        return true; // no colour name is made of six hex digits
    if (value.front() != '#' && namedColor(value, out))
        return true;
    if (value.size() == 4 && value[0] == '#' && isHex(value[1]) && isHex(value[2]) &&
        isHex(value[3])) {
        out = rgb(qm::hexDigit(value[1]) * 17, qm::hexDigit(value[2]) * 17,
                  qm::hexDigit(value[3]) * 17);
        return true;
    }
    std::string s(value.substr(0, 128));
    if (!s.empty() && s.front() == '#')
        s.erase(0, 1);
    for (char& c : s)
        if (!isHex(c))
            c = '0';
    while (s.empty() || s.size() % 3 != 0)
        s.push_back('0');
    size_t len = s.size() / 3;
    std::string comp[3] = {s.substr(0, len), s.substr(len, len), s.substr(2 * len, len)};
    if (len > 8) {
        for (auto& c : comp)
            c = c.substr(len - 8);
        len = 8;
    }
    while (len > 2 && comp[0][0] == '0' && comp[1][0] == '0' && comp[2][0] == '0') {
        for (auto& c : comp)
            c.erase(0, 1);
        --len;
    }
    int channel[3];
    for (int i = 0; i < 3; ++i) {
        const std::string part = comp[i].substr(0, 2);
        int v = 0;
        for (char c : part)
            v = v * 16 + qm::hexDigit(c);
        channel[i] = v;
    }
    out = rgb(channel[0], channel[1], channel[2]);
    return true;
}

bool parseCssColor(std::string_view value, uint32_t& out)
{
    value = trim(value);
    if (!value.empty() && value.front() == '#' && parseHex6(value, out))
        return true;
    if (!value.empty() && value.front() == '#' && value.size() == 4 && isHex(value[1]) &&
        isHex(value[2]) && isHex(value[3])) {
        out = rgb(qm::hexDigit(value[1]) * 17, qm::hexDigit(value[2]) * 17,
                  qm::hexDigit(value[3]) * 17);
        return true;
    }
    return namedColor(value, out);
}

struct Attribute {
    std::string_view name, value;
};

// Attributes of a tag's inner text (after its name), in order.
template <typename F> void forEachAttribute(std::string_view s, F&& f)
{
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (isSpace(s[i]) || s[i] == '/'))
            ++i;
        const size_t nameStart = i;
        while (i < s.size() && !isSpace(s[i]) && s[i] != '=' && s[i] != '/')
            ++i;
        Attribute a{s.substr(nameStart, i - nameStart), {}};
        while (i < s.size() && isSpace(s[i]))
            ++i;
        if (i < s.size() && s[i] == '=') {
            ++i;
            while (i < s.size() && isSpace(s[i]))
                ++i;
            if (i < s.size() && (s[i] == '"' || s[i] == '\'')) {
                const char q = s[i++];
                const size_t vs = i;
                while (i < s.size() && s[i] != q)
                    ++i;
                a.value = s.substr(vs, i - vs);
                if (i < s.size())
                    ++i;
            } else {
                const size_t vs = i;
                while (i < s.size() && !isSpace(s[i]))
                    ++i;
                a.value = s.substr(vs, i - vs);
            }
        }
        if (!a.name.empty())
            f(a);
        else if (i == nameStart)
            ++i;
    }
}

void applyStyleAttribute(std::string_view css, PageIndex::Element& e)
{
    while (!css.empty()) {
        const size_t semi = css.find(';');
        std::string_view decl = css.substr(0, semi);
        css = semi == std::string_view::npos ? std::string_view() : css.substr(semi + 1);
        const size_t colon = decl.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view prop = trim(decl.substr(0, colon));
        const std::string_view value = decl.substr(colon + 1);
        if (qm::equalsNoCase(prop, "background-color") || qm::equalsNoCase(prop, "background"))
            e.hasBackground = parseCssColor(value, e.background) || e.hasBackground;
        else if (qm::equalsNoCase(prop, "color"))
            e.hasColor = parseCssColor(value, e.color) || e.hasColor;
    }
}

// One markup item: where it ends, and what it means.
struct Markup {
    const char* end = nullptr; // first byte after it
    bool isTag = false;        // false: not markup after all, '<' is text
    bool closing = false;
    Tag tag = Other;
    std::string_view attributes;
};

// p points at '<'. Comments, doctypes and unknown tags come back as Other.
Markup readMarkup(const char* p, const char* end)
{
    Markup m;
    const char* q = p + 1;
    if (q < end && *q == '!') {
        m.isTag = true;
        if (end - q >= 3 && q[1] == '-' && q[2] == '-') {
            const std::string_view rest(q + 3, size_t(end - q - 3));
            const size_t close = rest.find("-->");
            m.end = close == std::string_view::npos ? end : q + 3 + close + 3;
            return m;
        }
        const char* gt = static_cast<const char*>(std::memchr(q, '>', size_t(end - q)));
        m.end = gt ? gt + 1 : end;
        return m;
    }
    if (q < end && *q == '/') {
        m.closing = true;
        ++q;
    }
    if (q >= end || !(isAlpha(*q) || (*q == '?' && !m.closing))) {
        m.end = p + 1;
        return m; // a lone "<" is text
    }
    const char* nameStart = q;
    while (q < end && !isSpace(*q) && *q != '>' && *q != '/')
        ++q;
    m.tag = tagOf(std::string_view(nameStart, size_t(q - nameStart)));
    const char* attrStart = q;
    char quote = 0;
    while (q < end && (quote || *q != '>')) {
        if (quote) {
            if (*q == quote)
                quote = 0;
        } else if ((*q == '"' || *q == '\'') && q > attrStart && q[-1] == '=') {
            quote = *q;
        }
        ++q;
    }
    m.isTag = true;
    m.attributes = std::string_view(attrStart, size_t(q - attrStart));
    m.end = q < end ? q + 1 : end;
    return m;
}

// Changes the open elements for a tag. Returns true for a line break.
bool applyMarkup(const Markup& m, std::vector<PageIndex::Element>& stack, std::string* anchor)
{
    if (m.tag == Br || m.tag == Para)
        return m.tag == Br || !m.closing;
    if (m.tag == Other)
        return false;
    if (m.closing) {
        for (size_t i = stack.size(); i-- > 0;)
            if (stack[i].tag == m.tag) {
                stack.resize(i);
                break;
            }
        return false;
    }
    PageIndex::Element e;
    e.tag = m.tag;
    forEachAttribute(m.attributes, [&](const Attribute& a) {
        if (m.tag == Font && qm::equalsNoCase(a.name, "color"))
            e.hasColor = parseLegacyColor(a.value, e.color);
        else if (qm::equalsNoCase(a.name, "style"))
            applyStyleAttribute(a.value, e);
        else if (m.tag == Anchor && anchor && qm::equalsNoCase(a.name, "name"))
            anchor->assign(a.value);
    });
    if (m.tag == Anchor) {
        // A new anchor ends an open one, as in browsers: the converter leaves
        // its section anchors open.
        for (size_t i = stack.size(); i-- > 0;)
            if (stack[i].tag == Anchor) {
                stack.resize(i);
                break;
            }
    }
    if (stack.size() < kMaxDepth)
        stack.push_back(e);
    return false;
}

// "&...;" at p: the character it stands for, and where it ends; false when
// it is no entity and "&" is plain text.
bool readEntity(const char* p, const char* end, char32_t& out, const char*& after)
{
    const char* q = p + 1;
    if (q < end && *q == '#') {
        ++q;
        const bool hex = q < end && (*q == 'x' || *q == 'X');
        if (hex)
            ++q;
        uint32_t code = 0;
        const char* digits = q;
        while (q < end && (hex ? isHex(*q) : (*q >= '0' && *q <= '9'))) {
            code =
                std::min<uint32_t>(code * (hex ? 16 : 10) + uint32_t(qm::hexDigit(*q)), 0x110000);
            ++q;
        }
        if (q == digits)
            return false;
        if (q < end && *q == ';')
            ++q;
        if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            code = 0xFFFD;
        else if (code < 0x20 || code == 0x7F)
            code = ' '; // a control character shows as a blank and never breaks a line
        out = code;
        after = q;
        return true;
    }
    struct Named {
        std::string_view name;
        char32_t ch;
    };
    static constexpr Named names[] = {{"lt", U'<'},        {"gt", U'>'},        {"amp", U'&'},
                                      {"quot", U'"'},      {"nbsp", U'\u00a0'}, {"apos", U'\''},
                                      {"copy", U'\u00a9'}, {"reg", U'\u00ae'}};
    for (const Named& n : names) {
        if (size_t(end - q) >= n.name.size() && std::memcmp(q, n.name.data(), n.name.size()) == 0) {
            after = q + n.name.size();
            if (after < end && *after == ';')
                ++after;
            out = n.ch;
            return true;
        }
    }
    return false;
}

TextStyle styleOf(const std::vector<PageIndex::Element>& stack)
{
    TextStyle s;
    bool colorSet = false, backgroundSet = false;
    for (size_t i = stack.size(); i-- > 0;) {
        const auto& e = stack[i];
        if (!colorSet && e.hasColor) {
            s.color = e.color;
            colorSet = true;
        }
        if (!backgroundSet && e.hasBackground) {
            s.background = e.background;
            s.hasBackground = backgroundSet = true;
        }
        s.bold |= e.tag == Bold || e.tag == Strong;
        s.underline |= e.tag == Underline;
        s.italic |= e.tag == Italic || e.tag == Em;
    }
    return s;
}

} // namespace

uint32_t PageIndex::internState(const std::vector<Element>& stack)
{
    std::string key;
    key.reserve(stack.size() * 11);
    for (const Element& e : stack) {
        key.push_back(char(e.tag));
        key.push_back(char(e.hasColor));
        key.push_back(char(e.hasBackground));
        key.append(reinterpret_cast<const char*>(&e.color), sizeof e.color);
        key.append(reinterpret_cast<const char*>(&e.background), sizeof e.background);
    }
    const auto [it, added] = m_stateIds.emplace(std::move(key), uint32_t(m_states.size()));
    if (added)
        m_states.push_back(stack);
    return it->second;
}

void PageIndex::setPage(std::string page)
{
    m_page = std::move(page);
    if (m_page.size() > UINT32_MAX)
        m_page.resize(UINT32_MAX); // offsets are 32-bit; no table comes near this
    m_lines.clear();
    m_states.clear();
    m_stateIds.clear();
    m_anchors.clear();
    m_anchorLines.clear();
    m_search = {};
    m_searchBuilt = false;

    std::vector<Element> stack;
    uint32_t state = internState(stack);
    bool stateValid = true;
    const char* const begin = m_page.data();
    const char* const end = begin + m_page.size();
    Line current{0, state, 0};
    std::string anchor;
    // Ends the current line; the next one starts at from.
    const auto startLine = [&](const char* from) {
        m_lines.push_back(current);
        if (!stateValid) {
            // Most lines end with the elements the previous one ended with.
            if (!(m_states[state] == stack))
                state = internState(stack);
            stateValid = true;
        }
        current = Line{uint32_t(from - begin), state, 0};
    };
    const char* p = begin;
    while (p < end) {
        const char* lt = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)));
        if (!lt)
            lt = end;
        // A very long line (a table without line ends) goes on over several
        // display lines, so no single line is ever too big to lay out.
        while (size_t(lt - p) + current.chars > kMaxLineChars) {
            const size_t room = current.chars < kMaxLineChars ? kMaxLineChars - current.chars : 0;
            const char* cut = p + room;
            for (const char* back = cut; back > p && cut - back < 10; --back)
                if (back[-1] == '&') { // not inside an entity
                    cut = back - 1;
                    break;
                } else if (back[-1] == ';') {
                    break;
                }
            while (cut > p && (static_cast<unsigned char>(*cut) & 0xC0) == 0x80)
                --cut; // nor inside a multi-byte character
            if (cut == p && current.chars == 0)
                cut = p + kMaxLineChars;
            current.chars += uint32_t(cut - p);
            startLine(cut);
            p = cut;
        }
        current.chars += uint32_t(lt - p);
        if (lt == end)
            break;
        const Markup m = readMarkup(lt, end);
        p = m.end;
        if (!m.isTag) {
            ++current.chars;
            continue;
        }
        anchor.clear();
        const size_t depth = stack.size();
        const bool lineBreak = applyMarkup(m, stack, &anchor);
        if (stack.size() != depth || (!m.closing && m.tag != Other && m.tag != Br && m.tag != Para))
            stateValid = false;
        if (!anchor.empty())
            m_anchors.emplace(anchor, int(m_lines.size()));
        if (lineBreak) {
            startLine(p);
        }
    }
    // The text after the last break is a line when it shows anything.
    if (m_lines.empty() || current.chars > 0) {
        m_lines.push_back(current);
        if (lineText(int(m_lines.size()) - 1).empty() && m_lines.size() > 1)
            m_lines.pop_back();
    }
    // An anchor after the last visible text still leads to the end.
    for (auto& [name, line] : m_anchors) {
        line = std::min(line, lineCount() - 1);
        int number = 0;
        const auto [stop, ec] = std::from_chars(name.data(), name.data() + name.size(), number);
        if (ec == std::errc() && stop == name.data() + name.size())
            m_anchorLines.emplace_back(line, number);
    }
    std::sort(m_anchorLines.begin(), m_anchorLines.end());
}

int PageIndex::lineOfAnchor(const std::string& name) const
{
    const auto it = m_anchors.find(name);
    return it == m_anchors.end() ? -1 : it->second;
}

void PageIndex::lineContent(int line, std::string& text, std::vector<StyledRun>* runs) const
{
    text.clear();
    if (runs)
        runs->clear();
    if (line < 0 || line >= lineCount())
        return;
    const Line& l = m_lines[size_t(line)];
    // Without runs only the text is wanted: the elements need not be followed.
    std::vector<Element> stack = runs ? m_states[l.state] : std::vector<Element>();
    const char* p = m_page.data() + l.offset;
    const char* const end = size_t(line + 1) < m_lines.size()
                                ? m_page.data() + m_lines[size_t(line) + 1].offset
                                : m_page.data() + m_page.size();
    // The display rule, per line: UTF-8 when the line is valid UTF-8, else
    // Windows-1252. Markup is ASCII and does not change the answer.
    const bool utf8 = qm::IsValidUtf8(std::string_view(p, size_t(end - p)));
    TextStyle style = styleOf(stack);
    bool pendingSpace = false;
    TextStyle spaceStyle;
    auto mark = [&](size_t before, const TextStyle& st) {
        if (!runs || text.size() == before)
            return;
        if (runs->empty() || !(runs->back().style == st))
            runs->push_back({uint32_t(before), 0, st});
        runs->back().length = uint32_t(text.size()) - runs->back().start;
    };
    auto flushSpace = [&] {
        if (pendingSpace && !text.empty()) {
            const size_t before = text.size();
            text.push_back(' ');
            mark(before, spaceStyle);
        }
        pendingSpace = false;
    };
    while (p < end) {
        const char c = *p;
        if (c == '<') {
            const Markup m = readMarkup(p, end);
            if (m.isTag) {
                p = m.end;
                if (!runs) {
                    if (m.tag == Br || (m.tag == Para && !m.closing))
                        break; // as applyMarkup finds the line's end
                    continue;
                }
                if (applyMarkup(m, stack, nullptr))
                    break; // the line's closing <br>
                style = styleOf(stack);
                continue;
            }
        }
        if (isSpace(c)) {
            if (!pendingSpace)
                spaceStyle = style;
            pendingSpace = true;
            ++p;
            continue;
        }
        if (c == '\0') {
            ++p;
            continue;
        }
        if (c == '&') {
            char32_t ch = 0;
            const char* after = nullptr;
            if (readEntity(p, end, ch, after)) {
                flushSpace();
                const size_t before = text.size();
                qm::AppendUtf8(text, ch);
                mark(before, style);
                p = after;
                continue;
            }
        }
        const char* q = p + 1;
        while (q < end && *q != '<' && *q != '&' && *q != '\0' && !isSpace(*q))
            ++q;
        flushSpace();
        const size_t before = text.size();
        if (utf8)
            text.append(p, size_t(q - p));
        else
            text += qm::Windows1252ToUtf8(std::string_view(p, size_t(q - p)));
        mark(before, style);
        p = q;
    }
}

std::string PageIndex::lineText(int line) const
{
    std::string text;
    lineContent(line, text, nullptr);
    return text;
}

std::vector<int> PageIndex::longestLines(int howMany) const
{
    std::vector<int> idx(m_lines.size());
    for (size_t i = 0; i < idx.size(); ++i)
        idx[i] = int(i);
    const size_t n = std::min(idx.size(), size_t(std::max(howMany, 0)));
    auto longer = [&](int a, int b) { return m_lines[size_t(a)].chars > m_lines[size_t(b)].chars; };
    std::partial_sort(idx.begin(), idx.begin() + std::ptrdiff_t(n), idx.end(), longer);
    idx.resize(n);
    return idx;
}

int PageIndex::anchorAtOrBefore(int line) const
{
    const auto it =
        std::upper_bound(m_anchorLines.begin(), m_anchorLines.end(), std::pair(line, INT32_MAX));
    return it == m_anchorLines.begin() ? -1 : std::prev(it)->second;
}

const PageIndex::SearchText& PageIndex::searchText() const
{
    if (!m_searchBuilt) {
        m_search.text.clear();
        m_search.lineStarts.clear();
        m_search.text.reserve(m_page.size() / 2);
        m_search.lineStarts.reserve(m_lines.size());
        std::string line;
        for (int i = 0; i < lineCount(); ++i) {
            m_search.lineStarts.push_back(m_search.text.size());
            lineContent(i, line, nullptr);
            m_search.text += line;
            m_search.text.push_back('\n');
        }
        m_searchBuilt = true;
    }
    return m_search;
}

int PageIndex::SearchText::lineOf(size_t offset) const
{
    const auto it = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    return int(it - lineStarts.begin()) - 1;
}

} // namespace gridlens
