#pragma once

#include "launcher/ui/commands.h"

#include <QMainWindow>
#include <QRect>

class QLabel;
class QMenu;
class QToolBar;

namespace playdeck {

class CPLAYDECK32View;

inline constexpr const char* kVersionPaneText = "V1.0 Beta 01 (Build 01)";
inline constexpr int kStatusPaneWidth = 150;

// The frame's rectangle on a screen: at most 780 x 500, centred (integer halves).
QRect FrameGeometryFor(const QRect& screen);
// "Quorvel Manager PLAYDECK32 - [" + game folder + "]".
QString FrameTitle();

// The launcher's main window: menus, toolbar and keys from the command table,
// the level list in the middle, three status panes below.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);

    CPLAYDECK32View* view() const { return m_view; }
    QAction* action(CommandId id) const { return m_actions.at(id); }
    QToolBar* toolBar() const { return m_toolBar; }
    QMenu* levelPopup() const { return m_popup; }
    QLabel* statusPane(int index) const { return m_panes[index]; }

    // Enables and checks every command from the view's state.
    void UpdateCommandUI();
    // Sizes and centres the frame on the screen it will appear on; once shown,
    // the window border counts into the size.
    void PlaceOnScreen();

private:
    void wireCommands();
    void buildStatusBar();
    void sizeToolBarButtons();
    void refreshTitle();

    CommandActions m_actions;
    CPLAYDECK32View* m_view;
    QToolBar* m_toolBar;
    QMenu* m_popup;
    QLabel* m_panes[3]{};
};

} // namespace playdeck
