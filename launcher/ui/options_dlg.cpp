#include "launcher/ui/options_dlg.h"

#include "common/ui/dialog_units.h"
#include "common/ui/edit_bytes.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

namespace playdeck {

namespace {

// Characters outside ASCII take more than one byte in the store (typed text
// is stored as UTF-8): the limit is kept in bytes, so nothing typed becomes
// unreadable.
class StoreLimitValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return input.toUtf8().size() > kOptionsEditMax ? Invalid : Acceptable;
    }
};

} // namespace

bool COptionsDlg::showsGameRunner()
{
#if defined(Q_OS_LINUX)
    return true;
#else
    return false;
#endif
}

COptionsDlg::COptionsDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("optionsDlg"));
    setWindowTitle(QStringLiteral("Options"));
    setFont(qm::ui::DialogFont());
    setFixedSize(qm::ui::DialogUnitsToPixels({387, 228}));

    m_switches = addEdit("switchesEdit",
                         "Additional Command-line switches to pass to RF.EXE:", {7, 7, 240, 8},
                         {7, 16, 240, 14});
    m_asInLauncher = addCheck("switchesAsInLauncherCheck", "Use setting in Red Faction Launcher",
                              {250, 18, 130, 10});
    m_group = addEdit("programGroupEdit",
                      "Default program group when creating shortcut in startmenu:", {7, 35, 240, 8},
                      {7, 44, 240, 14});
    m_programsMenu = addCheck("programsMenuCheck", "Below \"Programs\" menu", {250, 46, 130, 10});
    m_nameLevels = addEdit("nameLevelsEdit",
                           "Default name for level shortcut (%l will be replaced with the "
                           "filename, %n with the level name):",
                           {7, 63, 373, 8}, {7, 72, 373, 14});
    m_nameMods = addEdit("nameModsEdit",
                         "Default name for MOD shortcut (%m will be replaced with the MODs "
                         "directory name):",
                         {7, 91, 373, 8}, {7, 100, 373, 14});
    m_nameModLevels = addEdit("nameModLevelsEdit",
                              "Default name for MOD with level shortcut (%m=MOD's directory name, "
                              "%l=level filename, %n=level name):",
                              {7, 119, 373, 8}, {7, 128, 373, 14});
    if (showsGameRunner())
        m_runner = addEdit("gameRunnerEdit", "Game runner (empty = automatic):", {7, 147, 240, 8},
                           {7, 156, 240, 14});
    m_doubleClick =
        addCheck("doubleClickCheck", "On &Double-click launch Red Faction with the selected level",
                 {7, 175, 318, 10});
    m_autoClose = addCheck("autoCloseCheck", "C&lose PLAYDECK32 application when launching a level",
                           {7, 186, 318, 10});
    m_xpStyle = addCheck("xpStyleCheck",
                         "Use Office XP-style menus (not applied until you start the application "
                         "next time)",
                         {7, 197, 318, 10});
    m_assignVpp = addCheck("assignVppCheck",
                           "Make sure on every startup that double-clicking .VPP files in Explorer "
                           "shows \"Play/View/Edit .VPP\" selection dialog",
                           {7, 208, 373, 10});

    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setGeometry(qm::ui::DialogUnitsToRect({330, 175, 50, 14}));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setGeometry(qm::ui::DialogUnitsToRect({330, 192, 50, 14}));
    connect(m_ok, &QPushButton::clicked, this, &COptionsDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &COptionsDlg::reject);

    const LauncherOptions o = ReadLauncherOptions();
    qm::ui::SetEditBytes(m_switches, o.commandLineSwitches);
    m_asInLauncher->setChecked(o.switchesAsInLauncher);
    qm::ui::SetEditBytes(m_group, o.programGroup);
    m_programsMenu->setChecked(o.programGroupBelowPrograms);
    qm::ui::SetEditBytes(m_nameLevels, o.nameLevels);
    qm::ui::SetEditBytes(m_nameMods, o.nameMods);
    qm::ui::SetEditBytes(m_nameModLevels, o.nameModLevels);
    if (m_runner)
        qm::ui::SetEditBytes(m_runner, o.gameRunner);
    m_doubleClick->setChecked(o.doubleClickLaunch);
    m_autoClose->setChecked(o.autoClose);
    m_xpStyle->setChecked(o.xpMenuStyle);
    m_assignVpp->setChecked(o.assignVpp);

    applySwitchesRule();
    // Only the user's click re-applies the rule; unchecking keeps the copy.
    connect(m_asInLauncher, &QCheckBox::clicked, this, &COptionsDlg::applySwitchesRule);
}

QLineEdit* COptionsDlg::addEdit(const char* objectName, const char* label, QRect labelUnits,
                                QRect editUnits)
{
    auto* caption = new QLabel(QString::fromLatin1(label), this);
    caption->setGeometry(qm::ui::DialogUnitsToRect(labelUnits));
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(objectName));
    edit->setGeometry(qm::ui::DialogUnitsToRect(editUnits));
    edit->setMaxLength(kOptionsEditMax);
    edit->setValidator(new StoreLimitValidator(edit));
    caption->setBuddy(edit);
    return edit;
}

QCheckBox* COptionsDlg::addCheck(const char* objectName, const char* text, QRect units)
{
    auto* box = new QCheckBox(QString::fromLatin1(text), this);
    box->setObjectName(QString::fromLatin1(objectName));
    box->setGeometry(qm::ui::DialogUnitsToRect(units));
    return box;
}

void COptionsDlg::applySwitchesRule()
{
    const bool fromGame = m_asInLauncher->isChecked();
    m_switches->setEnabled(!fromGame);
    if (fromGame)
        qm::ui::SetEditBytes(m_switches, GameLauncherSwitches());
}

LauncherOptions COptionsDlg::values() const
{
    LauncherOptions o;
    o.commandLineSwitches = qm::ui::EditBytes(m_switches);
    o.switchesAsInLauncher = m_asInLauncher->isChecked();
    o.programGroup = qm::ui::EditBytes(m_group);
    o.programGroupBelowPrograms = m_programsMenu->isChecked();
    o.nameLevels = qm::ui::EditBytes(m_nameLevels);
    o.nameMods = qm::ui::EditBytes(m_nameMods);
    o.nameModLevels = qm::ui::EditBytes(m_nameModLevels);
    o.gameRunner = m_runner ? qm::ui::EditBytes(m_runner) : std::string();
    o.doubleClickLaunch = m_doubleClick->isChecked();
    o.autoClose = m_autoClose->isChecked();
    o.xpMenuStyle = m_xpStyle->isChecked();
    o.assignVpp = m_assignVpp->isChecked();
    return o;
}

void COptionsDlg::accept()
{
    WriteLauncherOptions(values(), m_runner != nullptr);
    QDialog::accept();
}

} // namespace playdeck
