#pragma once

#include <QHash>
#include <QPixmap>
#include <QPointer>
#include <QProxyStyle>
#include <QSize>

class QStyleOptionMenuItem;

namespace qm::xp {

// Picture cell sizes of the two looks.
inline constexpr QSize kXpCell{20, 20};
inline constexpr QSize kClassicCell{16, 15};
// SM_CXMENUCHECK at 96 DPI: the width of a menu check mark.
inline constexpr int kMenuCheckWidth = 13;

// The height of a plain menu item in the menu font: the stand-in for SM_CYMENU.
int MenuItemBaseHeight();
// The font the menus are drawn and measured in.
QFont MenuFont();

// Draws and measures the items of the drop-down menus it is set on, in the XP
// or the classic look; everything else goes to the base style.
class XpMenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    explicit XpMenuStyle(bool xpLook);

    bool xpLook() const { return m_xpLook; }
    QSize cell() const { return m_xpLook ? kXpCell : kClassicCell; }
    // The XP drawing needs more than a palette display offers; the look is
    // chosen again at each item, so a depth change applies to the next paint.
    void setDisplayDepth(int bits) { m_depth = bits; }
    bool drawsXp() const;
    // The menu picture of an action, drawn instead of the action's own icon.
    void setPicture(const QAction* action, const QPixmap& picture);

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr, QStyleHintReturn* data = nullptr) const override;

    // The measuring rule of one item (contents of the item rectangle).
    QSize measureItem(const QStyleOptionMenuItem& item) const;
    void drawXpItem(QPainter* p, const QStyleOptionMenuItem& item) const;
    void drawClassicItem(QPainter* p, const QStyleOptionMenuItem& item) const;

private:
    void drawItemTexts(QPainter* p, const QStyleOptionMenuItem& item, const QRect& textRect,
                       const QColor& colour) const;
    void drawCheckMark(QPainter* p, const QStyleOptionMenuItem& item, const QPoint& cellCorner,
                       const QColor& colour) const;
    void drawPicture(QPainter* p, const QStyleOptionMenuItem& item, const QPoint& at,
                     const QColor& background) const;

    bool m_xpLook;
    int m_depth = 0; // 0: the screen's depth
    QHash<const QAction*, QPixmap> m_pictures;
};

// The picture drawn embossed, as disabled pictures are: its shape in the
// highlight colour offset by one pixel, then in the shadow colour in place.
void DrawEmbossed(QPainter* p, const QPixmap& picture, const QPoint& at, const QPalette& palette);

// A ring (p, q): top and left edges in p, right and bottom in q, drawn as four
// one-pixel fills (top and left one pixel short, right and bottom full length).
void DrawRing(QPainter* painter, const QRect& r, const QColor& p, const QColor& q);

} // namespace qm::xp
