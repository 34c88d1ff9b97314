#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QTextLayout>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

class QPaintDevice;

namespace gridlens {

// The converter's pages as a browser would show them, without a browser: the
// page is split into display lines at every <br>, and only a small index is
// built when it is loaded (where each line starts and which elements are open
// there). A line's text and formats are produced when it is shown or printed,
// so opening costs one linear scan however large the table is.
//
// Understood: <br>, <p>, <font color>, <b>/<strong>, <u>, <i>/<em>,
// <span style="color/background-color">, <a name>, comments, the usual
// entities; white space collapses as in HTML. Other tags are skipped.
class PageDocument {
public:
    struct Element {
        uint8_t tag = 0;     // one of the Tag values in the .cpp
        QRgb color = 0;      // text colour, when hasColor
        QRgb background = 0; // background colour, when hasBackground
        bool hasColor = false;
        bool hasBackground = false;
        bool operator==(const Element&) const = default;
    };

    // Replaces the content with this page text (bytes in the local 8-bit code page).
    void setPage(std::string page);
    void clear() { setPage(std::string()); }

    int lineCount() const { return static_cast<int>(m_lines.size()); }
    // Line that holds the anchor with this name; -1 when there is none. The
    // first anchor of a name wins, as in a browser.
    int lineOfAnchor(const std::string& name) const;
    // The display text and formats of one line.
    void lineContent(int line, QString& text, QList<QTextLayout::FormatRange>& formats) const;
    QString lineText(int line) const;
    // Characters of the longest lines, for a first guess at the page width.
    std::vector<int> longestLines(int howMany) const;
    size_t byteSize() const { return m_page.size(); }

    // Lays out one line for painting on device (nullptr: the screen) with font;
    // wrapWidth <= 0 keeps it on one row.
    void layoutLine(int line, QTextLayout& layout, const QFont& font, qreal wrapWidth) const;

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
};

} // namespace gridlens
