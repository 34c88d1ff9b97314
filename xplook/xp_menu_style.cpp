#include "xplook/xp_menu_style.h"

#include "xplook/sys_colours.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>
#include <algorithm>

namespace qm::xp {

namespace {

QString LabelOf(const QString& text)
{
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? text : text.left(tab);
}

QString KeyOf(const QString& text)
{
    const qsizetype tab = text.lastIndexOf(QLatin1Char('\t'));
    return tab < 0 ? QString() : text.mid(tab + 1);
}

void Fill(QPainter* p, const QRect& r, const QColor& c)
{
    p->fillRect(r, c);
}

// The etched line of a separator: shadow above, highlight below.
void DrawEtchedLine(QPainter* p, int left, int right, int y, const QPalette& pal)
{
    if (right <= left)
        return;
    Fill(p, QRect(left, y, right - left, 1), GetSysColor(COLOR_BTNSHADOW, pal));
    Fill(p, QRect(left, y + 1, right - left, 1), GetSysColor(COLOR_BTNHIGHLIGHT, pal));
}

// At the painter's pixel ratio: a 1x picture would be stretched on a scaled screen.
QPixmap PictureOf(const QStyleOptionMenuItem& item, QSize cell, qreal ratio, bool enabled)
{
    if (item.icon.isNull())
        return {};
    return item.icon.pixmap(cell, ratio, enabled ? QIcon::Normal : QIcon::Disabled);
}

} // namespace

QFont MenuFont()
{
    return QApplication::font("QMenu");
}

int MenuItemBaseHeight()
{
    // A Windows menu line is the font's height plus three pixels above and below.
    return QFontMetrics(MenuFont()).height() + 6;
}

void DrawRing(QPainter* painter, const QRect& r, const QColor& p, const QColor& q)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const int x = r.x(), y = r.y(), w = r.width(), h = r.height();
    Fill(painter, QRect(x, y, w - 1, 1), p);
    Fill(painter, QRect(x, y, 1, h - 1), p);
    Fill(painter, QRect(x + w - 1, y, 1, h), q);
    Fill(painter, QRect(x, y + h - 1, w, 1), q);
}

void DrawEmbossed(QPainter* p, const QPixmap& picture, const QPoint& at, const QPalette& palette)
{
    auto silhouette = [&picture](const QColor& c) {
        QImage img = picture.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter ip(&img);
        ip.setCompositionMode(QPainter::CompositionMode_SourceIn);
        ip.fillRect(img.rect(), c);
        return img;
    };
    p->drawImage(at + QPoint(1, 1), silhouette(GetSysColor(COLOR_BTNHIGHLIGHT, palette)));
    p->drawImage(at, silhouette(GetSysColor(COLOR_BTNSHADOW, palette)));
}

XpMenuStyle::XpMenuStyle(bool xpLook)
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), m_xpLook(xpLook)
{
}

bool XpMenuStyle::drawsXp() const
{
    int depth = m_depth;
    if (depth == 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        depth = screen ? screen->depth() : 32;
    }
    return m_xpLook && depth > 8;
}

void XpMenuStyle::setPicture(const QAction* action, const QPixmap& picture)
{
    m_pictures.insert(action, picture);
    connect(action, &QObject::destroyed, this, [this, action] { m_pictures.remove(action); });
}

QSize XpMenuStyle::measureItem(const QStyleOptionMenuItem& item) const
{
    const QSize c = cell();
    if (item.menuItemType == QStyleOptionMenuItem::Separator)
        return QSize(0, drawsXp() ? 3 : MenuItemBaseHeight() / 2);
    QString text = item.text;
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.remove(QLatin1Char('&'));
    const int width = QFontMetrics(MenuFont()).horizontalAdvance(text) + 2 * c.width() + 1;
    return QSize(width, std::max(MenuItemBaseHeight(), c.height() + 4));
}

void XpMenuStyle::drawItemTexts(QPainter* p, const QStyleOptionMenuItem& item,
                                const QRect& textRect, const QColor& colour) const
{
    const int mnemonic = proxy()->styleHint(SH_UnderlineShortcut, &item) ? Qt::TextShowMnemonic
                                                                         : Qt::TextHideMnemonic;
    p->save();
    p->setFont(MenuFont());
    p->setPen(colour);
    p->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | mnemonic,
                LabelOf(item.text));
    const QString key = KeyOf(item.text);
    if (!key.isEmpty()) {
        QRect keyRect = textRect.adjusted(0, 0, -cell().width(), 0);
        p->drawText(keyRect, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, key);
    }
    p->restore();
}

void XpMenuStyle::drawCheckMark(QPainter* p, const QStyleOptionMenuItem& item,
                                const QPoint& cellCorner, const QColor& colour) const
{
    const QPoint mark = cellCorner + QPoint(5, 4);
    if (item.checkType == QStyleOptionMenuItem::Exclusive) {
        // Radio-style items have their own checked bitmap: a dot.
        Fill(p, QRect(mark, QSize(6, 6)), colour);
        return;
    }
    static constexpr int kTickTops[7] = {2, 3, 4, 3, 2, 1, 0};
    for (int i = 0; i < 7; ++i)
        Fill(p, QRect(mark.x() + i, mark.y() + kTickTops[i], 1, 3), colour);
}

void XpMenuStyle::drawPicture(QPainter* p, const QStyleOptionMenuItem& item, const QPoint& at,
                              const QColor& background) const
{
    const bool enabled = item.state & State_Enabled;
    const QPixmap picture = PictureOf(item, cell(), p->device()->devicePixelRatioF(), true);
    if (enabled) {
        p->drawPixmap(at, picture);
        return;
    }
    Fill(p, QRect(at, cell()), background);
    DrawEmbossed(p, picture, at, item.palette);
}

void XpMenuStyle::drawXpItem(QPainter* p, const QStyleOptionMenuItem& item) const
{
    const QPalette& pal = item.palette;
    const QRect r = item.rect;
    const int left = r.left(), top = r.top(), height = r.height();
    const int iw = cell().width(), ih = cell().height();

    QColor face = GetSysColor(COLOR_3DFACE, pal);
    QColor menu = GetSysColor(COLOR_MENU, pal);
    const bool distinct = face != menu;
    if (!distinct) {
        face = Lighten(face, 0.35);
        menu = Qt::white;
    }
    const QColor highlight = GetSysColor(COLOR_HIGHLIGHT, pal);
    const QColor selection = Lighten(highlight, distinct ? 0.7 : 0.85);
    const QColor light = Lighten(highlight, 0.85);
    const bool enabled = item.state & State_Enabled;
    // A disabled item is never drawn selected, even under the mouse.
    const bool selected = enabled && (item.state & State_Selected);
    const QRect iconColumn(left, top, iw + 5, height);

    if (item.menuItemType == QStyleOptionMenuItem::Separator) {
        Fill(p, r, menu);
        Fill(p, iconColumn, face);
        DrawEtchedLine(p, left + iw + 9, r.right() + 1, top + height / 2 - 1, pal);
        return;
    }

    if (selected) {
        Fill(p, r, selection);
        DrawRing(p, r, highlight, highlight);
    } else {
        Fill(p, r, menu);
        Fill(p, iconColumn, face);
    }

    const int t = std::max(0, (height - ih - 4) / 2);
    const bool checked = item.checkType != QStyleOptionMenuItem::NotCheckable && item.checked;
    const bool hasPicture = !item.icon.isNull();
    if (checked && !hasPicture) {
        const QRect column(left + 1, top, iw + 3, height);
        Fill(p, column, selected ? selection : light);
        DrawRing(p, selected ? QRect(left, top, iw + 5, height) : column, highlight, highlight);
        const QRect checkCell(left + 2, top + t + 2, iw, ih + (distinct ? 1 : 0));
        Fill(p, checkCell, light);
        DrawRing(p, checkCell, highlight, highlight);
        drawCheckMark(p, item, checkCell.topLeft(), GetSysColor(COLOR_MENUTEXT, pal));
    } else if (hasPicture) {
        const QPoint at(left + 3, top + t + 2);
        if (checked) {
            const QRect behind(at - QPoint(1, 1), cell() + QSize(2, 2));
            Fill(p, behind, light);
            DrawRing(p, behind, highlight, highlight);
        }
        drawPicture(p, item, at, selected ? selection : face);
    }

    QColor text = GetSysColor(COLOR_MENUTEXT, pal);
    if (!enabled) {
        const QColor gray = GetSysColor(COLOR_GRAYTEXT, pal);
        text = distinct ? gray : Lighten(gray, 0.55);
    }
    const QRect textRect(QPoint(left + iw + 9, top - 1), QPoint(r.right(), r.bottom() + 1));
    drawItemTexts(p, item, textRect, text);
}

void XpMenuStyle::drawClassicItem(QPainter* p, const QStyleOptionMenuItem& item) const
{
    const QPalette& pal = item.palette;
    const QRect r = item.rect;
    const int left = r.left(), top = r.top(), height = r.height();
    const int iw = cell().width(), ih = cell().height();
    const QColor face = GetSysColor(COLOR_3DFACE, pal);
    const bool enabled = item.state & State_Enabled;
    const bool selected = item.state & State_Selected;

    Fill(p, r, face);
    if (item.menuItemType == QStyleOptionMenuItem::Separator) {
        DrawEtchedLine(p, left + 1, r.right(), top + height / 2 - 1, pal);
        return;
    }
    if (selected)
        Fill(p, QRect(QPoint(left + iw + 5, top), r.bottomRight()),
             GetSysColor(COLOR_HIGHLIGHT, pal));

    const int t = std::max(0, (height - ih - 4) / 2);
    const QRect cellFrame(left + 1, top + t + 1, iw + 2, ih + 2);
    const bool checked = item.checkType != QStyleOptionMenuItem::NotCheckable && item.checked;
    const bool hasPicture = !item.icon.isNull();
    const QColor lit = GetSysColor(COLOR_BTNHIGHLIGHT, pal);
    const QColor shade = GetSysColor(COLOR_BTNSHADOW, pal);
    if (checked) {
        Fill(p, cellFrame, GetSysColor(COLOR_3DLIGHT, pal));
        DrawRing(p, cellFrame, shade, lit);
    } else if (selected && hasPicture && enabled) {
        DrawRing(p, cellFrame, lit, shade);
    }
    if (hasPicture)
        drawPicture(p, item, QPoint(left + 3, top + t + 2),
                    checked ? GetSysColor(COLOR_3DLIGHT, pal) : face);
    else if (checked)
        drawCheckMark(p, item, QPoint(left + 2, top + t + 2), GetSysColor(COLOR_MENUTEXT, pal));

    const QRect textRect(QPoint(left + iw + 9, top - 1), QPoint(r.right(), r.bottom() + 1));
    if (enabled) {
        drawItemTexts(p, item, textRect,
                      GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT, pal));
    } else if (selected) {
        drawItemTexts(p, item, textRect, face);
    } else {
        drawItemTexts(p, item, textRect.translated(1, 1), lit);
        drawItemTexts(p, item, textRect, GetSysColor(COLOR_GRAYTEXT, pal));
    }
}

void XpMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    if (element == CE_MenuItem) {
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            QStyleOptionMenuItem drawn = *item;
            if (const auto* menu = qobject_cast<const QMenu*>(widget)) {
                const QAction* action = menu->actionAt(item->rect.center());
                const auto it = action ? m_pictures.constFind(action) : m_pictures.cend();
                if (it != m_pictures.cend())
                    drawn.icon = it->isNull() ? QIcon() : QIcon(*it);
                else if (action && !action->isIconVisibleInMenu())
                    drawn.icon = QIcon();
            }
            if (drawsXp())
                drawXpItem(painter, drawn);
            else
                drawClassicItem(painter, drawn);
            return;
        }
    }
    if (element == CE_MenuEmptyArea) {
        // The strip left beside the items keeps the body colour of the look.
        QColor body = GetSysColor(drawsXp() ? COLOR_MENU : COLOR_3DFACE, option->palette);
        if (drawsXp() && GetSysColor(COLOR_3DFACE, option->palette) == body)
            body = Qt::white;
        painter->fillRect(option->rect, body);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void XpMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                QPainter* painter, const QWidget* widget) const
{
    if (element == PE_PanelMenu) {
        drawControl(CE_MenuEmptyArea, option, painter, widget);
        return;
    }
    if (element == PE_FrameMenu) {
        // A thin shadow-coloured border in the XP look, a raised edge in the classic one.
        const QPalette& pal = option->palette;
        if (drawsXp())
            DrawRing(painter, option->rect, GetSysColor(COLOR_BTNSHADOW, pal),
                     GetSysColor(COLOR_BTNSHADOW, pal));
        else
            DrawRing(painter, option->rect, GetSysColor(COLOR_BTNHIGHLIGHT, pal),
                     GetSysColor(COLOR_3DDKSHADOW, pal));
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

QSize XpMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                    const QSize& size, const QWidget* widget) const
{
    if (type == CT_MenuItem) {
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            QSize s = measureItem(*item);
            // QMenu drops items of no width; a separator's width does not matter.
            s.setWidth(std::max(s.width(), 1));
            // QMenu adds the widest key text itself; leave it out here so the
            // menu ends up as wide as the measuring rule says.
            const QString key = KeyOf(item->text);
            if (!key.isEmpty())
                s.rwidth() -= QFontMetrics(MenuFont()).horizontalAdvance(key);
            // Windows widens every owner-drawn item by the check-mark width
            // (SM_CXMENUCHECK - 1); without it the widest label runs into its key.
            if (item->menuItemType != QStyleOptionMenuItem::Separator)
                s.rwidth() += kMenuCheckWidth - 1;
            return s;
        }
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

int XpMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                             const QWidget* widget) const
{
    switch (metric) {
    case PM_MenuPanelWidth:
        return 1;
    case PM_MenuHMargin:
    case PM_MenuVMargin:
        return 1;
    case PM_SmallIconSize:
        return cell().width();
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

int XpMenuStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                           QStyleHintReturn* data) const
{
    if (hint == SH_Menu_AllowActiveAndDisabled)
        return 1; // the mouse may rest on a disabled item; its drawing decides
    return QProxyStyle::styleHint(hint, option, widget, data);
}

} // namespace qm::xp
