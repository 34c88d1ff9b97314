#include "xplook/flat_look.h"

#include "xplook/sys_colours.h"
#include "xplook/xp_menu_style.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegion>
#include <QScrollBar>
#include <QSlider>
#include <QStyleOptionComplex>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTreeView>
#include <algorithm>
#include <iterator>

namespace qm::xp {

namespace {

struct Colours {
    explicit Colours(const QPalette& pal)
        : face(GetSysColor(COLOR_BTNFACE, pal)), shadow(GetSysColor(COLOR_BTNSHADOW, pal)),
          highlight(GetSysColor(COLOR_BTNHIGHLIGHT, pal)),
          dkShadow(GetSysColor(COLOR_3DDKSHADOW, pal)), light(GetSysColor(COLOR_3DLIGHT, pal)),
          window(GetSysColor(COLOR_WINDOW, pal))
    {
    }
    QColor face, shadow, highlight, dkShadow, light, window;
};

QRect Inset(const QRect& r, int by)
{
    return r.adjusted(by, by, -by, -by);
}

// frame (p, q | r, s): two rings, the second one pixel inside.
void Frame(QPainter& g, const QRect& rect, const QColor& p, const QColor& q, const QColor& r,
           const QColor& s)
{
    DrawRing(&g, rect, p, q);
    DrawRing(&g, Inset(rect, 1), r, s);
}

void Frame(QPainter& g, const QRect& rect, const QColor& p, const QColor& q, const QColor& r,
           const QColor& s, const QColor& t, const QColor& u)
{
    Frame(g, rect, p, q, r, s);
    DrawRing(&g, Inset(rect, 2), t, u);
}

bool IsStandardButton(const QWidget* w)
{
    const char* name = w->metaObject()->className();
    return qstrcmp(name, "QPushButton") == 0 || qstrcmp(name, "QCheckBox") == 0 ||
           qstrcmp(name, "QRadioButton") == 0;
}

// The part frame of scroll-bar arrows, thumbs and drop-down buttons.
void PartFrame(QPainter& g, const QRect& r, const Colours& c, bool hot)
{
    if (hot)
        Frame(g, r, c.face, c.dkShadow, c.highlight, c.shadow);
    else
        Frame(g, r, c.highlight, c.shadow, c.face, c.face);
}

void EditLikeFrame(QPainter& g, const QRect& r, const Colours& c, uint16_t state, bool enabled)
{
    const bool hot = state & (kStateHot | kStateFocused);
    QColor p = c.face, q = c.face;
    if (hot) {
        p = c.dkShadow;
        q = c.light;
    } else if (enabled && !(state & kStateReadOnly)) {
        p = (state & kStateSmall) ? c.highlight : c.light;
        q = c.light;
    }
    Frame(g, r, c.shadow, c.highlight, p, q);
}

// The round mark of a radio button, 12 pixels across: the outer and the
// inner ring, each split into its upper-left and lower-right halves.
void RadioMark(QPainter& g, const QPoint& corner, const QColor& outerUpperLeft,
               const QColor& innerUpperLeft, const QColor& outerLowerRight,
               const QColor& innerLowerRight)
{
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            const double dx = x - 5.5, dy = y - 5.5;
            const double d = std::sqrt(dx * dx + dy * dy);
            const bool upperLeft = x + y < 11;
            QColor colour;
            if (d >= 4.6 && d < 5.9)
                colour = upperLeft ? outerUpperLeft : outerLowerRight;
            else if (d >= 3.6 && d < 4.6)
                colour = upperLeft ? innerUpperLeft : innerLowerRight;
            else
                continue;
            g.fillRect(QRect(corner + QPoint(x, y), QSize(1, 1)), colour);
        }
    }
}

// A trackbar thumb pointing at its ticks: a rectangle with a 45-degree tip.
// Each edge is lit when it faces up or left, shaded otherwise; the inner
// outline one pixel inside follows the same rule in the inner colours.
void PointedThumb(QPainter& g, const QRect& h, Qt::Orientation orientation, bool towardsEnd,
                  const Colours& c, bool hot)
{
    const int l = h.left(), t = h.top(), r = h.right(), b = h.bottom();
    QPolygon outline;
    if (orientation == Qt::Horizontal) {
        const int tip = (r - l) / 2, cx = l + tip;
        if (towardsEnd) // pointing down
            outline << QPoint(l, t) << QPoint(r, t) << QPoint(r, b - tip) << QPoint(cx, b)
                    << QPoint(l, b - tip);
        else
            outline << QPoint(cx, t) << QPoint(r, t + tip) << QPoint(r, b) << QPoint(l, b)
                    << QPoint(l, t + tip);
    } else {
        const int tip = (b - t) / 2, cy = t + tip;
        if (towardsEnd) // pointing right
            outline << QPoint(l, t) << QPoint(r - tip, t) << QPoint(r, cy) << QPoint(r - tip, b)
                    << QPoint(l, b);
        else
            outline << QPoint(l + tip, t) << QPoint(r, t) << QPoint(r, b) << QPoint(l + tip, b)
                    << QPoint(l, cy);
    }
    g.save();
    g.setRenderHint(QPainter::Antialiasing, false);
    g.setPen(Qt::NoPen);
    g.setBrush(c.face);
    g.drawPolygon(outline);
    const QPoint centre = h.center();
    QPolygon inner;
    for (const QPoint& p : outline)
        inner << p + QPoint(p.x() < centre.x()   ? 1
                            : p.x() > centre.x() ? -1
                                                 : 0,
                            p.y() < centre.y()   ? 1
                            : p.y() > centre.y() ? -1
                                                 : 0);
    auto edges = [&g](const QPolygon& poly, const QColor& lit, const QColor& shaded) {
        for (int i = 0; i < poly.size(); ++i) {
            const QPoint a = poly[i], z = poly[(i + 1) % poly.size()];
            // Outward normal of a clockwise edge on a y-down screen.
            const int nx = z.y() - a.y(), ny = a.x() - z.x();
            const bool isLit = nx + ny < 0 || (nx + ny == 0 && nx < 0);
            g.setPen(isLit ? lit : shaded);
            g.drawLine(a, z);
        }
    };
    edges(inner, hot ? c.light : c.face, hot ? c.shadow : c.face);
    edges(outline, c.highlight, hot ? c.dkShadow : c.shadow);
    g.restore();
}

void ArrowGlyph(QPainter& g, const QRect& r, Qt::ArrowType arrow, const QColor& colour)
{
    const QPoint c = r.center();
    for (int i = 0; i < 4; ++i) {
        const int half = 3 - i;
        switch (arrow) {
        case Qt::UpArrow:
            g.fillRect(QRect(c.x() - half, c.y() - 1 + i, 2 * half + 1, 1), colour);
            break;
        case Qt::DownArrow:
            g.fillRect(QRect(c.x() - half, c.y() + 2 - i, 2 * half + 1, 1), colour);
            break;
        case Qt::LeftArrow:
            g.fillRect(QRect(c.x() - 1 + i, c.y() - half, 1, 2 * half + 1), colour);
            break;
        default:
            g.fillRect(QRect(c.x() + 2 - i, c.y() - half, 1, 2 * half + 1), colour);
            break;
        }
    }
}

// What every control's painter gets: the control, its state and colours.
struct FramePaint {
    QPainter& g;
    QRect r;
    Colours c;
    QWidget* w;
    uint16_t state;
    int hotItem;
    bool enabled;
    bool hot; // hot or focused: the raised look
};

void paintEditLike(const FramePaint& p)
{
    const auto& [g, r, c, w, state, hotItem, enabled, hot] = p;
    EditLikeFrame(g, r, c, state, enabled);
}

void paintSpinBox(const FramePaint& p)
{
    const auto& [g, r, c, w, state, hotItem, enabled, hot] = p;
    QStyle* style = w->style();
    // One frame around the edit and its arrows, then each arrow half.
    EditLikeFrame(g, r, c, state, enabled);
    auto* spin = static_cast<QAbstractSpinBox*>(w);
    QStyleOptionSpinBox opt;
    opt.initFrom(spin);
    opt.frame = spin->hasFrame();
    opt.subControls = QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
    for (auto sc : {QStyle::SC_SpinBoxUp, QStyle::SC_SpinBoxDown}) {
        const QRect half = style->subControlRect(QStyle::CC_SpinBox, &opt, sc, spin);
        if (half.isValid())
            PartFrame(g, half, c, hot && enabled);
    }
}

void paintCombo(const FramePaint& p)
{
    const auto& [g, r, c, w, state, hotItem, enabled, hot] = p;
    QStyle* style = w->style();
    EditLikeFrame(g, r, c, state, enabled);
    const int arrow = style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, w);
    QRect button = Inset(r, 2);
    button.setLeft(button.right() + 1 - arrow);
    if (!enabled)
        Frame(g, button, c.face, c.face, c.face, c.face);
    else
        PartFrame(g, button, c, hot);
}

void paintPushButton(const FramePaint& p)
{
    const auto& [g, r, c, w, state, hotItem, enabled, hot] = p;
    auto* b = static_cast<QPushButton*>(w);
    const bool over = state & kStateHot;
    const QColor cc = over ? c.dkShadow : c.shadow;
    const QColor d = over ? c.light : c.face;
    const QColor e = over ? c.shadow : c.face;
    if (enabled && b->isDefault())
        Frame(g, r, c.dkShadow, c.dkShadow, c.highlight, cc, d, e);
    else if (b->isChecked())
        Frame(g, r, cc, c.highlight, e, d);
    else
        Frame(g, r, c.highlight, cc, d, e, c.face, c.face);
}

// Where the style puts a check box's or radio button's indicator.
QRect IndicatorOf(QAbstractButton* button, QStyle::SubElement element)
{
    QStyleOptionButton opt;
    opt.initFrom(button);
    return button->style()->subElementRect(element, &opt, button);
}

void paintCheckBox(const FramePaint& p)
{
    const auto& [g, r, c, w, state, hotItem, enabled, hot] = p;
    auto* b = static_cast<QCheckBox*>(w);
    const QRect indicator = IndicatorOf(b, QStyle::SE_CheckBoxIndicator);
    const QRect box(indicator.center() - QPoint(6, 6), QSize(13, 13));
    if (state & kStateHot)
        Frame(g, box, c.dkShadow, c.highlight, c.shadow, c.face);
    else if (!enabled)
        Frame(g, box, c.shadow, c.highlight, c.face, c.face);
    else {
        const QColor x = b->checkState() == Qt::PartiallyChecked ? c.highlight : c.window;
        Frame(g, box, c.shadow, c.highlight, x, x);
    }
    // The native indicator may be larger than Windows' 13x13 box; its own
    // border would show beside ours (right and bottom, where centring rounds).
    const QColor back = w->palette().color(w->backgroundRole());
    for (const QRect& rest : QRegion(indicator).subtracted(QRegion(box)))
        g.fillRect(rest, back);
}

void paintRadioButton(const FramePaint& p)
{
    const auto& [g, r, c, w, state, hotItem, enabled, hot] = p;
    const QRect indicator =
        IndicatorOf(static_cast<QAbstractButton*>(w), QStyle::SE_RadioButtonIndicator);
    QColor e = c.window, d = c.window;
    if (state & kStateHot) {
        e = c.dkShadow;
        d = c.window;
    } else if (!enabled) {
        e = c.face;
        d = c.highlight;
    }
    RadioMark(g, indicator.center() - QPoint(5, 5), c.shadow, e, c.face, d);
}

void paintScrollBar(const FramePaint& p)
{
    const auto& [g, r, c, w, state, hotItem, enabled, hot] = p;
    QStyle* style = w->style();
    auto* bar = static_cast<QScrollBar*>(w);
    const bool vertical = bar->orientation() == Qt::Vertical;
    const int length = vertical ? r.height() : r.width();
    const int extent = style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, w);
    const int arrow = length < 2 * extent ? length / 2 : extent;
    // clang before 16 cannot capture a structured binding.
    const QRect& area = r;
    auto part = [&](int from, int size) {
        return vertical ? QRect(area.left(), area.top() + from, area.width(), size)
                        : QRect(area.left() + from, area.top(), size, area.height());
    };
    // The bar is drawn whole: a light track, two arrow squares and the thumb.
    g.fillRect(r, c.light);
    const QRect first = part(0, arrow), second = part(length - arrow, arrow);
    for (const QRect& a : {first, second}) {
        g.fillRect(a, c.face);
        PartFrame(g, a, c, hot);
    }
    const QColor glyph = enabled ? GetSysColor(COLOR_BTNTEXT, w->palette()) : c.shadow;
    ArrowGlyph(g, first, vertical ? Qt::UpArrow : Qt::LeftArrow, glyph);
    ArrowGlyph(g, second, vertical ? Qt::DownArrow : Qt::RightArrow, glyph);
    if (!enabled)
        return;
    const int winMax = bar->maximum() + std::max(bar->pageStep(), 1) - 1;
    const auto thumb = ScrollThumb(length - 2 * arrow, bar->minimum(), winMax, bar->pageStep(),
                                   bar->value(), 8, extent, true);
    if (thumb) {
        const QRect t = part(arrow + thumb->offset, thumb->length);
        g.fillRect(t, c.face);
        PartFrame(g, t, c, hot);
    }
}

void paintTrackbar(const FramePaint& p)
{
    const auto& [g, r, c, w, state, hotItem, enabled, hot] = p;
    QStyle* style = w->style();
    auto* slider = static_cast<QSlider*>(w);
    QStyleOptionSlider opt;
    opt.initFrom(slider);
    opt.orientation = slider->orientation();
    opt.minimum = slider->minimum();
    opt.maximum = slider->maximum();
    opt.sliderPosition = slider->sliderPosition();
    opt.sliderValue = slider->value();
    opt.tickPosition = slider->tickPosition();
    opt.upsideDown = slider->invertedAppearance() != (opt.orientation == Qt::Horizontal &&
                                                      slider->layoutDirection() == Qt::RightToLeft);
    const QRect groove =
        style->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, slider);
    const QRect handle =
        style->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, slider);
    // The channel is a thin sunken strip along the middle of the groove.
    QRect channel = groove;
    if (opt.orientation == Qt::Horizontal)
        channel = QRect(groove.left(), groove.center().y() - 2, groove.width(), 4);
    else
        channel = QRect(groove.center().x() - 2, groove.top(), 4, groove.height());
    g.fillRect(r, c.face);
    Frame(g, channel, c.shadow, c.highlight, hot ? c.dkShadow : c.face, hot ? c.light : c.face);
    const QSlider::TickPosition ticks = slider->tickPosition();
    if (ticks == QSlider::TicksAbove || ticks == QSlider::TicksBelow) {
        PointedThumb(g, handle, opt.orientation, ticks == QSlider::TicksBelow, c, hot);
        return;
    }
    g.fillRect(handle, c.face);
    if (hot)
        Frame(g, handle, c.highlight, c.dkShadow, c.light, c.shadow);
    else
        Frame(g, handle, c.highlight, c.shadow, c.face, c.face);
}

void paintHeader(const FramePaint& p)
{
    const auto& [g, r, c, w, state, hotItem, enabled, hot] = p;
    auto* h = static_cast<QHeaderView*>(w);
    int end = 0;
    for (int v = 0; v < h->count(); ++v) {
        const int logical = h->logicalIndex(v);
        if (h->isSectionHidden(logical))
            continue;
        const int pos = h->sectionViewportPosition(logical);
        const int size = h->sectionSize(logical);
        const QRect s = h->orientation() == Qt::Horizontal ? QRect(pos, 0, size, r.height())
                                                           : QRect(0, pos, r.width(), size);
        if (logical == hotItem && (state & kStateHot))
            Frame(g, s, c.highlight, c.dkShadow, c.light, c.shadow);
        else
            Frame(g, s, c.highlight, c.shadow, c.face, c.face);
        end = std::max(end, pos + size);
    }
    if (h->orientation() == Qt::Horizontal && end < r.width())
        Frame(g, QRect(end, 0, r.width() - end, r.height()), c.highlight, c.shadow, c.face, c.face);
}

void paintTabBar(const FramePaint& p)
{
    const auto& [g, r, c, w, state, hotItem, enabled, hot] = p;
    auto* bar = static_cast<QTabBar*>(w);
    for (int i = 0; i < bar->count(); ++i) {
        const QRect t = bar->tabRect(i);
        const bool over = i == hotItem && (state & kStateHot);
        // Lit top and left, shaded right side; the tab opens towards its page.
        g.fillRect(QRect(t.left(), t.top(), t.width() - 1, 1), c.highlight);
        g.fillRect(QRect(t.left(), t.top(), 1, t.height()), c.highlight);
        g.fillRect(QRect(t.right(), t.top(), 1, t.height()), c.shadow);
        g.fillRect(QRect(t.right() - 1, t.top() + 1, 1, t.height() - 1), over ? c.light : c.face);
    }
}

void paintTabPage(const FramePaint& p)
{
    const auto& [g, r, c, w, state, hotItem, enabled, hot] = p;
    QStyle* style = w->style();
    auto* tabs = static_cast<QTabWidget*>(w);
    QStyleOptionTabWidgetFrame opt;
    opt.initFrom(tabs);
    const QRect pane = style->subElementRect(QStyle::SE_TabWidgetTabPane, &opt, tabs);
    DrawRing(&g, pane, c.shadow, c.shadow);
    DrawRing(&g, Inset(pane, 1), c.face, c.face);
    // Open where the selected tab joins the page.
    if (QTabBar* bar = tabs->tabBar(); bar && bar->currentIndex() >= 0) {
        const QRect t = bar->tabRect(bar->currentIndex()).translated(bar->pos());
        g.fillRect(QRect(t.left() + 1, pane.top(), t.width() - 2, 1), c.face);
    }
}

} // namespace

std::optional<ControlKind> KindOf(const QWidget* w)
{
    if (!w || w->isWindow())
        return std::nullopt;
    if (w->property("ownerDraw").toBool())
        return std::nullopt;
    if (qobject_cast<const QGroupBox*>(w))
        return std::nullopt;
    if (auto* b = qobject_cast<const QAbstractButton*>(w)) {
        // A button of its own class draws itself, as an owner-drawn one does.
        if (!IsStandardButton(w))
            return std::nullopt;
        if (qobject_cast<const QCheckBox*>(w))
            return ControlKind::CheckBox;
        if (qobject_cast<const QRadioButton*>(w))
            return ControlKind::RadioButton;
        if (static_cast<const QPushButton*>(b)->isFlat())
            return std::nullopt;
        return ControlKind::PushButton;
    }
    if (qobject_cast<const QComboBox*>(w))
        return ControlKind::Combo;
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->hasFrame() ? std::optional(ControlKind::Edit) : std::nullopt;
    if (auto* s = qobject_cast<const QAbstractSpinBox*>(w))
        return s->hasFrame() ? std::optional(ControlKind::SpinBox) : std::nullopt;
    if (auto* h = qobject_cast<const QHeaderView*>(w))
        return h->sectionsClickable() ? std::optional(ControlKind::Header) : std::nullopt;
    if (qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QTextEdit*>(w) ||
        qobject_cast<const QPlainTextEdit*>(w)) {
        return static_cast<const QFrame*>(w)->frameShape() != QFrame::NoFrame
                   ? std::optional(ControlKind::Plain)
                   : std::nullopt;
    }
    if (qobject_cast<const QCalendarWidget*>(w))
        return ControlKind::Plain;
    if (qobject_cast<const QScrollBar*>(w))
        return ControlKind::ScrollBar;
    if (qobject_cast<const QSlider*>(w))
        return ControlKind::Trackbar;
    if (qobject_cast<const QTabBar*>(w))
        return ControlKind::TabBar;
    if (qobject_cast<const QTabWidget*>(w))
        return ControlKind::TabPage;
    return std::nullopt;
}

std::optional<ThumbPlace> ScrollThumb(int trackLength, int min, int max, int page, int pos,
                                      int minThumb, int defaultThumb, bool isControl)
{
    const int64_t range = int64_t(max) - min + 1;
    if (range <= 0 || trackLength <= 0)
        return std::nullopt;
    int64_t thumb = defaultThumb;
    if (page > 0)
        thumb = std::max<int64_t>(int64_t(page) * trackLength / range, minThumb);
    if (thumb > trackLength) {
        // A window scroll bar leaves it out; a control fills its track.
        if (!isControl)
            return std::nullopt;
        return ThumbPlace{0, trackLength};
    }
    if (page >= range)
        return ThumbPlace{0, trackLength - 1};
    const int64_t offset = int64_t(pos - min) * (trackLength - thumb) / (range - page);
    return ThumbPlace{static_cast<int>(std::clamp<int64_t>(offset, 0, trackLength - thumb)),
                      static_cast<int>(thumb)};
}

FlatControl::FlatControl(QWidget* window, ControlKind kind)
    : QObject(nullptr), m_window(window), m_kind(kind)
{
    window->installEventFilter(this);
    if (paintTarget() != window)
        paintTarget()->installEventFilter(this);
    if (auto* frame = qobject_cast<QFrame*>(window); frame && kind == ControlKind::Plain) {
        // The two rings need a two-pixel edge, or the list's viewport and
        // headers would cover the inner one.
        m_savedFrameStyle = frame->frameStyle();
        m_savedLineWidth = frame->lineWidth();
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        frame->setLineWidth(2);
    }
    updateState();
}

FlatControl::~FlatControl()
{
    if (m_window) {
        if (auto* frame = qobject_cast<QFrame*>(m_window.data()); frame && m_savedFrameStyle >= 0) {
            frame->setFrameStyle(m_savedFrameStyle);
            frame->setLineWidth(m_savedLineWidth);
        }
        m_window->removeEventFilter(this);
        if (paintTarget())
            paintTarget()->removeEventFilter(this);
        m_window->update();
    }
}

QWidget* FlatControl::paintTarget() const
{
    // A header paints its sections into its viewport.
    if (auto* h = qobject_cast<QHeaderView*>(m_window.data()))
        return h->viewport();
    return m_window;
}

bool FlatControl::hasFocus() const
{
    if (!m_window)
        return false;
    switch (m_kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
    case ControlKind::TabBar:
    case ControlKind::TabPage:
        return false; // buttons and tabs show their focus their own way
    case ControlKind::Combo:
    case ControlKind::SpinBox: {
        // An editable combo or a spin box is focused when its edit is.
        const QWidget* focus = QApplication::focusWidget();
        return focus && (focus == m_window || m_window->isAncestorOf(focus));
    }
    default:
        return QApplication::focusWidget() == m_window;
    }
}

void FlatControl::updateState()
{
    uint16_t s = m_state & kStateHot;
    if (hasFocus())
        s |= kStateFocused;
    if (m_window && m_window->height() < 30)
        s |= kStateSmall;
    auto* edit = qobject_cast<QLineEdit*>(m_window.data());
    auto* spin = qobject_cast<QAbstractSpinBox*>(m_window.data());
    if ((edit && edit->isReadOnly()) || (spin && spin->isReadOnly()))
        s |= kStateReadOnly;
    m_state = s;
}

void FlatControl::setHot(bool hot)
{
    m_state = hot ? (m_state | kStateHot) : (m_state & ~kStateHot);
}

bool FlatControl::isNewHot(const QPoint& globalCursor, bool isHotWindow)
{
    int item = -1;
    if (auto* h = qobject_cast<QHeaderView*>(m_window.data())) {
        const QPoint local = h->viewport()->mapFromGlobal(globalCursor);
        item = h->logicalIndexAt(h->orientation() == Qt::Horizontal ? local.x() : local.y());
    } else if (auto* t = qobject_cast<QTabBar*>(m_window.data())) {
        item = t->tabAt(t->mapFromGlobal(globalCursor));
    } else {
        return !isHotWindow;
    }
    // An item control turns newly hot when the item under the mouse changes.
    const bool fresh = !isHotWindow || item != m_hotItem;
    m_hotItem = item;
    return fresh;
}

void FlatControl::RepaintFrame()
{
    if (!m_window)
        return;
    updateState();
    const bool stillHot = (m_drawnState & kStateHot) && (m_state & kStateHot);
    const bool stillFocused = (m_drawnState & kStateFocused) && (m_state & kStateFocused);
    if (stillHot || stillFocused)
        return;
    ++m_requests;
    paintTarget()->update();
}

bool FlatControl::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Paint:
        if (watched == paintTarget()) {
            // The control paints itself first; the frame goes on top.
            static_cast<QObject*>(watched)->event(event);
            updateState();
            QPainter painter(paintTarget());
            paintFrame(painter, paintTarget()->rect());
            m_drawnState = m_state;
            return true;
        }
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::EnabledChange:
        if (watched == m_window)
            RepaintFrame();
        break;
    case QEvent::Leave:
        m_hotItem = -1;
        break;
    default:
        break;
    }
    return false;
}

void FlatControl::paintFrame(QPainter& g, const QRect& r)
{
    QWidget* w = m_window;
    if (!w)
        return;
    const FramePaint p{
        g,       r,         Colours(w->palette()), w,
        m_state, m_hotItem, w->isEnabled(),        bool(m_state & (kStateHot | kStateFocused))};
    // One painter per kind, in the order of ControlKind.
    using Painter = void (*)(const FramePaint&);
    static constexpr Painter kPainters[] = {
        paintEditLike,   paintEditLike, paintSpinBox,     paintCombo,
        paintPushButton, paintCheckBox, paintRadioButton, paintScrollBar,
        paintTrackbar,   paintHeader,   paintTabBar,      paintTabPage,
    };
    static_assert(std::size(kPainters) == static_cast<size_t>(ControlKind::TabPage) + 1);
    kPainters[static_cast<size_t>(m_kind)](p);
}

FlatLookManager& FlatLookManager::Instance()
{
    static FlatLookManager* manager = new FlatLookManager; // lives as long as the process
    return *manager;
}

FlatLookManager::FlatLookManager()
{
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &FlatLookManager::pollHover);
}

void FlatLookManager::InstallHook(HookMode mode)
{
    m_mode = mode;
    if (!m_hooked && qApp) {
        qApp->installEventFilter(this);
        m_hooked = true;
    }
}

void FlatLookManager::RemoveHook()
{
    if (m_hooked && qApp)
        qApp->removeEventFilter(this);
    m_hooked = false;
    m_timer.stop();
}

bool FlatLookManager::SubclassWindow(QWidget* widget)
{
    if (!widget || m_controls.count(widget))
        return false;
    const auto kind = KindOf(widget);
    if (!kind)
        return false;
    m_controls[widget] = std::make_unique<FlatControl>(widget, *kind);
    connect(widget, &QObject::destroyed, this, [this, widget] { ForgetWindow(widget); });
    if (auto* view = qobject_cast<QAbstractItemView*>(widget)) {
        // A list's header and its scroll bars get the look with it.
        if (auto* table = qobject_cast<QTableView*>(view))
            SubclassWindow(table->horizontalHeader());
        else if (auto* tree = qobject_cast<QTreeView*>(view))
            SubclassWindow(tree->header());
    }
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
        SubclassWindow(area->verticalScrollBar());
        SubclassWindow(area->horizontalScrollBar());
    }
    if (!m_timer.isActive())
        m_timer.start();
    return true;
}

void FlatLookManager::ForgetWindow(QWidget* widget)
{
    auto it = m_controls.find(widget);
    if (it == m_controls.end())
        return;
    m_controls.erase(it);
    if (m_hotWindow == widget)
        m_hotWindow = nullptr;
    if (m_controls.empty())
        m_timer.stop();
}

FlatControl* FlatLookManager::controlOf(const QWidget* widget) const
{
    auto it = m_controls.find(widget);
    return it == m_controls.end() ? nullptr : it->second.get();
}

bool FlatLookManager::insideComposite(const QWidget* widget) const
{
    // The parts of a combo, spin box, list or tab bar belong to that control.
    for (const QWidget* p = widget->parentWidget(); p && !p->isWindow(); p = p->parentWidget()) {
        if (qobject_cast<const QComboBox*>(p) || qobject_cast<const QAbstractSpinBox*>(p) ||
            qobject_cast<const QAbstractScrollArea*>(p) || qobject_cast<const QTabBar*>(p) ||
            qobject_cast<const QCalendarWidget*>(p) || qobject_cast<const QAbstractButton*>(p))
            return true;
    }
    return false;
}

void FlatLookManager::takeTree(QWidget* parent)
{
    for (QObject* o : parent->children()) {
        auto* child = qobject_cast<QWidget*>(o);
        if (!child || child->isWindow())
            continue;
        const bool taken = SubclassWindow(child);
        // Containers (group boxes, frames, tab pages) hold controls of their own.
        if (!taken || qobject_cast<QTabWidget*>(child))
            if (!qobject_cast<QAbstractScrollArea*>(child) && !qobject_cast<QComboBox*>(child) &&
                !qobject_cast<QAbstractSpinBox*>(child) && !qobject_cast<QAbstractButton*>(child))
                takeTree(child);
    }
}

void FlatLookManager::ProcessDialog(QWidget* dialog)
{
    if (!dialog || m_dialogs.count(dialog))
        return;
    m_dialogs.insert(dialog);
    connect(dialog, &QObject::destroyed, this, [this, dialog] { m_dialogs.erase(dialog); });
    takeTree(dialog);
    for (auto& [widget, control] : m_controls)
        if (widget->window() == dialog)
            control->RepaintFrame();
}

bool FlatLookManager::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_enabled || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (event->type() == QEvent::Show && m_mode == HookMode::OnDialogInit &&
        qobject_cast<QDialog*>(widget)) {
        ProcessDialog(widget);
    } else if (event->type() == QEvent::Polish && !widget->isWindow() && !insideComposite(widget)) {
        if (m_mode == HookMode::OnCreate) {
            if (!qobject_cast<QScrollBar*>(widget))
                SubclassWindow(widget);
        } else if (m_dialogs.count(widget->window())) {
            // A control that appears in an open dialog is taken as it shows.
            SubclassWindow(widget);
        }
    }
    return false;
}

void FlatLookManager::pollHover()
{
    PollHoverAt(QCursor::pos());
}

void FlatLookManager::PollHoverAt(const QPoint& globalCursor)
{
    if (m_controls.empty())
        return;
    // While the mouse is captured (a drag, a pressed button, an open menu)
    // the hot control stays as it is.
    if (QWidget::mouseGrabber() || QGuiApplication::mouseButtons() != Qt::NoButton ||
        QApplication::activePopupWidget())
        return;
    QWidget* under = QApplication::widgetAt(globalCursor);
    FlatControl* found = under ? controlOf(under) : nullptr;
    if (!found && under && under->parentWidget()) {
        under = under->parentWidget();
        found = controlOf(under);
    }
    FlatControl* previous = m_hotWindow ? controlOf(m_hotWindow) : nullptr;
    // A list shows itself hot while an item of its header is.
    auto headerList = [this](FlatControl* header, bool hot) {
        if (!header || header->kind() != ControlKind::Header)
            return;
        if (FlatControl* list = controlOf(header->window()->parentWidget())) {
            list->setHot(hot);
            list->RepaintFrame();
        }
    };
    if (found) {
        if (!found->isNewHot(globalCursor, under == m_hotWindow))
            return;
        if (previous && previous != found) {
            previous->setHot(false);
            previous->RepaintFrame();
            headerList(previous, false);
        }
        headerList(found, found->hotItem() >= 0);
        found->setHot(true);
        if (previous == found) {
            // Another item of the same control: its frame changes though hot stays.
            found->window()->update();
        } else {
            found->RepaintFrame();
        }
        m_hotWindow = under;
        return;
    }
    if (previous) {
        previous->setHot(false);
        previous->RepaintFrame();
        headerList(previous, false);
    }
    m_hotWindow = nullptr;
}

} // namespace qm::xp
