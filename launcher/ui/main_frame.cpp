#include "launcher/ui/main_frame.h"

#include "common/qt_text.h"
#include "common/tools_library.h"
#include "common/ui/dialog_units.h"
#include "launcher/game_locator.h"
#include "launcher/ui/options_dlg.h"
#include "launcher/ui/pictures.h"
#include "launcher/ui/playdeck32_view.h"
#include "launcher/ui/sibling_tool_cmd.h"

#include <QAction>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

namespace playdeck {

QRect FrameGeometryFor(const QRect& screen)
{
    const int w = std::min(screen.width(), 780);
    const int h = std::min(screen.height(), 500);
    return {screen.x() + (screen.width() - w) / 2, screen.y() + (screen.height() - h) / 2, w, h};
}

QString FrameTitle()
{
    return QStringLiteral("Quorvel Manager PLAYDECK32 - [") + qm::DisplayText(GetGameFolder()) +
           QStringLiteral("]");
}

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent), m_actions(BuildCommandActions(this)), m_view(new CPLAYDECK32View(this))
{
    setObjectName(QStringLiteral("mainFrame"));
    BuildMenuBar(menuBar(), m_actions);

    m_toolBar = addToolBar(QStringLiteral("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("mainToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(kToolbarPictureSize, kToolbarPictureSize));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    // The labels use the small dialog font, as the old toolbar did, so all
    // seven buttons fit the 780-pixel frame.
    m_toolBar->setFont(qm::ui::DialogFont());
    m_toolBar->setContentsMargins(0, 0, 0, 0);
    m_toolBar->layout()->setSpacing(0);
    BuildToolBar(m_toolBar, m_actions);
    sizeToolBarButtons();

    setCentralWidget(m_view);
    m_popup = BuildPopupMenu("&Level", m_actions, this);
    m_view->setPopupMenu(m_popup);
    buildStatusBar();
    wireCommands();
    refreshTitle();
    UpdateCommandUI();
}

void CMainFrame::sizeToolBarButtons()
{
    // Each button is its picture plus its label and a small margin, as the old
    // toolbar measured them (the style's own hint pads far more); all share
    // one height, never below 29 x 28.
    const QFontMetrics fm(m_toolBar->font());
    const int height = std::max(28, std::max(kToolbarPictureSize, fm.height()) + 8);
    for (QAction* a : m_toolBar->actions()) {
        if (a->isSeparator())
            continue;
        if (auto* b = qobject_cast<QToolButton*>(m_toolBar->widgetForAction(a))) {
            const int width = kToolbarPictureSize + fm.horizontalAdvance(a->iconText()) + 10;
            b->setFixedSize(std::max(29, width), height);
        }
    }
}

void CMainFrame::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    for (int i = 0; i < 3; ++i) {
        m_panes[i] = new QLabel(bar);
        m_panes[i]->setObjectName(QStringLiteral("statusPane%1").arg(i));
        m_panes[i]->setMinimumWidth(kStatusPaneWidth);
    }
    m_panes[0]->setText(QStringLiteral("Ready"));
    bar->addWidget(m_panes[0], 1);
    bar->addWidget(m_panes[1], 1);
    // The version pane keeps its width and its text whatever the prompts say.
    m_panes[2]->setFixedWidth(kStatusPaneWidth);
    m_panes[2]->setText(QString::fromLatin1(kVersionPaneText));
    bar->addPermanentWidget(m_panes[2], 0);
}

void CMainFrame::wireCommands()
{
    auto on = [this](CommandId id, auto fn) {
        connect(m_actions.at(id), &QAction::triggered, this, fn);
    };
    on(CommandId::ViewSingleplayer, [this] { m_view->ModeCommand(LevelMode::Singleplayer); });
    on(CommandId::ViewMultiplayer, [this] { m_view->ModeCommand(LevelMode::Multiplayer); });
    on(CommandId::ViewMods, [this] { m_view->ModeCommand(LevelMode::Mods); });
    on(CommandId::ViewRefresh, [this] { m_view->Refresh(); });
    on(CommandId::AppExit, [this] { close(); });
    on(CommandId::LevelPlay, [this] { m_view->LaunchSelected(); });
    on(CommandId::HelpCheckVersion, [] { qm::CallToolsLibrary("DoQMVC"); });
    on(CommandId::AppAbout, [] { qm::CallToolsLibrary("DoAbout"); });
    on(CommandId::ViewOptions, [this] { COptionsDlg(this).exec(); });
    on(CommandId::LevelCreateShortcut, [this] { m_view->CreateShortcutToSelected(); });
    on(CommandId::LevelView, [this] { OpenInSiblingTool(m_view, SiblingTool::PackPeek); });
    on(CommandId::LevelEdit, [this] { OpenInSiblingTool(m_view, SiblingTool::PackForge); });

    connect(m_view, &CPLAYDECK32View::commandStateChanged, this, &CMainFrame::UpdateCommandUI);
    connect(m_view, &CPLAYDECK32View::listRebuilt, this, &CMainFrame::refreshTitle);
    connect(m_view, &CPLAYDECK32View::closeRequested, this, &QWidget::close);
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    connect(m_popup, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::UpdateCommandUI()
{
    const int32_t mode = m_view->mode();
    m_actions.at(CommandId::ViewSingleplayer)->setChecked(mode == 0);
    m_actions.at(CommandId::ViewMultiplayer)->setChecked(mode == 1);
    m_actions.at(CommandId::ViewMods)->setChecked(mode == 2);
    const bool single = m_view->GetSingleSelection() >= 0;
    m_actions.at(CommandId::LevelPlay)->setEnabled(single);
    m_actions.at(CommandId::LevelCreateShortcut)->setEnabled(single);
    m_actions.at(CommandId::LevelView)->setEnabled(single && mode != 2);
    m_actions.at(CommandId::LevelEdit)->setEnabled(single && mode != 2);
}

void CMainFrame::refreshTitle()
{
    // The document name never shows; the game folder is read anew each time.
    setWindowTitle(FrameTitle());
}

void CMainFrame::PlaceOnScreen()
{
    QScreen* s = screen();
    const QRect r = FrameGeometryFor(s ? s->geometry() : QRect(0, 0, 780, 500));
    // The rule sizes the whole window; its border is known only once shown.
    const QSize border = isVisible() ? frameGeometry().size() - size() : QSize(0, 0);
    resize(r.size() - border);
    move(r.topLeft());
}

} // namespace playdeck
