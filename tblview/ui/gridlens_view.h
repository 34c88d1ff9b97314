#pragma once

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
    bool Navigate(const QString& url);
    // Shows nothing: for a page that could not be written.
    void showEmpty();

    const PageDocument& page() const { return m_page; }
    QString currentPath() const { return m_path; }
    int firstVisibleLine() const;
    int lineHeight() const { return m_lineHeight; }
    int contentWidth() const { return m_contentWidth; }
    QFont pageFont() const { return m_font; }

    // The selected text, lines joined by "\n" ("" when nothing is selected).
    QString selectedText() const;
    void selectAll();

    // Prints the whole page, wrapped to the paper's width. false when the
    // printer could not be started.
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

    PageDocument m_page;
    QString m_path;
    QFont m_font;
    int m_lineHeight = 16;
    int m_contentWidth = 0;
    mutable std::unordered_map<int, std::unique_ptr<QTextLayout>> m_layouts;
    mutable bool m_widthGrew = false;
    TextPos m_anchor, m_cursor; // the selection runs between them
    bool m_selecting = false;
};

} // namespace gridlens
