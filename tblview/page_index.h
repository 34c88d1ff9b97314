#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace gridlens {

// How a run of a line's text looks. Colours are 0xAARRGGBB.
struct TextStyle {
    uint32_t color = 0xFF000000u;
    uint32_t background = 0;
    bool hasBackground = false, bold = false, underline = false, italic = false;
    bool operator==(const TextStyle&) const = default;
};

// A run of a display line's UTF-8 text in one style (byte offsets).
struct StyledRun {
    uint32_t start = 0;
    uint32_t length = 0;
    TextStyle style;
};

// The converter's pages as a browser would show them, without a browser: the
// page is split into display lines at every <br>, and only a small index is
// built when it is loaded (where each line starts and which elements are open
// there). A line's text and styles are produced when it is shown, printed or
// searched, so opening costs one linear scan however large the table is.
//
// Understood: <br>, <p>, <font color>, <b>/<strong>, <u>, <i>/<em>,
// <span style="color/background-color">, <a name>, comments, the usual
// entities; white space collapses as in HTML. Other tags are skipped. Text is
// given as UTF-8 by the display rule: a line that is valid UTF-8 as it is,
// any other as Windows-1252.
class PageIndex {
public:
    struct Element {
        uint8_t tag = 0;         // one of the Tag values in the .cpp
        uint32_t color = 0;      // text colour, when hasColor
        uint32_t background = 0; // background colour, when hasBackground
        bool hasColor = false;
        bool hasBackground = false;
        bool operator==(const Element&) const = default;
    };

    // Every display line's text, each followed by "\n", for searching.
    struct SearchText {
        std::string text;
        std::vector<size_t> lineStarts;
        int lineOf(size_t offset) const;
    };

    // Replaces the content with this page (bytes as the converter wrote them).
    void setPage(std::string page);
    void clear() { setPage(std::string()); }

    int lineCount() const { return static_cast<int>(m_lines.size()); }
    // Line that holds the anchor with this name; -1 when there is none. The
    // first anchor of a name wins, as in a browser.
    int lineOfAnchor(const std::string& name) const;
    // The number of the last anchor (by its decimal name) on this line or
    // before it; -1 when there is none.
    int anchorAtOrBefore(int line) const;
    // The display text (UTF-8) of one line and, when runs is given, its styles.
    void lineContent(int line, std::string& text, std::vector<StyledRun>* runs) const;
    std::string lineText(int line) const;
    // Characters of the longest lines, for a first guess at the page width.
    std::vector<int> longestLines(int howMany) const;
    size_t byteSize() const { return m_page.size(); }
    // Built on first use and kept until the page changes.
    const SearchText& searchText() const;

private:
    struct Line {
        uint32_t offset = 0; // first byte of the line in m_page
        uint32_t state = 0;  // index into m_states: the elements open at its start
        uint32_t chars = 0;  // rough number of characters, for width guesses
    };
    uint32_t internState(const std::vector<Element>& stack);

    std::string m_page;
    std::vector<Line> m_lines;
    std::vector<std::vector<Element>> m_states;
    std::map<std::string, uint32_t> m_stateIds;
    std::unordered_map<std::string, int> m_anchors;
    std::vector<std::pair<int, int>> m_anchorLines; // (line, anchor number), sorted
    mutable SearchText m_search;
    mutable bool m_searchBuilt = false;
};

} // namespace gridlens
