#include "launcher/ui/shortcut_wizard_dlg.h"

#include "common/shortcut.h"
#include "common/ui/dialog_units.h"
#include "common/ui/drawn_picture.h"
#include "common/ui/edit_bytes.h"
#include "common/ui/message_box.h"
#include "launcher/game_locator.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace playdeck {

namespace {

// The wizard's header picture, drawn to the width of the dialog.
QPixmap HeaderPicture(QSize size)
{
    QPixmap pm = qm::ui::DevicePixmap(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, size.width(), 0);
    g.setColorAt(0, QColor(70, 20, 15));
    g.setColorAt(0.7, QColor(160, 50, 25));
    g.setColorAt(1, QColor(210, 110, 40));
    p.fillRect(QRect(QPoint(), size), g);
    QFont title = p.font();
    title.setBold(true);
    title.setPixelSize(std::max(10, size.height() * 2 / 5));
    p.setFont(title);
    p.setPen(QColor(255, 220, 160));
    p.drawText(QRect(12, 0, size.width() - 24, size.height()), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Create shortcut"));
    // An arrow in a page: the shortcut mark.
    const int side = size.height() * 3 / 5;
    const QRect page(size.width() - side - 14, (size.height() - side) / 2, side, side);
    p.setPen(QPen(QColor(255, 240, 220), 2));
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawRoundedRect(page, 3, 3);
    QPainterPath arrow;
    arrow.moveTo(page.left() + side * 0.25, page.bottom() - side * 0.2);
    arrow.quadTo(page.left() + side * 0.3, page.top() + side * 0.35, page.right() - side * 0.25,
                 page.top() + side * 0.3);
    p.setBrush(Qt::NoBrush);
    p.drawPath(arrow);
    p.drawLine(QPointF(page.right() - side * 0.25, page.top() + side * 0.3),
               QPointF(page.right() - side * 0.42, page.top() + side * 0.18));
    p.drawLine(QPointF(page.right() - side * 0.25, page.top() + side * 0.3),
               QPointF(page.right() - side * 0.38, page.top() + side * 0.45));
    return pm;
}

QFrame* SunkenLine(QWidget* parent, QRect pixels)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(pixels.x(), pixels.y(), pixels.width(), 2);
    return line;
}

// A row of a label and its edit (the label's buddy); y is the edit's top in
// dialog units, the label's text sits 3 units lower.
QLineEdit* LabelledEdit(QWidget* parent, const QString& label, const QString& name, int y)
{
    auto* text = new QLabel(label, parent);
    text->setGeometry(qm::ui::DialogUnitsToRect({14, y + 3, 40, 8}));
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(qm::ui::DialogUnitsToRect({56, y, 268, 14}));
    text->setBuddy(edit);
    return edit;
}

} // namespace

CShortcutWizardDlg::CShortcutWizardDlg(const ShortcutInput& input, QWidget* parent)
    : QDialog(parent), m_input(input)
{
    setObjectName(QStringLiteral("shortcutWizard"));
    setWindowTitle(QString::fromLatin1(kLauncherTitle));
    setFont(qm::ui::DialogFont());
    setFixedSize(qm::ui::DialogUnitsToPixels({331, 226}));
    auto at = [](int x, int y, int w, int h) {
        return qm::ui::DialogUnitsToRect({x, y, w, h});
    };

    auto* header = new QLabel(this);
    header->setObjectName(QStringLiteral("headerPicture"));
    const QRect headerRect(0, 0, width(), at(0, 0, 331, 36).height());
    header->setGeometry(headerRect);
    header->setPixmap(HeaderPicture(headerRect.size()));

    (new QLabel(QStringLiteral("How do you want to name the shortcut?"), this))
        ->setGeometry(at(7, 42, 317, 8));
    m_name = LabelledEdit(this, QStringLiteral("Name as"), QStringLiteral("nameEdit"), 55);
    SunkenLine(this, at(7, 76, 317, 1));

    (new QLabel(QStringLiteral("Where do you want to save the shortcut?"), this))
        ->setGeometry(at(7, 82, 317, 8));
    m_locations = new QButtonGroup(this);
    const char* locationTexts[kShortcutLocationCount] = {
        "On the desktop", "In the startmenu", "In the quick launch bar", "Somewhere else"};
    for (int i = 0; i < kShortcutLocationCount; ++i) {
        auto* b = new QRadioButton(QString::fromLatin1(locationTexts[i]), this);
        b->setObjectName(QStringLiteral("location%1").arg(i));
        b->setGeometry(at(14, 95 + 12 * i, 150, 10));
        m_locations->addButton(b, i);
    }
    connect(m_locations, &QButtonGroup::idClicked, this, &CShortcutWizardDlg::chooseLocation);

    m_profileGroup = new QGroupBox(QStringLiteral("Select Windows profile"), this);
    m_profileGroup->setObjectName(QStringLiteral("profileGroup"));
    m_profileGroup->setGeometry(at(172, 92, 152, 48));
    m_currentUser = new QRadioButton(QStringLiteral("Current user"), m_profileGroup);
    m_currentUser->setObjectName(QStringLiteral("currentUser"));
    m_currentUser->setGeometry(at(8, 13, 138, 10));
    m_allUsers = new QRadioButton(QStringLiteral("All users (needs admin rights)"), m_profileGroup);
    m_allUsers->setObjectName(QStringLiteral("allUsers"));
    m_allUsers->setGeometry(at(8, 28, 138, 10));
    connect(m_currentUser, &QRadioButton::clicked, this,
            [this] { chooseProfile(ShortcutProfile::CurrentUser); });
    connect(m_allUsers, &QRadioButton::clicked, this,
            [this] { chooseProfile(ShortcutProfile::AllUsers); });

    m_directory =
        LabelledEdit(this, QStringLiteral("Directory:"), QStringLiteral("directoryEdit"), 150);
    connect(m_directory, &QLineEdit::textChanged, this, &CShortcutWizardDlg::updateFinish);
    SunkenLine(this, at(7, 194, 317, 1));

    m_back = new QPushButton(QStringLiteral("< &Back"), this);
    m_back->setObjectName(QStringLiteral("backButton"));
    m_back->setGeometry(at(161, 203, 50, 14));
    m_back->setEnabled(false); // a one-page wizard
    m_finish = new QPushButton(QStringLiteral("Fi&nish"), this);
    m_finish->setObjectName(QStringLiteral("finishButton"));
    m_finish->setGeometry(at(211, 203, 50, 14));
    m_finish->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setGeometry(at(274, 203, 50, 14));
    connect(m_finish, &QPushButton::clicked, this, &CShortcutWizardDlg::OnFinish);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    // Opening: the proposed name, the folders, nothing chosen yet.
    qm::ui::SetEditBytes(m_name, ProposedShortcutName(m_input));
    m_folders = BuildShortcutFolderTable();
    setProfilesVisible(false);
    m_directory->setEnabled(false);
    updateFinish();
}

QRadioButton* CShortcutWizardDlg::locationButton(ShortcutLocation location) const
{
    return qobject_cast<QRadioButton*>(m_locations->button(static_cast<int>(location)));
}

void CShortcutWizardDlg::setProfilesVisible(bool visible)
{
    m_profileGroup->setVisible(visible);
    m_currentUser->setVisible(visible);
    m_allUsers->setVisible(visible);
}

ShortcutProfile CShortcutWizardDlg::checkedProfile() const
{
    if (m_currentUser->isChecked())
        return ShortcutProfile::CurrentUser;
    if (m_allUsers->isChecked())
        return ShortcutProfile::AllUsers;
    return ShortcutProfile::None;
}

void CShortcutWizardDlg::chooseLocation(int location)
{
    if (location < 0 || location >= kShortcutLocationCount)
        return;
    m_location = location;
    const LocationChoice choice =
        ChooseLocation(m_folders[static_cast<size_t>(location)], checkedProfile());
    setProfilesVisible(choice.showProfiles);
    if (choice.showProfiles) {
        m_currentUser->setChecked(choice.profile == ShortcutProfile::CurrentUser);
        m_allUsers->setChecked(choice.profile == ShortcutProfile::AllUsers);
    }
    qm::ui::SetEditBytes(m_directory, choice.directory);
    m_directory->setEnabled(true);
    updateFinish();
}

void CShortcutWizardDlg::chooseProfile(ShortcutProfile profile)
{
    if (m_location < 0)
        return;
    qm::ui::SetEditBytes(m_directory,
                         FolderForProfile(m_folders[static_cast<size_t>(m_location)], profile));
}

void CShortcutWizardDlg::updateFinish()
{
    m_finish->setEnabled(!m_directory->text().isEmpty());
}

void CShortcutWizardDlg::OnFinish()
{
    if (m_directory->text().isEmpty())
        return;
    if (m_location == static_cast<int>(ShortcutLocation::StartMenu))
        EnsureStartMenuFolders();
    const int32_t result =
        WriteLevelShortcut(m_input, qm::ui::EditBytes(m_directory), qm::ui::EditBytes(m_name));
    if (result == qm::kShortcutOk) {
        accept();
        return;
    }
    const auto answer = qm::ui::MessageBox::show(
        this, QMessageBox::NoIcon, QString::fromLatin1(kShortcutErrorCaption),
        QString::fromLatin1(kShortcutErrorText), QMessageBox::Retry | QMessageBox::Cancel,
        QMessageBox::Retry);
    // Retry keeps everything as typed; the user changes what failed and
    // presses Finish again.
    if (answer != QMessageBox::Retry)
        reject();
}

} // namespace playdeck
