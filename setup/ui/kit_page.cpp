#include "setup/ui/kit_page.h"

#include "common/profile.h"
#include "common/qt_text.h"
#include "setup/ui/setup_page.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <cstdio>

namespace qmsetup {

namespace {
QString local(const std::string& s)
{
    return qm::DisplayText(s);
}

// Each list item keeps the bytes of its line, so the lookup by name below
// compares bytes, not what the display rule made of them.
constexpr int kLineBytesRole = Qt::UserRole + 1;

std::function<void(CSetupPage&)>& configureHook()
{
    static std::function<void(CSetupPage&)> hook;
    return hook;
}

// "%s" placeholders filled in order.
std::string fill(const char* format, std::initializer_list<std::string> args)
{
    std::string out;
    auto it = args.begin();
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's' && it != args.end()) {
            out += *it++;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}
} // namespace

std::string KitStatusText(const ModuleEntry& e)
{
    const bool sel = e.selected;
    switch (e.state) {
    case ModuleState::NotInstalled:
        return sel ? fill("This module will be installed to\n%s\nVersion %s",
                          {e.targetFolder, e.versionText})
                   : fill("Select the module in the list above to install it.\n\nVersion %s",
                          {e.versionText});
    case ModuleState::UpdateInPlace:
        return fill(sel ? "This module will be updated.\nInstalled Version: %s\nNew Version:%s"
                        : "Select the module in the list above to update.\nInstalled Version: "
                          "%s\nNew Version:%s",
                    {e.installedVersion, e.versionText});
    case ModuleState::UpdateToNewFolder:
        return sel ? fill("You have chosen to install the new version of this module to a new "
                          "directory at\n%s\nVersion %s",
                          {e.targetFolder, e.versionText})
                   : fill("Select the module in the list above to install or update.\nInstalled "
                          "Version: %s\nNew Version:%s",
                          {e.installedVersion, e.versionText});
    case ModuleState::SameVersion:
        return sel ? fill("This module will be reinstalled (repaired) at\n%s\nVersion %s",
                          {e.installedPath, e.installedVersion})
                   : fill("This module is already installed in the same version in\n%s\nSelect "
                          "it if you want to repair the installation.",
                          {e.installedPath});
    case ModuleState::NewInstance:
        return sel ? fill("You have chosen to install a new instance of this module to a new "
                          "directory at\n%s",
                          {e.targetFolder})
                   : "Select the module in the list above to install or repair.";
    case ModuleState::NewerInstalled:
        return sel ? std::string() : "You already have a newer version of this module installed.";
    case ModuleState::OlderToNewFolder:
        return sel ? fill("While a newer version of this module is already installed you have "
                          "chosen to install this older version to a new directory:\n%s",
                          {e.targetFolder})
                   : "You already have a newer version of this module installed.";
    }
    return std::string();
}

void CKitPage::setConfigureHook(std::function<void(CSetupPage&)> hook)
{
    configureHook() = std::move(hook);
}

CKitPage::CKitPage(Distribution distribution, SetupOptions& options,
                   std::vector<ModuleEntry>& entries, QWidget* parent)
    : CPageFrame(Banner::Main, QStringLiteral("I&nstall"), parent),
      m_distribution(std::move(distribution)), m_options(options), m_entries(entries)
{
    setObjectName(QStringLiteral("kitPage"));
    addLabel(QStringLiteral("Select the modules you want to install:"), 10, 42, 311, 9)
        ->setObjectName(QStringLiteral("headingText"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("moduleList"));
    place(m_list, 10, 52, 311, 50);
    m_group = new QGroupBox(this);
    m_group->setObjectName(QStringLiteral("groupBox"));
    place(m_group, 10, 104, 311, 70);
    m_description = addLabel(QStringLiteral("Select a module above to configure its installation "
                                            "options including the target directory."),
                             17, 115, 297, 26);
    m_description->setObjectName(QStringLiteral("descriptionText"));
    m_status = addLabel(QString(), 17, 142, 232, 30);
    m_status->setObjectName(QStringLiteral("statusText"));
    m_configure = new QPushButton(QStringLiteral("&Configure"), this);
    m_configure->setObjectName(QStringLiteral("configureButton"));
    m_configure->setAutoDefault(false);
    place(m_configure, 257, 154, 57, 14);
    m_update = new QCheckBox(QStringLiteral("Check if this is the newest version available"), this);
    m_update->setObjectName(QStringLiteral("updateBox"));
    place(m_update, 10, 177, 240, 10);
    addLabel(QStringLiteral("(requires Internet connection)"), 22, 186, 200, 9)
        ->setObjectName(QStringLiteral("updateNote"));
    m_description->setTextFormat(Qt::PlainText);
    m_status->setTextFormat(Qt::PlainText);

    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &CKitPage::refresh);
    connect(m_configure, &QPushButton::clicked, this, [this] {
        const int i = highlightedModule();
        if (i >= 0)
            configure(i, true);
    });
    connect(mainButton(), &QPushButton::clicked, this, [this] {
        m_options.checkForUpdates = m_update->isChecked();
        m_timer.stop();
        accept();
    });
    connect(this, &QDialog::finished, this, [this] {
        m_closed = true;
        m_timer.stop();
    });
}

void CKitPage::initialise()
{
    m_status->clear();
    m_group->hide();
    m_configure->hide();
    m_update->setChecked(m_options.checkForUpdates);

    m_entries.clear();
    for (const std::string& folder : KitModuleFolders(m_distribution))
        m_entries.push_back(ClassifyKitModule(folder));

    m_list->clear();
    for (const ModuleEntry& e : m_entries) {
        auto* item = new QListWidgetItem(QStringLiteral(" ") + local(e.displayName), m_list);
        const size_t named = e.displayName.find_first_not_of(' ');
        const std::string line = named == std::string::npos ? "" : e.displayName.substr(named);
        item->setData(kLineBytesRole, QByteArray(line.data(), static_cast<qsizetype>(line.size())));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(e.selected ? Qt::Checked : Qt::Unchecked);
    }
    m_timer.start();
}

bool CKitPage::run()
{
    initialise();
    return exec() == QDialog::Accepted;
}

int CKitPage::highlightedModule() const
{
    const QListWidgetItem* item = m_list->currentItem();
    if (!item)
        return -1;
    const std::string line = item->data(kLineBytesRole).toByteArray().toStdString();
    // The last module whose name begins the line wins.
    int found = -1;
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (line.compare(0, m_entries[i].displayName.size(), m_entries[i].displayName) == 0)
            found = static_cast<int>(i);
    return found;
}

void CKitPage::refresh()
{
    m_timer.stop();
    for (;;) {
        const int i = highlightedModule();
        if (i < 0)
            break;
        ModuleEntry& e = m_entries[static_cast<size_t>(i)];
        QListWidgetItem* item = m_list->currentItem();
        e.selected = item->checkState() == Qt::Checked;

        std::string status;
        if (e.state == ModuleState::NewerInstalled && e.selected) {
            if (configure(i, false))
                continue; // now OlderToNewFolder: start over
            e.selected = false;
            item->setCheckState(Qt::Unchecked);
        } else {
            status = KitStatusText(e);
        }

        m_group->setTitle(local(e.displayName));
        m_status->setText(local(status));
        m_configure->setEnabled(e.selected);
        m_description->setText(local(qm::ReadProfileText(e.sourceFolder + "/" + kModuleFileName,
                                                         "Description", "WhileInstallation", "$")));
        m_group->show();
        m_configure->show();
        break;
    }
    if (!m_closed)
        m_timer.start();
}

bool CKitPage::configure(int index, bool fromButton)
{
    ModuleEntry& e = m_entries[static_cast<size_t>(index)];
    SetupOptions options = m_options;
    CSetupPage dialog(true, e.sourceFolder + "/" + kModuleFileName, options, this);
    for (size_t j = 0; j < m_entries.size(); ++j)
        if (static_cast<int>(j) != index)
            dialog.addForbiddenFolder(m_entries[j].targetFolder);
    if (e.state == ModuleState::NewerInstalled || e.state == ModuleState::OlderToNewFolder)
        dialog.addForbiddenFolder(e.installedPath);

    options.targetFolder = e.targetFolder;
    options.createShortcutStartMenu = e.createShortcutStartMenu;
    options.createShortcutDesktop = e.createShortcutDesktop;
    options.associateFileExtensions = e.associateFileExtensions;

    if (configureHook())
        configureHook()(dialog);
    if (!dialog.run())
        return false;
    e.createShortcutStartMenu = options.createShortcutStartMenu;
    e.createShortcutDesktop = options.createShortcutDesktop;
    e.associateFileExtensions = options.associateFileExtensions;
    ReclassifyKitModule(e, options.targetFolder);
    if (fromButton)
        refresh();
    return true;
}

} // namespace qmsetup
