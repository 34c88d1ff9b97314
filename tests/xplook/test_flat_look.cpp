#include "flat_fixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>

using namespace qm::xp;
using qm::xp::test::FlatLookTest;

namespace {

// A button that paints itself, as an owner-drawn one does.
class OwnerButton : public QAbstractButton {
public:
    using QAbstractButton::QAbstractButton;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::darkGreen); }
};

// An edit in the dialog that does not take its first focus: a button far
// off does.
QLineEdit* EditWithoutFocus(QDialog& dlg)
{
    auto* holder = new QPushButton("Holder", &dlg);
    holder->setGeometry(300, 300, 80, 24);
    auto* edit = new QLineEdit(&dlg);
    edit->setGeometry(10, 10, 120, 22);
    return edit;
}

} // namespace

TEST_F(FlatLookTest, EditShowsThinFrameThatTurnsSunkenWhenHotOrFocused)
{
    QDialog dlg;
    QLineEdit* edit = EditWithoutFocus(dlg);
    auto* bare = new QLineEdit(&dlg);
    bare->setFrame(false);
    bare->setGeometry(10, 60, 120, 22);
    open(dlg);
    ASSERT_NE(manager().controlOf(edit), nullptr);
    EXPECT_EQ(manager().controlOf(bare), nullptr) << "no client edge: left alone";

    QImage img = shot(edit);
    EXPECT_EQ(img.pixelColor(0, 10), colour(QPalette::Dark));
    EXPECT_EQ(img.pixelColor(119, 10), colour(QPalette::Light));
    EXPECT_EQ(img.pixelColor(1, 10), colour(QPalette::Light)) << "small: lit inner top-left";
    EXPECT_EQ(img.pixelColor(118, 10), colour(QPalette::Midlight));

    hover(edit);
    EXPECT_EQ(manager().hotWindow(), edit);
    img = shot(edit);
    EXPECT_EQ(img.pixelColor(1, 10), colour(QPalette::Shadow)) << "hot: sunken";
    EXPECT_EQ(img.pixelColor(118, 10), colour(QPalette::Midlight));
    EXPECT_EQ(img.pixelColor(0, 10), colour(QPalette::Dark));

    hoverAway();
    EXPECT_EQ(shot(edit).pixelColor(1, 10), colour(QPalette::Light));
    QApplication::setActiveWindow(&dlg);
    edit->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(shot(edit).pixelColor(1, 10), colour(QPalette::Shadow)) << "focused: sunken";
    edit->clearFocus();

    edit->setReadOnly(true);
    img = shot(edit);
    EXPECT_EQ(img.pixelColor(1, 10), colour(QPalette::Button)) << "read-only: flat grey";
    EXPECT_EQ(img.pixelColor(118, 10), colour(QPalette::Button));
    edit->setReadOnly(false);
    edit->setEnabled(false);
    img = shot(edit);
    EXPECT_EQ(img.pixelColor(1, 10), colour(QPalette::Button)) << "disabled: flat grey";
    EXPECT_EQ(img.pixelColor(0, 10), colour(QPalette::Dark));
}

TEST_F(FlatLookTest, OwnerDrawnGroupBoxAndFlatButtonsAreNotTaken)
{
    QDialog dlg;
    auto* owner = new OwnerButton(&dlg);
    owner->setGeometry(10, 10, 80, 24);
    auto* group = new QGroupBox("Group", &dlg);
    group->setGeometry(10, 40, 200, 100);
    auto* inGroup = new QPushButton("Inside", group);
    inGroup->setGeometry(10, 30, 80, 24);
    auto* flat = new QPushButton("Flat", &dlg);
    flat->setFlat(true);
    flat->setGeometry(10, 150, 80, 24);
    auto* push = new QPushButton("Push", &dlg);
    push->setGeometry(100, 150, 80, 24);
    auto* marked = new QPushButton("Marked", &dlg);
    marked->setProperty("ownerDraw", true);
    marked->setGeometry(200, 150, 80, 24);
    open(dlg);

    EXPECT_EQ(manager().controlOf(owner), nullptr);
    EXPECT_EQ(manager().controlOf(group), nullptr);
    EXPECT_EQ(manager().controlOf(flat), nullptr);
    EXPECT_EQ(manager().controlOf(marked), nullptr);
    ASSERT_NE(manager().controlOf(push), nullptr);
    EXPECT_EQ(manager().controlOf(push)->kind(), ControlKind::PushButton);
    EXPECT_NE(manager().controlOf(inGroup), nullptr) << "a group box's controls are taken";
    EXPECT_EQ(shot(owner).pixelColor(0, 0), QColor(Qt::darkGreen));
}

TEST_F(FlatLookTest, OnlyDialogsAreTakenInDialogMode)
{
    QWidget window;
    auto* edit = new QLineEdit(&window);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(manager().controlOf(edit), nullptr);

    QDialog dlg;
    open(dlg);
    // A control made after the dialog opened is taken as it appears.
    auto* late = new QLineEdit(&dlg);
    late->setGeometry(10, 10, 100, 22);
    late->show();
    QApplication::processEvents();
    ASSERT_NE(manager().controlOf(late), nullptr);
    EXPECT_EQ(shot(late).pixelColor(0, 5), colour(QPalette::Dark));

    // A destroyed control is forgotten, and the poll stops with the last one.
    const size_t before = manager().controlCount();
    delete late;
    EXPECT_EQ(manager().controlCount(), before - 1);
    EXPECT_EQ(manager().controlCount() == 0, !manager().hoverTimerRunning());
}

TEST_F(FlatLookTest, NothingChangesWhileTheMouseIsGrabbed)
{
    QDialog dlg;
    QLineEdit* edit = EditWithoutFocus(dlg);
    auto* other = new QPushButton("Other", &dlg);
    other->setGeometry(10, 60, 80, 24);
    open(dlg);
    FlatControl* control = manager().controlOf(edit);
    ASSERT_NE(control, nullptr);

    hover(other);
    ASSERT_EQ(manager().hotWindow(), other);
    other->grabMouse();
    hover(edit);
    EXPECT_EQ(manager().hotWindow(), other);
    EXPECT_FALSE(control->state() & kStateHot);
    EXPECT_EQ(shot(edit).pixelColor(1, 10), colour(QPalette::Light));
    other->releaseMouse();
    hover(edit);
    EXPECT_EQ(manager().hotWindow(), edit);
    EXPECT_TRUE(control->state() & kStateHot);
    EXPECT_FALSE(manager().controlOf(other)->state() & kStateHot);
}

TEST_F(FlatLookTest, HotFrameIsNotRepaintedWhileItStaysHot)
{
    QDialog dlg;
    QLineEdit* edit = EditWithoutFocus(dlg);
    open(dlg);
    FlatControl* control = manager().controlOf(edit);
    ASSERT_NE(control, nullptr);
    hover(edit);
    shot(edit); // paints, as the screen would
    const int afterHot = control->repaintRequests();
    ASSERT_EQ(control->drawnState() & kStateHot, kStateHot);
    hover(edit);
    control->RepaintFrame();
    EXPECT_EQ(control->repaintRequests(), afterHot);
    hoverAway();
    EXPECT_EQ(control->repaintRequests(), afterHot + 1);
}

TEST(ScrollThumbRule, PlacesTheThumbAlongTheTrack)
{
    // Page equal to the range: the whole track minus one pixel.
    auto t = ScrollThumb(100, 0, 9, 10, 0, 8, 16, true);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->offset, 0);
    EXPECT_EQ(t->length, 99);
    // Half a page at the end of the range.
    t = ScrollThumb(100, 0, 9, 5, 5, 8, 16, true);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->length, 50);
    EXPECT_EQ(t->offset, 50);
    // No page: the default thumb; a tiny page: the minimum.
    EXPECT_EQ(ScrollThumb(100, 0, 99, 0, 0, 8, 16, true)->length, 16);
    EXPECT_EQ(ScrollThumb(100, 0, 9999, 1, 0, 8, 16, true)->length, 8);
    // A thumb that does not fit: none in a window bar, the whole track in a control.
    EXPECT_FALSE(ScrollThumb(10, 0, 99, 0, 0, 8, 16, false));
    EXPECT_EQ(ScrollThumb(10, 0, 99, 0, 0, 8, 16, true)->length, 10);
    // Large ranges keep 64-bit precision.
    t = ScrollThumb(1000, 0, 2000000000, 1000000, 1999000001, 8, 16, true);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->offset + t->length, 1000);
}

TEST_F(FlatLookTest, CheckBoxCoversTheNativeIndicatorBorder)
{
    QDialog dlg;
    auto* check = new QCheckBox("Check", &dlg);
    check->setGeometry(10, 10, 100, 20);
    open(dlg);
    QStyleOptionButton opt;
    opt.initFrom(check);
    const QRect indicator =
        check->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, check);
    const QRect box(indicator.center() - QPoint(6, 6), QSize(13, 13));
    ASSERT_FALSE(box.contains(indicator)) << "the native indicator is no larger than the box";
    // Around the 13 x 13 box, only the dialog's face: no trace of the native frame.
    const QImage img = shot(check);
    for (int y = indicator.top(); y <= indicator.bottom(); ++y) {
        for (int x = indicator.left(); x <= indicator.right(); ++x) {
            if (!box.contains(x, y)) {
                ASSERT_EQ(img.pixelColor(x, y), colour(QPalette::Button)) << x << "," << y;
            }
        }
    }
}
