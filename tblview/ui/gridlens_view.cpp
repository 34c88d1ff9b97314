#include "tblview/ui/gridlens_view.h"

#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QTextLayout>
#include <QTimer>
#include <cmath>

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

bool CGRIDLENS32LView::Navigate(const QString& url)
{
    QString path = url;
    QString fragment;
    bool hasFragment = false;
    const qsizetype hash = url.lastIndexOf(QLatin1Char('#'));
    if (hash >= 0 && !QFileInfo::exists(url)) {
        path = url.left(hash);
        fragment = url.mid(hash + 1);
        hasFragment = true;
    }
    bool ok = true;
    if (!hasFragment || path != m_path) {
        QFile f(path);
        std::string bytes;
        if (f.open(QIODevice::ReadOnly)) {
            // Straight into the string: pages run to tens of megabytes.
            bytes.resize(size_t(std::max<qint64>(f.size(), 0)));
            const qint64 got = f.read(bytes.data(), qint64(bytes.size()));
            bytes.resize(size_t(std::max<qint64>(got, 0)));
            ok = got >= 0;
        } else {
            ok = false;
        }
        m_path = path;
        m_page.setPage(std::move(bytes));
        pageChanged();
    }
    int line = 0;
    if (hasFragment) {
        line = m_page.lineOfAnchor(fragment.toStdString());
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

void CGRIDLENS32LView::pageChanged()
{
    m_layouts.clear();
    m_anchor = m_cursor = TextPos{};
    m_selecting = false;
    m_contentWidth = 0;
    for (int line : m_page.longestLines(kWidthCandidates))
        m_contentWidth = std::max(m_contentWidth, int(std::ceil(layoutOf(line).maximumWidth())));
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
}

void CGRIDLENS32LView::updateScrollBars()
{
    const QSize vp = viewport()->size();
    const int rows = std::max(1, (vp.height() - 2 * kMargin) / m_lineHeight);
    verticalScrollBar()->setRange(0, std::max(0, m_page.lineCount() - rows));
    verticalScrollBar()->setPageStep(rows);
    horizontalScrollBar()->setRange(0, std::max(0, m_contentWidth + 2 * kMargin - vp.width()));
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
    m_page.layoutLine(line, *layout, m_font, 0);
    const QTextLayout& ref = *layout;
    m_layouts.emplace(line, std::move(layout));
    return ref;
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
    for (int line = first, y = kMargin; line < m_page.lineCount() && y < height;
         ++line, y += m_lineHeight) {
        if (y + m_lineHeight < event->rect().top())
            continue;
        const QTextLayout& layout = layoutOf(line);
        QList<QTextLayout::FormatRange> selected;
        if (selFrom.line <= line && line <= selTo.line) {
            const int from = line == selFrom.line ? selFrom.column : 0;
            const int to = line == selTo.line ? selTo.column : int(layout.text().size());
            if (to > from)
                selected.append({from, to - from, highlight});
        }
        layout.draw(&p, QPointF(x, y), selected);
        const int w = int(std::ceil(layout.maximumWidth()));
        if (w > m_contentWidth) {
            // A line wider than the first guess: widen the scroll range after painting.
            m_contentWidth = w;
            m_widthGrew = true;
        }
    }
    if (m_widthGrew) {
        m_widthGrew = false;
        QTimer::singleShot(0, this, [this] { updateScrollBars(); });
    }
}

void CGRIDLENS32LView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void CGRIDLENS32LView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CGRIDLENS32LView::keyPressEvent(QKeyEvent* event)
{
    QScrollBar* v = verticalScrollBar();
    QScrollBar* h = horizontalScrollBar();
    switch (event->key()) {
    case Qt::Key_Up:
        v->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Down:
        v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    case Qt::Key_PageUp:
        v->triggerAction(QAbstractSlider::SliderPageStepSub);
        break;
    case Qt::Key_PageDown:
        v->triggerAction(QAbstractSlider::SliderPageStepAdd);
        break;
    case Qt::Key_Left:
        h->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Right:
        h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
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
    const int row = (point.y() - kMargin) / m_lineHeight;
    pos.line = std::clamp(firstVisibleLine() + (point.y() < kMargin ? -1 : row), 0,
                          m_page.lineCount() - 1);
    const QTextLayout& layout = layoutOf(pos.line);
    if (layout.lineCount() > 0)
        pos.column =
            layout.lineAt(0).xToCursor(point.x() - kMargin + horizontalScrollBar()->value());
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
    QPainter p;
    if (!p.begin(&printer))
        return false;
    const qreal width = printer.width();
    const qreal height = printer.height();
    // The page's font at the printer's resolution.
    const QFont font(m_font, &printer);
    const qreal emptyRow = QFontMetricsF(font).lineSpacing();
    qreal y = 0;
    for (int line = 0; line < m_page.lineCount(); ++line) {
        QTextLayout layout(QString(), font, &printer);
        m_page.layoutLine(line, layout, font, width);
        if (layout.lineCount() == 0 || layout.text().isEmpty()) {
            y += emptyRow;
            if (y > height) {
                printer.newPage();
                y = emptyRow;
            }
            continue;
        }
        // Row by row, so a line longer than a page still breaks between pages.
        for (int r = 0; r < layout.lineCount(); ++r) {
            const QTextLine row = layout.lineAt(r);
            if (y + row.height() > height && y > 0) {
                printer.newPage();
                y = 0;
            }
            row.draw(&p, QPointF(0, y - row.y()));
            y += row.height();
        }
    }
    return p.end();
}

} // namespace gridlens
