#include "setup/ui/setup_page.h"

#include "common/profile.h"
#include "common/qt_text.h"
#include "common/ui/edit_bytes.h"
#include "setup/definition_files.h"
#include "setup/file_ops.h"
#include "setup/ui/widget_messages.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace qmsetup {

namespace {
QString local(const std::string& s)
{
    return qm::DisplayText(s);
}

constexpr const char* kInvalidPathCaption = "Invalid path";
} // namespace

CSetupPage::CSetupPage(bool configure, std::string moduleFile, SetupOptions& options,
                       QWidget* parent)
    : CPageFrame(Banner::Main, configure ? QStringLiteral("OK") : QStringLiteral("I&nstall"),
                 parent),
      m_configure(configure), m_moduleFile(std::move(moduleFile)), m_options(options)
{
    setObjectName(configure ? QStringLiteral("configureDialog") : QStringLiteral("setupPage"));
    m_welcome = addLabel(QStringLiteral("Welcome to Quorvel Manager Setup. This will install "
                                        "<NAME> to your hard disk."),
                         10, 42, 311, 18);
    m_description = addLabel(QString(), 10, 61, 311, 30);
    // The button's label is wider than the 74 units of the original layout in
    // any font we get: the button takes room from the status text instead.
    m_status = addLabel(QString(), 10, 92, 212, 28);
    m_differentPath = new QPushButton(QStringLiteral("Install to a different path"), this);
    m_differentPath->setAutoDefault(false);
    place(m_differentPath, 228, 96, 96, 14);
    m_prompt = addLabel(QStringLiteral("Please specify a destination path where to install the "
                                       "tool:"),
                        10, 96, 311, 9);
    m_edit = new QLineEdit(this);
    place(m_edit, 10, 106, 311, 12);
    m_startMenu = new QCheckBox(
        QStringLiteral("Create start menu entry under \"Programs\\Quorvel Manager Tools\"."), this);
    place(m_startMenu, 10, 124, 311, 10);
    m_desktop = new QCheckBox(QStringLiteral("Place a shortcut on the Windows desktop."), this);
    place(m_desktop, 10, 135, 311, 10);
    m_extensions = new QCheckBox(
        QStringLiteral("Assign supported file extensions to be opened with this tool (<EXTS>)."),
        this);
    place(m_extensions, 10, 146, 311, 10);
    m_update = new QCheckBox(
        QStringLiteral("Check first, whether this is the most uptodate version available."), this);
    place(m_update, 10, 157, 311, 10);
    m_updateNote = addLabel(QStringLiteral("(requires Internet connection)"), 22, 167, 200, 9);
    m_version = addLabel(QString(), 7, 201, 150, 20);
    for (QLabel* l : {m_welcome, m_description, m_status, m_prompt, m_updateNote, m_version})
        l->setTextFormat(Qt::PlainText);
    m_status->hide();
    m_differentPath->hide();

    m_welcome->setObjectName(QStringLiteral("welcomeText"));
    m_description->setObjectName(QStringLiteral("descriptionText"));
    m_status->setObjectName(QStringLiteral("statusText"));
    m_differentPath->setObjectName(QStringLiteral("differentPathButton"));
    m_prompt->setObjectName(QStringLiteral("promptText"));
    m_edit->setObjectName(QStringLiteral("folderEdit"));
    m_startMenu->setObjectName(QStringLiteral("startMenuBox"));
    m_desktop->setObjectName(QStringLiteral("desktopBox"));
    m_extensions->setObjectName(QStringLiteral("extensionsBox"));
    m_update->setObjectName(QStringLiteral("updateBox"));
    m_updateNote->setObjectName(QStringLiteral("updateNote"));
    m_version->setObjectName(QStringLiteral("versionText"));

    connect(m_differentPath, &QPushButton::clicked, this, &CSetupPage::installToDifferentPath);
    connect(mainButton(), &QPushButton::clicked, this, [this] {
        if (checkFolder())
            accept();
    });
}

bool CSetupPage::addForbiddenFolder(const std::string& folder)
{
    if (folder.empty() || m_forbidden.size() >= kMaxForbidden)
        return false;
    m_forbidden.push_back(FolderCompareKey(folder));
    return true;
}

bool CSetupPage::initialise()
{
    const qm::ProfileFile def(m_moduleFile);
    const ModuleDescription module = LoadSingleModule(m_moduleFile);
    const QString name = local(module.desc);

    if (m_configure) {
        m_welcome->setText(QStringLiteral("Configure settings for ") + name + QStringLiteral(":"));
        m_update->hide();
        m_updateNote->hide();
    } else {
        m_welcome->setText(m_welcome->text().replace(QStringLiteral("<NAME>"), name));
    }
    qm::ui::SetEditBytes(m_edit, m_options.targetFolder);
    m_startMenu->setChecked(m_options.createShortcutStartMenu);
    m_desktop->setChecked(m_options.createShortcutDesktop);
    m_extensions->setChecked(m_options.associateFileExtensions);
    m_update->setChecked(m_options.checkForUpdates);

    m_description->setText(local(def.text("Description", "WhileInstallation", "")));

    if (def.integer("Extensions", "Num", 0) < 1) {
        m_extensions->hide();
    } else {
        std::string list;
        for (const std::string& ext : def.list("Extensions", ""))
            list += "*." + ext + "; ";
        list.resize(list.size() - 2);
        m_extensions->setText(m_extensions->text().replace(QStringLiteral("<EXTS>"), local(list)));
    }

    WidgetMessages messages(this);
    const SetupPageDecision d =
        CompareForSetupPage(module.vers, module.desc, m_options.targetFolder, messages);
    if (d.presentation == SetupPagePresentation::Cancelled)
        return false;
    if (d.presentation == SetupPagePresentation::Update ||
        d.presentation == SetupPagePresentation::SameVersion) {
        m_options.targetFolder = d.targetFolder;
        qm::ui::SetEditBytes(m_edit, d.targetFolder);
        m_status->setText(local(d.text));
        m_status->show();
        m_differentPath->show();
        m_prompt->hide();
        m_edit->hide();
    }

    m_version->setText(name + QStringLiteral("\nVersion ") + local(module.vers));
    return true;
}

bool CSetupPage::run()
{
    if (!initialise())
        return false;
    return exec() == QDialog::Accepted;
}

void CSetupPage::showEvent(QShowEvent* event)
{
    CPageFrame::showEvent(event);
    if (!m_edit->isHidden()) {
        m_edit->setFocus(Qt::OtherFocusReason);
        m_edit->selectAll();
    }
}

void CSetupPage::installToDifferentPath()
{
    m_prompt->show();
    m_edit->show();
    m_status->hide();
    m_differentPath->hide();
    m_edit->setFocus();
}

bool CSetupPage::checkFolder()
{
    // The choices are kept even when the folder is refused.
    m_options.createShortcutStartMenu = m_startMenu->isChecked();
    m_options.createShortcutDesktop = m_desktop->isChecked();
    m_options.associateFileExtensions = m_extensions->isChecked();
    m_options.checkForUpdates = m_update->isChecked();
    const std::string typed = qm::ui::EditBytes(m_edit);
    m_options.targetFolder = typed;

    const std::string key = FolderCompareKey(typed);
    for (const std::string& forbidden : m_forbidden) {
        if (key == forbidden) {
            WidgetMessages::show(this, kInvalidPathCaption,
                                 "You cannot install the module into a directory that\n\na) is "
                                 "already used for another Quorvel Manager module.\nb) is used "
                                 "for a newer version of the same module.");
            return false;
        }
    }
    if (!IsValidTargetFolder(typed)) {
        WidgetMessages::show(this, kInvalidPathCaption,
                             "Please specify a valid path. Please note that UNC-paths (e.g. "
                             "\\\\server\\share) is not allowed. Also you may not install it to "
                             "a root dir of a drive.");
        return false;
    }
    return true;
}

} // namespace qmsetup
