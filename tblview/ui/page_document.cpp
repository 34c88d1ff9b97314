#include "tblview/ui/page_document.h"

#include <QColor>
#include <QFont>
#include <QTextCharFormat>

namespace gridlens {

namespace {
QTextCharFormat formatOf(const TextStyle& s)
{
    QTextCharFormat f;
    f.setForeground(QColor::fromRgba(s.color));
    if (s.hasBackground)
        f.setBackground(QColor::fromRgba(s.background));
    if (s.bold)
        f.setFontWeight(QFont::Bold);
    if (s.underline)
        f.setFontUnderline(true);
    if (s.italic)
        f.setFontItalic(true);
    return f;
}
} // namespace

void PageDocument::lineContent(int line, QString& text,
                               QList<QTextLayout::FormatRange>& formats) const
{
    std::string utf8;
    std::vector<StyledRun> runs;
    m_index.lineContent(line, utf8, &runs);
    text.clear();
    formats.clear();
    for (const StyledRun& run : runs) {
        const int start = int(text.size());
        text += QString::fromUtf8(utf8.data() + run.start, qsizetype(run.length));
        formats.append({start, int(text.size()) - start, formatOf(run.style)});
    }
}

QString PageDocument::lineText(int line) const
{
    return QString::fromStdString(m_index.lineText(line));
}

int PageDocument::columnOf(int line, size_t byteOffset) const
{
    const std::string text = m_index.lineText(line);
    return int(QString::fromUtf8(text.data(), qsizetype(std::min(byteOffset, text.size()))).size());
}

void PageDocument::layoutLine(int line, QTextLayout& layout, const QFont& font,
                              qreal wrapWidth) const
{
    QString text;
    QList<QTextLayout::FormatRange> formats;
    lineContent(line, text, formats);
    layout.setFont(font);
    layout.setText(text);
    layout.setFormats(formats);
    QTextOption option;
    option.setWrapMode(wrapWidth > 0 ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                     : QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    qreal y = 0;
    for (;;) {
        QTextLine row = layout.createLine();
        if (!row.isValid())
            break;
        row.setLineWidth(wrapWidth > 0 ? wrapWidth : 1e7);
        row.setPosition(QPointF(0, y));
        y += row.height();
    }
    layout.endLayout();
}

} // namespace gridlens
