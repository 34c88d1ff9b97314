#pragma once

#include "setup/ui/page_frame.h"
#include "setup/uninstall.h"

#include <string>
#include <vector>

class QListWidget;

namespace qmsetup {

// The uninstaller's page: the recorded modules, each with a check mark;
// Remove takes the checked ones away.
class CUninstallDlg : public CPageFrame {
    Q_OBJECT
public:
    explicit CUninstallDlg(std::vector<RecordedModule> modules, QWidget* parent = nullptr);

    QListWidget* moduleList() const { return m_list; }
    // The display names checked now.
    std::vector<std::string> checkedModules() const;

private:
    std::vector<RecordedModule> m_modules;
    QListWidget* m_list;
};

// The whole uninstaller; returns the exit code.
int RunUninstaller();

} // namespace qmsetup
