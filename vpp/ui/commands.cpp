#include "vpp/ui/commands.h"

#include "common/qt_text.h"
#include "common/settings.h"
#include "xplook/xp_menu.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QToolBar>

namespace packtools {

const std::vector<Command>& PeekCommands()
{
    static const std::vector<Command> table = {
        {CommandId::FileOpen, "&File", "&Open...\tCtrl+O", "Open", Picture::Open, "Open a packfile",
         false},
        {CommandId::FileMru, "&File", "Recent File", nullptr, Picture::None, "Open this packfile",
         true},
        {CommandId::AppExit, "&File", "E&xit", nullptr, Picture::None, "Quit the application",
         true},
        {CommandId::EditFind, "&Entry", "&Filter\tCtrl+F", nullptr, Picture::None,
         "Show only the entries whose names contain a text", false},
        {CommandId::EntryOpen, "&Entry", "&Open Entry\tReturn", nullptr, Picture::None,
         "Show the selected entry: a table in GRIDLENS32L, a level's information, text as text",
         true},
        {CommandId::EntryExtract, "&Entry", "&Extract Selected...\tCtrl+E", "Extract",
         Picture::Extract, "Extract the selected entries into a folder", false},
        {CommandId::EntryExtractAll, "&Entry", "Extract &All...\tCtrl+Shift+E", "Extract All",
         Picture::Extract, "Extract every entry into a folder", false},
        {CommandId::AppAbout, "&Help", "&About PACKPEEK32...", nullptr, Picture::About,
         "Display program information and version number", false},
    };
    return table;
}

const std::vector<Command>& ForgeCommands()
{
    static const std::vector<Command> table = {
        {CommandId::FileNew, "&File", "&New\tCtrl+N", "New", Picture::New,
         "Start a new, empty packfile", false},
        {CommandId::FileNewLevel, "&File", "New &Level Packfile...", nullptr, Picture::None,
         "Make a packfile from a level and its textures, named so the launcher lists it", false},
        {CommandId::FileOpen, "&File", "&Open...\tCtrl+O", "Open", Picture::Open, "Open a packfile",
         false},
        {CommandId::FileSave, "&File", "&Save\tCtrl+S", "Save", Picture::Save, "Save the packfile",
         true},
        {CommandId::FileSaveAs, "&File", "Save &As...\tCtrl+Shift+S", nullptr, Picture::None,
         "Save the packfile under a new name", false},
        {CommandId::FileMru, "&File", "Recent File", nullptr, Picture::None, "Open this packfile",
         true},
        {CommandId::AppExit, "&File", "E&xit", nullptr, Picture::None,
         "Quit the application; asks to save changes", true},
        {CommandId::EntryAddFiles, "&Entry", "&Add Files...\tIns", "Add", Picture::Add,
         "Add files as entries", false},
        {CommandId::EntryAddFolder, "&Entry", "Add &Folder...", nullptr, Picture::None,
         "Add the files of a folder as entries", false},
        {CommandId::EntryRemove, "&Entry", "&Remove\tDel", "Remove", Picture::Remove,
         "Remove the selected entries", false},
        {CommandId::EntryRename, "&Entry", "Re&name...\tF2", nullptr, Picture::None,
         "Give the selected entry a new name", true},
        {CommandId::EntryReplace, "&Entry", "Replace &Data...", nullptr, Picture::None,
         "Take the selected entry's bytes from a file", false},
        {CommandId::EntryMoveUp, "&Entry", "Move &Up\tAlt+Up", nullptr, Picture::Up,
         "Move the selected entry up", true},
        {CommandId::EntryMoveDown, "&Entry", "Move &Down\tAlt+Down", nullptr, Picture::Down,
         "Move the selected entry down", false},
        {CommandId::AppAbout, "&Help", "&About PACKFORGE32...", nullptr, Picture::About,
         "Display program information and version number", false},
    };
    return table;
}

namespace {

std::pair<QString, QString> SplitText(const Command& c)
{
    const QString text = QString::fromLatin1(c.text);
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? std::pair(text, QString()) : std::pair(text.left(tab), text.mid(tab + 1));
}

// Menu ids: 0 is a separator to the XP menu.
int MenuIdOf(CommandId id)
{
    return static_cast<int>(id) + 1;
}

} // namespace

BuiltCommands BuildCommands(QMainWindow& window, const std::vector<Command>& table,
                            const std::string& settingsKey)
{
    BuiltCommands built;
    std::vector<qm::xp::MenuTemplateItem> bar;
    for (const Command& c : table) {
        const auto [text, key] = SplitText(c);
        auto* a = new QAction(PictureIcon(c.picture), text, &window);
        a->setObjectName(QStringLiteral("command%1").arg(static_cast<int>(c.id)));
        if (c.toolbarText)
            a->setIconText(QString::fromLatin1(c.toolbarText));
        a->setStatusTip(QString::fromLatin1(c.prompt));
        if (!key.isEmpty())
            a->setShortcut(QKeySequence(key));
        a->setShortcutContext(Qt::WindowShortcut);
        window.addAction(a); // keys work whether or not a menu shows the command
        built.actions[c.id] = a;
        if (!c.menu)
            continue;
        auto top = std::find_if(bar.begin(), bar.end(), [&c](const qm::xp::MenuTemplateItem& t) {
            return t.text == c.menu;
        });
        if (top == bar.end())
            top = bar.insert(bar.end(), {c.menu, 0, true, false, false, {}, nullptr});
        if (c.separatorBefore)
            top->items.push_back({});
        top->items.push_back({c.text, MenuIdOf(c.id), false, false, false, {}, a});
    }
    auto* menu = new qm::xp::XpMenu(qm::xp::ReadXpLook(settingsKey), &window);
    menu->LoadMenu(bar, &window);

    built.toolBar = window.addToolBar(QStringLiteral("Main toolbar"));
    built.toolBar->setObjectName(QStringLiteral("mainToolBar"));
    built.toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    built.toolBar->setIconSize(QSize(16, 16));
    qm::xp::ToolbarPictures pictures{{}, menu->cell(), {}};
    std::vector<QIcon> icons;
    for (const Command& c : table) {
        if (!c.toolbarText)
            continue;
        built.toolBar->addAction(built.actions[c.id]);
        pictures.buttons.push_back(MenuIdOf(c.id));
        icons.push_back(PictureIcon(c.picture));
    }
    pictures.strip = qm::xp::MakePictureStrip(icons, menu->cell());
    menu->LoadToolbar(pictures);
    window.setMenuBar(menu->menuBar());
    built.fileMenu = menu->dropDown(QStringLiteral("&File"));
    built.actions[CommandId::FileMru]->setEnabled(false);
    return built;
}

QIcon PictureIcon(Picture picture)
{
    if (picture == Picture::None)
        return QIcon();
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline(64, 64, 64);
    p.setPen(outline);
    switch (picture) {
    case Picture::New:
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 1.5, 9, 13));
        break;
    case Picture::Open:
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(QRectF(1.5, 4.5, 12, 9));
        p.setBrush(QColor(255, 225, 120));
        p.drawPolygon(QPolygonF({{3.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}}));
        break;
    case Picture::Save:
        p.setBrush(QColor(60, 90, 170));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        break;
    case Picture::Extract:
    case Picture::Add:
        p.setBrush(QColor(200, 170, 110));
        p.drawRect(QRectF(1.5, 7.5, 13, 7));
        p.setPen(QPen(picture == Picture::Add ? QColor(0, 140, 0) : QColor(0, 0, 160), 2));
        if (picture == Picture::Add) {
            p.drawLine(QPointF(8, 1), QPointF(8, 7));
            p.drawLine(QPointF(5, 4), QPointF(11, 4));
        } else {
            p.drawLine(QPointF(8, 9), QPointF(8, 1));
            p.drawLine(QPointF(5, 4), QPointF(8, 1));
            p.drawLine(QPointF(11, 4), QPointF(8, 1));
        }
        break;
    case Picture::Remove:
        p.setPen(QPen(QColor(200, 0, 0), 2.5));
        p.drawLine(QPointF(3, 3), QPointF(13, 13));
        p.drawLine(QPointF(13, 3), QPointF(3, 13));
        break;
    case Picture::Up:
    case Picture::Down: {
        p.setBrush(QColor(0, 120, 0));
        const bool up = picture == Picture::Up;
        p.drawPolygon(QPolygonF({{8, up ? 2.0 : 14.0}, {14, 8}, {2, 8}}));
        p.drawRect(QRectF(5.5, up ? 8 : 2, 5, 6));
        break;
    }
    case Picture::About:
        p.setPen(QColor(0, 0, 128));
        p.setBrush(QColor(255, 255, 200));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
        break;
    case Picture::None:
        break;
    }
    return QIcon(pm);
}

QIcon ProgramIcon(bool editor)
{
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        p.setPen(QPen(QColor(70, 50, 20), 1));
        for (int row = 0; row < 3; ++row) {
            p.setBrush(row % 2 ? QColor(210, 170, 90) : QColor(190, 140, 60));
            p.drawRect(QRectF(2.5, 6.5 + row * 7, 20, 6));
        }
        if (editor) {
            p.setPen(QPen(QColor(90, 60, 30), 3));
            p.drawLine(QPointF(18, 30), QPointF(28, 12));
            p.setPen(QPen(QColor(60, 60, 60), 1));
            p.setBrush(QColor(150, 150, 160));
            p.drawRect(QRectF(22.5, 6.5, 9, 6));
        } else {
            p.setPen(QPen(QColor(40, 40, 40), 3));
            p.drawLine(QPointF(24, 24), QPointF(30, 30));
            p.setPen(QPen(QColor(40, 40, 40), 2));
            p.setBrush(QColor(255, 255, 0, 110));
            p.drawEllipse(QRectF(13, 13, 13, 13));
        }
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QString TypeOfName(const std::string& name)
{
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot + 1 == name.size())
        return QStringLiteral("File");
    const QString ext = qm::DisplayText(name.substr(dot + 1)).toLower();
    static const std::map<QString, const char*> known = {
        {"rfl", "Level"},
        {"tbl", "Table"},
        {"tga", "Targa image"},
        {"vbm", "Animated bitmap"},
        {"v3d", "Static mesh"},
        {"v3m", "Static mesh"},
        {"v3c", "Character mesh"},
        {"vfx", "Effect"},
        {"mvf", "Animation"},
        {"wav", "Sound"},
        {"ogg", "Sound"},
        {"peg", "Texture package"},
        {"vf", "Font"},
        {"bik", "Video"},
        {"txt", "Text"},
        {"ini", "Settings"},
        {"cfg", "Settings"},
        {"htm", "HTML page"},
        {"html", "HTML page"},
        {"scr", "Script"},
        {"vpp", "Packfile"},
    };
    const auto it = known.find(ext);
    if (it != known.end())
        return QString::fromLatin1(it->second);
    return ext.toUpper() + QStringLiteral(" file");
}

bool LooksLikeText(const std::string& name, const std::string& firstBytes)
{
    const QString type = TypeOfName(name);
    if (type == QLatin1String("Text") || type == QLatin1String("Settings") ||
        type == QLatin1String("HTML page") || type == QLatin1String("Script"))
        return true;
    if (type != QLatin1String("File") && !type.endsWith(QLatin1String(" file")))
        return false;
    // Unknown kinds: text when the first bytes hold no control other than line ends and tabs.
    for (unsigned char c : firstBytes)
        if (c < 0x20 && c != '\n' && c != '\r' && c != '\t')
            return false;
    return true;
}

void RecentFiles::load()
{
    m_entries.clear();
    for (int i = 1; i <= 10; ++i) {
        const std::string v =
            qm::ReadRegString(qm::HKEY_CURRENT_USER, m_key, "File" + std::to_string(i), "");
        if (!v.empty())
            m_entries.push_back(v);
    }
}

void RecentFiles::add(const std::string& path)
{
    std::erase(m_entries, path);
    m_entries.insert(m_entries.begin(), path);
    if (m_entries.size() > 10)
        m_entries.resize(10);
    for (size_t i = 0; i < 10; ++i)
        qm::WriteRegString(qm::HKEY_CURRENT_USER, m_key, "File" + std::to_string(i + 1),
                           i < m_entries.size() ? m_entries[i] : std::string());
}

void FillRecentMenu(QMenu* menu, QAction* placeholder, const std::vector<std::string>& files,
                    std::vector<QAction*>* made, const std::function<void(int)>& open)
{
    for (QAction* a : *made) {
        menu->removeAction(a);
        delete a;
    }
    made->clear();
    if (!menu || !placeholder)
        return;
    placeholder->setVisible(files.empty());
    QAction* before = nullptr;
    const QList<QAction*> all = menu->actions();
    const qsizetype at = all.indexOf(placeholder);
    if (at >= 0 && at + 1 < all.size())
        before = all[at + 1];
    for (size_t i = 0; i < files.size(); ++i) {
        const QString text = QStringLiteral("&%1 %2").arg(i + 1).arg(qm::DisplayText(files[i]));
        auto* a = new QAction(text, menu);
        QObject::connect(a, &QAction::triggered, menu, [open, i] { open(int(i)); });
        menu->insertAction(before, a);
        made->push_back(a);
    }
}

} // namespace packtools
