#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>

class QPainter;

namespace qm::xp {

// When the look takes controls: as they appear anywhere, or only inside dialogs.
enum class HookMode { OnCreate = 0, OnDialogInit = 1 };

// The kinds of control the look knows, from the class table.
enum class ControlKind {
    Plain,   // item views, text edits, calendars: the edit-like frame
    Edit,    // a framed line edit
    SpinBox, // an edit with its up-down buddy: one frame around both
    Combo,
    PushButton,
    CheckBox,
    RadioButton,
    ScrollBar,
    Trackbar,
    Header,
    TabBar,
    TabPage, // the page area of a tab widget
};

// State bits of a taken control.
enum : uint16_t {
    kStateHot = 1,
    kStateSmall = 2,
    kStateFocused = 4,
    kStateReadOnly = 8,
};

// The kind a widget is taken as, or none when the look leaves it alone
// (owner-drawn buttons, group boxes, flat buttons, frameless edits ...).
std::optional<ControlKind> KindOf(const QWidget* widget);

// Where the thumb of a scroll bar goes along its track (offset from the
// track start, length), or none when no thumb is drawn. Windows counts the
// range with the page included: range = max - min + 1.
struct ThumbPlace {
    int offset;
    int length;
};
std::optional<ThumbPlace> ScrollThumb(int trackLength, int min, int max, int page, int pos,
                                      int minThumb, int defaultThumb, bool isControl);

// One taken control: paints its flat frame after the control painted itself.
class FlatControl : public QObject {
    Q_OBJECT
public:
    FlatControl(QWidget* window, ControlKind kind);
    ~FlatControl() override;

    QWidget* window() const { return m_window; }
    ControlKind kind() const { return m_kind; }
    uint16_t state() const { return m_state; }
    uint16_t drawnState() const { return m_drawnState; }
    int hotItem() const { return m_hotItem; }
    // How often a frame repaint was asked for (a repaint that the hot or
    // focused rule skips does not count).
    int repaintRequests() const { return m_requests; }

    void setHot(bool hot);
    // Whether the control must now be drawn hot for a cursor at a global point.
    bool isNewHot(const QPoint& globalCursor, bool isHotWindow);
    bool hasFocus() const;
    // The frame repaint: state bits, then a paint unless hot or focus persists.
    void RepaintFrame();
    // Paints the frame now into painter over rect, as the state says.
    void paintFrame(QPainter& painter, const QRect& rect);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* paintTarget() const;
    void updateState();

    QPointer<QWidget> m_window;
    ControlKind m_kind;
    uint16_t m_state = 0;
    uint16_t m_drawnState = 0;
    int m_hotItem = -1;
    int m_requests = 0;
    int m_savedFrameStyle = -1; // a list's own frame, given back when forgotten
    int m_savedLineWidth = 0;
};

// The flat look of one process: an application-wide event filter that finds
// controls and a 100 ms poll of the control under the mouse.
class FlatLookManager : public QObject {
    Q_OBJECT
public:
    static FlatLookManager& Instance();

    void InstallHook(HookMode mode);
    void RemoveHook();
    bool hooked() const { return m_hooked; }
    HookMode mode() const { return m_mode; }

    // Takes a widget by its class; whether it was taken.
    bool SubclassWindow(QWidget* widget);
    // Gives a widget its own look back.
    void ForgetWindow(QWidget* widget);
    FlatControl* controlOf(const QWidget* widget) const;
    size_t controlCount() const { return m_controls.size(); }
    QWidget* hotWindow() const { return m_hotWindow; }
    bool hoverTimerRunning() const { return m_timer.isActive(); }

    // One tick of the hover poll, for the cursor at a global point.
    void PollHoverAt(const QPoint& globalCursor);
    // Takes the controls of a dialog (done when it first shows).
    void ProcessDialog(QWidget* dialog);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FlatLookManager();
    void takeTree(QWidget* parent);
    bool insideComposite(const QWidget* widget) const;
    void pollHover();

    bool m_hooked = false;
    bool m_enabled = true;
    HookMode m_mode = HookMode::OnDialogInit;
    std::map<const QWidget*, std::unique_ptr<FlatControl>> m_controls;
    std::set<const QWidget*> m_dialogs;
    QPointer<QWidget> m_hotWindow;
    QTimer m_timer;
};

} // namespace qm::xp
