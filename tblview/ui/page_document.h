#pragma once

#include "tblview/page_index.h"

#include <QList>
#include <QString>
#include <QTextLayout>
#include <string>
#include <vector>

class QFont;

namespace gridlens {

// The page index (tblview_core) in Qt's terms: a line's text as a QString
// with its formats, laid out for the screen or the printer.
class PageDocument {
public:
    void setPage(std::string page) { m_index.setPage(std::move(page)); }
    void clear() { m_index.clear(); }

    const PageIndex& index() const { return m_index; }
    int lineCount() const { return m_index.lineCount(); }
    int lineOfAnchor(const std::string& name) const { return m_index.lineOfAnchor(name); }
    std::vector<int> longestLines(int howMany) const { return m_index.longestLines(howMany); }
    size_t byteSize() const { return m_index.byteSize(); }

    void lineContent(int line, QString& text, QList<QTextLayout::FormatRange>& formats) const;
    QString lineText(int line) const;
    // The QString column of a UTF-8 byte offset into a line's text.
    int columnOf(int line, size_t byteOffset) const;

    // Lays out one line with font; wrapWidth <= 0 keeps it on one row.
    void layoutLine(int line, QTextLayout& layout, const QFont& font, qreal wrapWidth) const;

private:
    PageIndex m_index;
};

} // namespace gridlens
