#include "xplook/xp_menu.h"

#include "common/qt_text.h"
#include "common/settings.h"
#include "common/ui/drawn_picture.h"
#include "xplook/xp_menu_style.h"

#include <QActionGroup>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <set>

namespace qm::xp {

namespace {

// Every popup any XpMenu created, for IsLibraryMenu.
std::set<const QMenu*>& LibraryPopups()
{
    static std::set<const QMenu*> popups;
    return popups;
}

constexpr int kMncExecute = 2;

// The lowered character after the first single '&' of a text; "&&" is a
// literal ampersand (a recent file "a&&b.tbl"), not a mnemonic.
QChar MnemonicOf(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] == QLatin1Char('&')) {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

} // namespace

QPixmap MakePictureStrip(const std::vector<QIcon>& pictures, QSize cell)
{
    // At the screen's pixel ratio, so each icon paints its sharpest version.
    QPixmap strip = qm::ui::DevicePixmap(QSize(
        cell.width() * static_cast<int>(std::max<size_t>(pictures.size(), 1)), cell.height()));
    QPainter p(&strip);
    for (size_t i = 0; i < pictures.size(); ++i)
        pictures[i].paint(&p, QRect(QPoint(static_cast<int>(i) * cell.width(), 0), cell));
    return strip;
}

int ReadXpLook(const std::string& settingsKey)
{
    const uint32_t disable =
        qm::ReadRegDword(qm::HKEY_CURRENT_USER, settingsKey, "DisableXPMenuStyle", 0);
    return 1 - static_cast<int>(disable);
}

void AlignAcceleratorColumn(std::vector<QString>& texts)
{
    const QFontMetrics fm(MenuFont());
    auto labelWidth = [&fm](const QString& label) {
        // '&' only marks the mnemonic; it takes no room on screen.
        QString shown = label;
        shown.remove(QLatin1Char('&'));
        return fm.horizontalAdvance(shown);
    };
    int w = 0;
    for (const QString& t : texts) {
        const qsizetype tab = t.indexOf(QLatin1Char('\t'));
        w = std::max(w, labelWidth((tab < 0 ? t : t.left(tab)) + QLatin1Char(' ')));
    }
    for (QString& t : texts) {
        const qsizetype tab = t.indexOf(QLatin1Char('\t'));
        if (tab < 0)
            continue;
        QString label = t.left(tab);
        // A font whose blank takes no room cannot pad; stop rather than spin.
        for (int width = labelWidth(label); width < w;) {
            label += QLatin1Char(' ');
            const int wider = labelWidth(label);
            if (wider <= width)
                break;
            width = wider;
        }
        t = label + t.mid(tab);
    }
}

XpMenu::XpMenu(int xpLook, QObject* parent)
    : XpMenu(xpLook, std::make_shared<XpMenuStyle>(xpLook == 1), parent)
{
}

XpMenu::XpMenu(int xpLook, std::shared_ptr<XpMenuStyle> style, QObject* parent)
    : QObject(parent), m_xpLook(xpLook == 1), m_style(std::move(style))
{
}

XpMenu::~XpMenu()
{
    // Popups go before the style they are drawn with.
    for (XpMenu* sub : m_subMenus)
        delete sub;
    m_subMenus.clear();
    if (m_menu) {
        LibraryPopups().erase(m_menu.data());
        if (m_ownsMenu)
            delete m_menu.data();
        else
            m_menu->removeEventFilter(this);
    }
}

QSize XpMenu::cell() const
{
    return m_xpLook ? kXpCell : kClassicCell;
}

QMenu* XpMenu::newPopup(QWidget* parent)
{
    auto* menu = new QMenu(parent);
    registerPopup(menu);
    return menu;
}

void XpMenu::registerPopup(QMenu* menu)
{
    menu->setStyle(m_style.get());
    menu->setFont(MenuFont());
    LibraryPopups().insert(menu);
    connect(menu, &QObject::destroyed, [menu] { LibraryPopups().erase(menu); });
    // The framework may have changed the entries (recent files): bring the
    // item data in line before the popup shows.
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { Synchronise(menu); });
    menu->installEventFilter(this);
}

bool XpMenu::LoadMenu(const std::vector<MenuTemplateItem>& bar, QWidget* parent)
{
    if (bar.empty())
        return false;
    m_bar = new QMenuBar(parent);
    for (const MenuTemplateItem& top : bar) {
        const QString title = qm::DisplayText(top.text);
        if (!top.popup) {
            // A plain command on the bar stays a plain item.
            QAction* a = m_bar->addAction(title);
            a->setData(top.commandId);
            connect(a, &QAction::triggered, this,
                    [this, id = top.commandId] { emit commandTriggered(id); });
            m_items.push_back({title, -1, top.commandId, false, nullptr, a, {}, false});
            continue;
        }
        QMenu* menu = newSubMenu(title, top.items, parent);
        m_items.push_back({title, -1, 0, false, menu, m_bar->addMenu(menu), {}, false});
    }
    return true;
}

bool XpMenu::LoadPopup(const MenuTemplateItem& popup, QWidget* parent)
{
    m_menu = newPopup(parent);
    m_menu->setTitle(qm::DisplayText(popup.text));
    fill(popup.items);
    return !popup.items.empty();
}

bool XpMenu::LoadPopup(const MenuTemplateItem& popup, QMenu* into)
{
    if (!into)
        return false;
    into->clear();
    m_menu = into;
    m_ownsMenu = false;
    registerPopup(into);
    fill(popup.items);
    return !popup.items.empty();
}

QMenu* XpMenu::newSubMenu(const QString& title, const std::vector<MenuTemplateItem>& items,
                          QWidget* parent)
{
    auto* sub = new XpMenu(m_xpLook ? 1 : 0, m_style, this);
    m_subMenus.push_back(sub);
    sub->m_menu = sub->newPopup(parent);
    sub->m_menu->setTitle(title);
    sub->fill(items);
    connect(sub, &XpMenu::commandTriggered, this, &XpMenu::commandTriggered);
    return sub->m_menu;
}

void XpMenu::fill(const std::vector<MenuTemplateItem>& items)
{
    QActionGroup* radios = nullptr;
    for (const MenuTemplateItem& item : items) {
        const QString text = qm::DisplayText(item.text);
        if (item.popup) {
            QMenu* menu = newSubMenu(text, item.items, m_menu);
            m_items.push_back({text, -1, 0, false, menu, m_menu->addMenu(menu), {}, false});
            continue;
        }
        if (item.action) {
            m_menu->addAction(item.action);
            XpMenuItem adopted{text.isEmpty() ? item.action->text() : text,
                               -1,
                               item.commandId,
                               false,
                               nullptr,
                               item.action,
                               {},
                               true,
                               false};
            m_items.push_back(adopted);
            connect(item.action, &QAction::triggered, this,
                    [this, id = item.commandId] { emit commandTriggered(id); });
            continue;
        }
        QAction* a = AppendItem(text, item.commandId);
        if (item.commandId != 0) {
            a->setCheckable(item.checkable || item.radio);
            if (item.radio) {
                if (!radios)
                    radios = new QActionGroup(m_menu);
                radios->addAction(a);
            }
        }
    }
    // The key texts of this level start in one column.
    std::vector<QString> texts;
    for (const XpMenuItem& i : m_items)
        texts.push_back(i.text);
    AlignAcceleratorColumn(texts);
    for (size_t i = 0; i < m_items.size(); ++i) {
        m_items[i].text = texts[i];
        // A program's action keeps its text: the menu lays its keys out in a
        // column of their own, after the widest label, which the padding gives too.
        if (m_items[i].action && !m_items[i].separator && !m_items[i].popup && !m_items[i].adopted)
            m_items[i].action->setText(texts[i]);
    }
}

QAction* XpMenu::AppendItem(const QString& text, int commandId)
{
    if (!m_menu)
        return nullptr;
    if (commandId == 0) {
        QAction* s = m_menu->addSeparator();
        m_items.push_back({QString(), -1, 0, true, nullptr, s, {}, false});
        return s;
    }
    QAction* a = m_menu->addAction(text);
    a->setData(commandId);
    connect(a, &QAction::triggered, this, [this, commandId] { emit commandTriggered(commandId); });
    m_items.push_back({text, -1, commandId, false, nullptr, a, {}, false});
    return a;
}

XpMenuItem* XpMenu::findItem(int commandId)
{
    if (commandId == 0)
        return nullptr;
    for (XpMenuItem& i : m_items)
        if (i.commandId == commandId && !i.separator)
            return &i;
    for (XpMenu* sub : m_subMenus)
        if (XpMenuItem* found = sub->findItem(commandId))
            return found;
    return nullptr;
}

bool XpMenu::ModifyItem(const QString& text, int commandId, const QPixmap& picture)
{
    XpMenuItem* item = findItem(commandId);
    if (!item)
        return false;
    item->text = text;
    if (item->action)
        item->action->setText(text);
    setPicture(*item, picture);
    return true;
}

void XpMenu::setPicture(XpMenuItem& item, const QPixmap& picture)
{
    item.picture = picture;
    if (!item.action)
        return;
    // The style draws the picture; a program's action keeps its own icon for
    // its toolbar button.
    m_style->setPicture(item.action, picture);
    if (!item.adopted)
        item.action->setIcon(picture.isNull() ? QIcon() : QIcon(picture));
}

bool XpMenu::LoadToolbar(const ToolbarPictures& pictures)
{
    if (pictures.strip.isNull() || pictures.cell.isEmpty())
        return false;
    bool added = false;
    int image = 0;
    for (int id : pictures.buttons) {
        if (id == 0)
            continue; // a separator has no picture
        const int index = image++;
        XpMenuItem* item = findItem(id);
        // The strip may hold several device pixels per logical one.
        const qreal ratio = pictures.strip.devicePixelRatio();
        const QRect source(QPoint(qRound(index * pictures.cell.width() * ratio), 0),
                           pictures.cell * ratio);
        if (!item || !pictures.strip.rect().contains(source))
            continue;
        QPixmap picture = pictures.strip.copy(source);
        picture.setDevicePixelRatio(ratio);
        if (picture.deviceIndependentSize().toSize() != cell()) {
            picture = picture.scaled(cell() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            picture.setDevicePixelRatio(ratio);
        }
        item->imageIndex = index;
        setPicture(*item, picture);
        added = true;
    }
    return added;
}

QMenu* XpMenu::dropDown(const QString& title) const
{
    for (XpMenu* sub : m_subMenus)
        if (sub->m_menu && sub->m_menu->title() == title)
            return sub->m_menu;
    return nullptr;
}

QString XpMenu::GetItemText(int commandId) const
{
    XpMenuItem* item = const_cast<XpMenu*>(this)->findItem(commandId);
    return item ? item->text : QString();
}

QAction* XpMenu::action(int commandId) const
{
    XpMenuItem* item = const_cast<XpMenu*>(this)->findItem(commandId);
    return item ? item->action.data() : nullptr;
}

XpMenu* XpMenu::menuOf(const QMenu* popup)
{
    if (popup && m_menu == popup)
        return this;
    for (XpMenu* sub : m_subMenus)
        if (XpMenu* found = sub->menuOf(popup))
            return found;
    return nullptr;
}

void XpMenu::BindAction(int commandId, QAction* target)
{
    QAction* own = action(commandId);
    if (!own || !target)
        return;
    connect(own, &QAction::triggered, target, [target] { target->trigger(); });
    auto follow = [own, target] {
        own->setEnabled(target->isEnabled());
        own->setVisible(target->isVisible());
        own->setCheckable(target->isCheckable());
        own->setChecked(target->isChecked());
    };
    connect(target, &QAction::changed, own, follow);
    follow();
}

bool XpMenu::IsLibraryMenu(const QMenu* popup)
{
    return LibraryPopups().count(popup) != 0;
}

void XpMenu::Synchronise(QMenu* popup)
{
    XpMenu* owner = menuOf(popup);
    if (!owner)
        return;
    std::vector<XpMenuItem>& items = owner->m_items;
    for (XpMenuItem& i : items)
        i.used = false;
    std::vector<XpMenuItem> next;
    for (QAction* a : popup->actions()) {
        const int id = a->data().toInt();
        XpMenuItem* match = nullptr;
        for (XpMenuItem& i : items) {
            if (i.used)
                continue;
            if (a->menu() ? i.popup == a->menu()
                : a->isSeparator()
                    ? i.separator
                    : (!i.separator && !i.popup && (id != 0 ? i.commandId == id : i.action == a))) {
                match = &i;
                break;
            }
        }
        if (match) {
            match->used = true;
            match->action = a;
            if (!a->isSeparator())
                match->text = a->text();
            next.push_back(*match);
        } else {
            XpMenuItem fresh;
            fresh.text = a->isSeparator() ? QString() : a->text();
            fresh.commandId = a->isSeparator() ? 0 : id;
            fresh.separator = a->isSeparator();
            fresh.popup = a->menu();
            fresh.action = a;
            fresh.used = true;
            next.push_back(fresh);
        }
    }
    // Item data that found no entry any more go away.
    items = std::move(next);
}

int XpMenu::MenuChar(QChar ch, QMenu* popup)
{
    XpMenu* owner = menuOf(popup);
    if (!owner)
        return 0;
    if (popup->actions().size() != static_cast<qsizetype>(owner->m_items.size()))
        Synchronise(popup);
    const QChar wanted = ch.toLower();
    for (size_t pos = 0; pos < owner->m_items.size(); ++pos)
        if (MnemonicOf(owner->m_items[pos].text) == wanted)
            return static_cast<int>(pos) | (kMncExecute << 16);
    return 0;
}

bool XpMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* popup = qobject_cast<QMenu*>(watched);
    auto* key = static_cast<QKeyEvent*>(event);
    if (!popup || key->text().size() != 1 || !key->text().at(0).isLetterOrNumber() ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    const int answer = MenuChar(key->text().at(0), popup);
    if (answer == 0)
        return false; // the default handling applies
    const qsizetype pos = answer & 0xffff;
    QAction* a = pos < popup->actions().size() ? popup->actions().at(pos) : nullptr;
    if (!a || !a->isEnabled())
        return true;
    popup->setActiveAction(a);
    // Executing goes the menu's own way, so it closes as after a click.
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(popup, &enter);
    return true;
}

} // namespace qm::xp
