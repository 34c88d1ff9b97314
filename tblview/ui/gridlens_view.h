#pragma once

#include "tblview/text_search.h"
#include "tblview/ui/page_document.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QString>
#include <memory>
#include <unordered_map>

class QPrinter;
class QTextLayout;

namespace gridlens {

// Shows the temporary page. It draws only the lines on screen, so a page of
// many megabytes opens as fast as its index is built; jumps go to "#n".
class CGRIDLENS32LView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit CGRIDLENS32LView(QWidget* parent = nullptr);
    ~CGRIDLENS32LView() override;

    // "path" (re)loads the page from disk and shows its top; "path#name" jumps
    // to the anchor name, loading the page first when another one is shown.
    // false when the page cannot be read (an empty page is shown then).
    // Bytes: the path is the file system's.
    bool Navigate(const std::string& url);
    // Shows nothing: for a page that could not be written.
    void showEmpty();

    const PageDocument& page() const { return m_page; }
    const std::string& currentPath() const { return m_path; }
    int firstVisibleLine() const;
    // Lines from the first visible one that fit on the screen (at least 1).
    int visibleLineCount() const;

    // Long lines wrap at the window's edge instead of scrolling sideways.
    void setWrapLongLines(bool wrap);
    bool wrapLongLines() const { return m_wrap; }

    // Every place of needle (UTF-8) is marked on the lines shown; empty: none.
    void setFindHighlight(const std::string& needle, const FindOptions& options);
    // The found place (line, and UTF-8 bytes of its text) is selected and
    // scrolled into view.
    void showMatch(int line, size_t byteStart, size_t byteLength);
    // Where a search goes on from: the byte of the page's search text after
    // the selection (forward) or at its start (backward); without a
    // selection, the first visible line.
    size_t searchFrom(bool backward) const;
    int lineHeight() const { return m_lineHeight; }
    int contentWidth() const { return m_contentWidth; }
    QFont pageFont() const { return m_font; }

    // The selected text, lines joined by "\n" ("" when nothing is selected).
    QString selectedText() const;
    void selectAll();

    // Prints the page, wrapped to the paper's width: all pages, or those of
    // the printer's page range. false when the printer could not be started.
    bool printTo(QPrinter& printer) const;

    static constexpr int kMargin = 8; // as a browser's page margin

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct TextPos {
        int line = 0, column = 0;
        auto operator<=>(const TextPos&) const = default;
    };
    TextPos posAt(const QPoint& point) const;
    std::pair<TextPos, TextPos> selection() const; // ordered

    void pageChanged();
    void updateScrollBars();
    const QTextLayout& layoutOf(int line) const;
    qreal wrapWidth() const;
    int heightOf(int line) const; // pixels the line takes on screen
    QList<QTextLayout::FormatRange> findRanges(int line, const QString& text) const;

    PageDocument m_page;
    std::string m_path;
    bool m_wrap = false;
    std::string m_needle;
    FindOptions m_findOptions;
    QFont m_font;
    int m_lineHeight = 16;
    int m_contentWidth = 0;
    mutable std::unordered_map<int, std::unique_ptr<QTextLayout>> m_layouts;
    mutable bool m_widthGrew = false;
    TextPos m_anchor, m_cursor; // the selection runs between them
    bool m_selecting = false;
};

} // namespace gridlens
