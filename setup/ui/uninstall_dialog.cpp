#include "setup/ui/uninstall_dialog.h"

#include "common/qt_text.h"
#include "common/ui/message_box.h"
#include "setup/ui/setup_app.h"
#include "setup/ui/widget_messages.h"

#include <QListWidget>
#include <QPushButton>

namespace qmsetup {

namespace {
constexpr const char* kCaption = "Quorvel Manager Uninstall";
}

CUninstallDlg::CUninstallDlg(std::vector<RecordedModule> modules, QWidget* parent)
    : CPageFrame(Banner::Main, QStringLiteral("&Remove"), parent), m_modules(std::move(modules))
{
    setObjectName(QStringLiteral("uninstallDlg"));
    setWindowTitle(QString::fromLatin1(kCaption));
    addLabel(QStringLiteral("These Quorvel Manager modules are installed. The checked ones will "
                            "be removed from your system (the files setup installed, their "
                            "shortcuts and file associations):"),
             10, 42, 311, 20);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("moduleList"));
    place(m_list, 10, 64, 311, 124);
    for (const RecordedModule& m : m_modules) {
        QString line = qm::DisplayText(m.displayName);
        if (!m.version.empty())
            line += QStringLiteral("  ") + qm::DisplayText(m.version);
        if (!m.path.empty())
            line += QStringLiteral("  in ") + qm::DisplayText(m.path);
        auto* item = new QListWidgetItem(line, m_list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    connect(mainButton(), &QPushButton::clicked, this, &QDialog::accept);
}

std::vector<std::string> CUninstallDlg::checkedModules() const
{
    std::vector<std::string> out;
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->checkState() == Qt::Checked)
            out.push_back(m_modules[static_cast<size_t>(i)].displayName);
    return out;
}

int RunUninstaller()
{
    if (UnattendedFromEnvironment()) {
        CPageFrame::setUnattended(true);
        qm::ui::MessageBox::setAutoAnswer(true);
    }
    const std::vector<RecordedModule> modules = ListRecordedModules();
    if (modules.empty()) {
        RemoveUninstallEntryIfUnused();
        WidgetMessages::show(nullptr, kCaption, "No Quorvel Manager module is installed.");
        return 0;
    }
    std::vector<std::string> chosen;
    {
        CUninstallDlg dlg(modules);
        if (dlg.exec() != QDialog::Accepted)
            return 0;
        chosen = dlg.checkedModules();
    }
    if (chosen.empty())
        return 0;
    std::string problems;
    for (const std::string& name : chosen) {
        const UninstallOutcome o = UninstallModule(name);
        if (!o.problem.empty())
            problems += o.problem + "\n";
    }
    RemoveUninstallEntryIfUnused();
    std::string text = chosen.size() == 1 ? "The module has been removed."
                                          : "The selected modules have been removed.";
    if (!problems.empty())
        text += "\n\n" + problems;
    WidgetMessages::show(
        nullptr, kCaption, text, SetupMessages::Buttons::Ok, SetupMessages::Answer::Ok,
        problems.empty() ? SetupMessages::Icon::Information : SetupMessages::Icon::Warning);
    return problems.empty() ? 0 : 1;
}

} // namespace qmsetup
