#pragma once

#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace qm::xp {

class XpMenuStyle;

// A program's menu as data: the stand-in for a menu resource, which each
// program's command table converts to.
struct MenuTemplateItem {
    std::string text;   // '&' mnemonic, "\t" + key
    int commandId = 0;  // 0 on a non-popup: a separator
    bool popup = false; // children below
    bool checkable = false;
    bool radio = false;                  // a checked radio-style item shows a dot
    std::vector<MenuTemplateItem> items; // a popup's items
    // The program's own action for the command: the menu shows it as it is
    // (keys, prompts, state stay the program's). None: the menu makes one.
    QAction* action = nullptr;
};

// A toolbar picture strip: cells of `cell` size side by side, one per button
// that is not a separator, in button order. A command id of 0 is a separator.
struct ToolbarPictures {
    QPixmap strip;
    QSize cell;
    std::vector<int> buttons;
};
// Draws the given pictures side by side into a strip of cells.
QPixmap MakePictureStrip(const std::vector<QIcon>& pictures, QSize cell);

// 1 - the value "DisableXPMenuStyle" of the program's "Settings" key (default 0).
int ReadXpLook(const std::string& settingsKey);

// The data held for each item of a menu.
struct XpMenuItem {
    QString text;        // with '&' and "\t" + key, padded for the key column
    int imageIndex = -1; // index in the toolbar strip, -1: none
    int commandId = 0;   // 0 for separators and popups
    bool separator = false;
    QMenu* popup = nullptr;
    QPointer<QAction> action; // the menu entry the item describes
    QPixmap picture;          // the item's own picture, empty: none
    bool adopted = false;     // action is the program's, its text stays as it is
    bool used = false;        // bookkeeping of Synchronise
};

// Pads the label before the first tab of every item that has one so that the
// key texts start in one column: w = widest (label + one blank) of the level.
void AlignAcceleratorColumn(std::vector<QString>& texts);

// An owner-drawn menu: a menu bar or a popup, built from a template, with
// pictures from a toolbar strip, drawn in the XP or the classic look.
class XpMenu : public QObject {
    Q_OBJECT
public:
    // xpLook as ReadXpLook gives it; the cell size follows from it.
    explicit XpMenu(int xpLook, QObject* parent = nullptr);
    ~XpMenu() override;

    bool xpLook() const { return m_xpLook; }
    QSize cell() const;
    XpMenuStyle* style() const { return m_style.get(); }

    // Builds a menu bar (plain top-level items) with owner-drawn drop-downs.
    // false when the template is empty.
    bool LoadMenu(const std::vector<MenuTemplateItem>& bar, QWidget* parent);
    // Builds a lone popup (a context menu) from one template item.
    bool LoadPopup(const MenuTemplateItem& popup, QWidget* parent);
    // The same into a popup the program made and keeps owning (emptied first).
    bool LoadPopup(const MenuTemplateItem& popup, QMenu* into);
    // Attaches the picture of every button whose command is on this menu.
    // Whether any picture was added.
    bool LoadToolbar(const ToolbarPictures& pictures);

    QMenuBar* menuBar() const { return m_bar; }
    // The popup itself for LoadPopup, or a drop-down of the bar by its title.
    QMenu* popup() const { return m_menu; }
    QMenu* dropDown(const QString& title) const;

    // Appends one item to this popup: commandId 0 makes a separator.
    QAction* AppendItem(const QString& text, int commandId);
    // Replaces the text and picture of the item with that command id, here
    // or in a sub-menu. false when there is no such item.
    bool ModifyItem(const QString& text, int commandId, const QPixmap& picture);
    // The item's text without padding or key, "" when not found.
    QString GetItemText(int commandId) const;
    QAction* action(int commandId) const;
    const std::vector<XpMenuItem>& items() const { return m_items; }
    // The object of a popup created by this menu or its sub-menus.
    XpMenu* menuOf(const QMenu* popup);

    // Makes the item with that command id trigger target, and follows
    // target's enabled and checked state.
    void BindAction(int commandId, QAction* target);

    // Whether any XpMenu created the popup.
    static bool IsLibraryMenu(const QMenu* popup);
    // Brings the item data in line with the popup's real entries.
    void Synchronise(QMenu* popup);
    // The mnemonic lookup: position in the low word and 2 in the high word of
    // the first item whose mnemonic is ch (either case), or 0 when there is
    // none (the default handling then).
    int MenuChar(QChar ch, QMenu* popup);

signals:
    void commandTriggered(int commandId);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    XpMenu(int xpLook, std::shared_ptr<XpMenuStyle> style, QObject* parent);
    QMenu* newPopup(QWidget* parent);
    // A popup item's menu, owned by a child XpMenu whose commands go on
    // through this one.
    QMenu* newSubMenu(const QString& title, const std::vector<MenuTemplateItem>& items,
                      QWidget* parent);
    void fill(const std::vector<MenuTemplateItem>& items);
    void registerPopup(QMenu* menu);
    void setPicture(XpMenuItem& item, const QPixmap& picture);
    XpMenuItem* findItem(int commandId);

    bool m_xpLook;
    std::shared_ptr<XpMenuStyle> m_style;
    QPointer<QMenuBar> m_bar;
    QPointer<QMenu> m_menu; // this object's popup (none for a bar)
    bool m_ownsMenu = true;
    std::vector<XpMenuItem> m_items;
    std::vector<XpMenu*> m_subMenus; // owned as QObject children
};

} // namespace qm::xp
