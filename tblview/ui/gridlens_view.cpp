#include "tblview/ui/gridlens_view.h"

#include "platform/file_system.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QTextCharFormat>
#include <QTextLayout>
#include <QTimer>
#include <climits>
#include <cmath>
#include <optional>

namespace gridlens {

namespace {
constexpr size_t kLayoutCacheLimit = 600; // a few screens of laid-out lines
constexpr int kWidthCandidates = 64;      // longest lines measured when a page opens
} // namespace

CGRIDLENS32LView::CGRIDLENS32LView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("htmlView"));
    setFocusPolicy(Qt::StrongFocus);
    // The page asks for Tahoma, Arial at HTML size 2, which browsers show at 10 points.
    m_font = QFont(QStringList{QStringLiteral("Tahoma"), QStringLiteral("Arial"),
                               QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    m_font.setPointSize(10);
    m_font.setStyleHint(QFont::SansSerif);
    QFont bold = m_font;
    bold.setBold(true);
    m_lineHeight = std::max(QFontMetrics(m_font).lineSpacing(), QFontMetrics(bold).lineSpacing());
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(1);
    m_page.clear();
    pageChanged();
}

CGRIDLENS32LView::~CGRIDLENS32LView() = default;

bool CGRIDLENS32LView::Navigate(const std::string& url)
{
    std::string path = url;
    std::string fragment;
    bool hasFragment = false;
    const size_t hash = url.rfind('#');
    if (hash != std::string::npos && !qm::fs::Exists(url)) {
        path = url.substr(0, hash);
        fragment = url.substr(hash + 1);
        hasFragment = true;
    }
    bool ok = true;
    if (!hasFragment || path != m_path) {
        // Our own page, read whole: pages run to hundreds of megabytes.
        std::optional<std::string> bytes = qm::fs::ReadWholeFile(path, UINT32_MAX);
        ok = bytes.has_value();
        m_path = path;
        m_page.setPage(bytes ? std::move(*bytes) : std::string());
        pageChanged();
    }
    int line = 0;
    if (hasFragment) {
        line = m_page.lineOfAnchor(fragment);
        if (line < 0)
            return ok; // a browser stays where it is for an unknown anchor
    }
    verticalScrollBar()->setValue(line);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    return ok;
}

void CGRIDLENS32LView::showEmpty()
{
    m_page.clear();
    pageChanged();
}

int CGRIDLENS32LView::firstVisibleLine() const
{
    return verticalScrollBar()->value();
}

int CGRIDLENS32LView::visibleLineCount() const
{
    const int height = viewport()->height() - kMargin;
    int count = 0;
    for (int line = firstVisibleLine(), y = kMargin; line < m_page.lineCount() && y < height;
         ++line, ++count)
        y += heightOf(line);
    return std::max(1, count);
}

void CGRIDLENS32LView::setWrapLongLines(bool wrap)
{
    if (wrap == m_wrap)
        return;
    const int first = firstVisibleLine();
    m_wrap = wrap;
    m_layouts.clear();
    updateScrollBars();
    verticalScrollBar()->setValue(first);
    viewport()->update();
}

qreal CGRIDLENS32LView::wrapWidth() const
{
    return m_wrap ? std::max(40, viewport()->width() - 2 * kMargin) : 0;
}

int CGRIDLENS32LView::heightOf(int line) const
{
    if (!m_wrap)
        return m_lineHeight;
    const QTextLayout& layout = layoutOf(line);
    return std::max(m_lineHeight, int(std::ceil(layout.boundingRect().height())));
}

void CGRIDLENS32LView::pageChanged()
{
    m_layouts.clear();
    m_anchor = m_cursor = TextPos{};
    m_selecting = false;
    m_contentWidth = 0;
    if (!m_wrap)
        for (int line : m_page.longestLines(kWidthCandidates))
            m_contentWidth =
                std::max(m_contentWidth, int(std::ceil(layoutOf(line).maximumWidth())));
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

void CGRIDLENS32LView::updateScrollBars()
{
    const QSize vp = viewport()->size();
    const int rows = std::max(1, (vp.height() - 2 * kMargin) / m_lineHeight);
    int last = std::max(0, m_page.lineCount() - rows);
    if (m_wrap) {
        // The last lines fill the screen from the last first line on.
        int room = vp.height() - 2 * kMargin;
        last = m_page.lineCount();
        while (last > 0 && room >= heightOf(last - 1))
            room -= heightOf(--last);
        last = std::min(last, std::max(0, m_page.lineCount() - 1));
    }
    verticalScrollBar()->setRange(0, last);
    verticalScrollBar()->setPageStep(rows);
    const int wide = m_wrap ? 0 : m_contentWidth + 2 * kMargin - vp.width();
    horizontalScrollBar()->setRange(0, std::max(0, wide));
    horizontalScrollBar()->setPageStep(vp.width());
    horizontalScrollBar()->setSingleStep(std::max(1, m_lineHeight));
}

const QTextLayout& CGRIDLENS32LView::layoutOf(int line) const
{
    auto it = m_layouts.find(line);
    if (it != m_layouts.end())
        return *it->second;
    if (m_layouts.size() >= kLayoutCacheLimit)
        m_layouts.clear();
    auto layout = std::make_unique<QTextLayout>();
    m_page.layoutLine(line, *layout, m_font, wrapWidth());
    const QTextLayout& ref = *layout;
    m_layouts.emplace(line, std::move(layout));
    return ref;
}

void CGRIDLENS32LView::setFindHighlight(const std::string& needle, const FindOptions& options)
{
    m_needle = needle;
    m_findOptions = options;
    viewport()->update();
}

QList<QTextLayout::FormatRange> CGRIDLENS32LView::findRanges(int line, const QString& text) const
{
    QList<QTextLayout::FormatRange> ranges;
    if (m_needle.empty())
        return ranges;
    const std::string utf8 = m_page.index().lineText(line);
    QTextCharFormat mark;
    mark.setBackground(QColor(255, 150, 50));
    mark.setForeground(Qt::black);
    for (size_t at = FindText(utf8, m_needle, 0, m_findOptions); at != std::string::npos;
         at = FindText(utf8, m_needle, at + m_needle.size(), m_findOptions)) {
        const int from = int(QString::fromUtf8(utf8.data(), qsizetype(at)).size());
        const int length =
            int(QString::fromUtf8(utf8.data() + at, qsizetype(m_needle.size())).size());
        if (from + length <= text.size())
            ranges.append({from, length, mark});
    }
    return ranges;
}

void CGRIDLENS32LView::showMatch(int line, size_t byteStart, size_t byteLength)
{
    if (line < 0 || line >= m_page.lineCount())
        return;
    m_anchor = {line, m_page.columnOf(line, byteStart)};
    m_cursor = {line, m_page.columnOf(line, byteStart + byteLength)};
    const int first = firstVisibleLine();
    if (line < first || line >= first + visibleLineCount() - (m_wrap ? 0 : 1))
        verticalScrollBar()->setValue(std::max(0, line - 3)); // a little context above
    if (!m_wrap) {
        const QTextLayout& layout = layoutOf(line);
        if (layout.lineCount() > 0) {
            const int x = int(layout.lineAt(0).cursorToX(m_anchor.column));
            const int x2 = int(layout.lineAt(0).cursorToX(m_cursor.column));
            QScrollBar* h = horizontalScrollBar();
            const int width = viewport()->width() - 2 * kMargin;
            if (x < h->value() || x2 > h->value() + width)
                h->setValue(std::max(0, x - width / 3));
        }
    }
    viewport()->update();
}

size_t CGRIDLENS32LView::searchFrom(bool backward) const
{
    const PageIndex::SearchText& search = m_page.index().searchText();
    if (search.lineStarts.empty())
        return 0;
    const auto byteOf = [&](const TextPos& pos) {
        const QString text = m_page.lineText(pos.line);
        return search.lineStarts[size_t(pos.line)] + size_t(text.left(pos.column).toUtf8().size());
    };
    const auto [from, to] = selection();
    if (from < to)
        return backward ? byteOf(from) : byteOf(to);
    const int first = std::min(firstVisibleLine(), int(search.lineStarts.size()) - 1);
    return search.lineStarts[size_t(first)];
}

void CGRIDLENS32LView::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    p.fillRect(event->rect(), Qt::white);
    const int first = verticalScrollBar()->value();
    const int x = kMargin - horizontalScrollBar()->value();
    const int height = viewport()->height();
    const auto [selFrom, selTo] = selection();
    QTextCharFormat highlight;
    highlight.setBackground(palette().brush(QPalette::Highlight));
    highlight.setForeground(palette().brush(QPalette::HighlightedText));
    for (int line = first, y = kMargin; line < m_page.lineCount() && y < height; ++line) {
        const int h = heightOf(line);
        if (y + h < event->rect().top()) {
            y += h;
            continue;
        }
        const QTextLayout& layout = layoutOf(line);
        QList<QTextLayout::FormatRange> marks = findRanges(line, layout.text());
        if (selFrom.line <= line && line <= selTo.line) {
            const int from = line == selFrom.line ? selFrom.column : 0;
            const int to = line == selTo.line ? selTo.column : int(layout.text().size());
            if (to > from)
                marks.append({from, to - from, highlight});
        }
        layout.draw(&p, QPointF(x, y), marks);
        if (!m_wrap) {
            const int w = int(std::ceil(layout.maximumWidth()));
            if (w > m_contentWidth) {
                // A line wider than the first guess: widen the scroll range after painting.
                m_contentWidth = w;
                m_widthGrew = true;
            }
        }
        y += h;
    }
    if (m_widthGrew) {
        m_widthGrew = false;
        QTimer::singleShot(0, this, [this] { updateScrollBars(); });
    }
}

void CGRIDLENS32LView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_wrap && event->oldSize().width() != event->size().width())
        m_layouts.clear(); // the rows depend on the width
    updateScrollBars();
}

void CGRIDLENS32LView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CGRIDLENS32LView::keyPressEvent(QKeyEvent* event)
{
    // The keys that step the view as the scroll bars' own buttons do.
    struct Step {
        int key;
        bool vertical;
        QAbstractSlider::SliderAction action;
    };
    static constexpr Step kSteps[] = {
        {Qt::Key_Up, true, QAbstractSlider::SliderSingleStepSub},
        {Qt::Key_Down, true, QAbstractSlider::SliderSingleStepAdd},
        {Qt::Key_PageUp, true, QAbstractSlider::SliderPageStepSub},
        {Qt::Key_PageDown, true, QAbstractSlider::SliderPageStepAdd},
        {Qt::Key_Left, false, QAbstractSlider::SliderSingleStepSub},
        {Qt::Key_Right, false, QAbstractSlider::SliderSingleStepAdd},
    };
    for (const Step& s : kSteps) {
        if (event->key() == s.key) {
            (s.vertical ? verticalScrollBar() : horizontalScrollBar())->triggerAction(s.action);
            event->accept();
            return;
        }
    }
    QScrollBar* v = verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_Home:
        v->setValue(v->minimum());
        break;
    case Qt::Key_End:
        v->setValue(v->maximum());
        break;
    default:
        if (event->matches(QKeySequence::Copy)) {
            if (!selectedText().isEmpty())
                QGuiApplication::clipboard()->setText(selectedText());
        } else if (event->matches(QKeySequence::SelectAll)) {
            selectAll();
        } else {
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
    }
    event->accept();
}

CGRIDLENS32LView::TextPos CGRIDLENS32LView::posAt(const QPoint& point) const
{
    TextPos pos;
    if (m_page.lineCount() == 0)
        return pos;
    int line = firstVisibleLine();
    int top = kMargin;
    if (point.y() < kMargin) {
        line = std::max(0, line - 1);
    } else {
        while (line < m_page.lineCount() - 1 && point.y() >= top + heightOf(line))
            top += heightOf(line++);
    }
    pos.line = std::clamp(line, 0, m_page.lineCount() - 1);
    const QTextLayout& layout = layoutOf(pos.line);
    const qreal x = point.x() - kMargin + horizontalScrollBar()->value();
    for (int r = 0; r < layout.lineCount(); ++r) {
        const QTextLine row = layout.lineAt(r);
        if (r == layout.lineCount() - 1 || point.y() < top + row.y() + row.height()) {
            pos.column = row.xToCursor(x);
            break;
        }
    }
    return pos;
}

std::pair<CGRIDLENS32LView::TextPos, CGRIDLENS32LView::TextPos> CGRIDLENS32LView::selection() const
{
    return m_anchor < m_cursor ? std::pair(m_anchor, m_cursor) : std::pair(m_cursor, m_anchor);
}

QString CGRIDLENS32LView::selectedText() const
{
    const auto [from, to] = selection();
    QString text;
    for (int line = from.line; line <= to.line && from < to; ++line) {
        const QString whole = m_page.lineText(line);
        const int start = line == from.line ? from.column : 0;
        const int end = line == to.line ? to.column : int(whole.size());
        if (line > from.line)
            text += QLatin1Char('\n');
        text += whole.mid(start, std::max(0, end - start));
    }
    return text.replace(QChar(0xA0), QLatin1Char(' '));
}

void CGRIDLENS32LView::selectAll()
{
    m_anchor = TextPos{};
    m_cursor.line = std::max(0, m_page.lineCount() - 1);
    m_cursor.column = int(m_page.lineText(m_cursor.line).size());
    viewport()->update();
}

void CGRIDLENS32LView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    m_anchor = m_cursor = posAt(event->position().toPoint());
    m_selecting = true;
    viewport()->update();
}

void CGRIDLENS32LView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_selecting)
        return QAbstractScrollArea::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    // Dragging past the edge scrolls on.
    if (at.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (at.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    m_cursor = posAt(at);
    viewport()->update();
}

void CGRIDLENS32LView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_selecting = false;
    QAbstractScrollArea::mouseReleaseEvent(event);
}

bool CGRIDLENS32LView::printTo(QPrinter& printer) const
{
    // Pages outside the range are laid out (to know where pages break) but
    // not drawn; the first printed one needs no new page before it.
    const bool ranged = printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0;
    const int fromPage = ranged ? printer.fromPage() : 1;
    const int toPage = ranged ? std::max(printer.toPage(), fromPage) : INT_MAX;
    QPainter p;
    if (!p.begin(&printer))
        return false;
    const qreal width = printer.width();
    const qreal height = printer.height();
    // The page's font at the printer's resolution.
    const QFont font(m_font, &printer);
    const qreal emptyRow = QFontMetricsF(font).lineSpacing();
    int page = 1;
    bool printedAny = false;
    qreal y = 0;
    const auto breakPage = [&] {
        ++page;
        y = 0;
        if (printedAny && page >= fromPage && page <= toPage)
            printer.newPage();
    };
    for (int line = 0; line < m_page.lineCount() && page <= toPage; ++line) {
        QTextLayout layout(QString(), font, &printer);
        m_page.layoutLine(line, layout, font, width);
        if (layout.lineCount() == 0 || layout.text().isEmpty()) {
            if (y + emptyRow > height && y > 0)
                breakPage();
            y += emptyRow;
            continue;
        }
        // Row by row, so a line longer than a page still breaks between pages.
        for (int r = 0; r < layout.lineCount() && page <= toPage; ++r) {
            const QTextLine row = layout.lineAt(r);
            if (y + row.height() > height && y > 0)
                breakPage();
            if (page >= fromPage && page <= toPage) {
                row.draw(&p, QPointF(0, y - row.y()));
                printedAny = true;
            }
            y += row.height();
        }
    }
    return p.end();
}

} // namespace gridlens
