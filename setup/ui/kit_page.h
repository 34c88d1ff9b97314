#pragma once

#include "setup/definition_files.h"
#include "setup/records.h"
#include "setup/ui/page_frame.h"

#include <QTimer>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace qmsetup {

class CSetupPage;

// The status text of a kit module in its state; empty for a selected
// NewerInstalled module, which is configured instead.
std::string KitStatusText(const ModuleEntry& entry);

// The kit page: the modules of the kit with check marks; its lower half
// follows the highlighted module through a 100 ms timer.
class CKitPage : public CPageFrame {
    Q_OBJECT
public:
    CKitPage(Distribution distribution, SetupOptions& options, std::vector<ModuleEntry>& entries,
             QWidget* parent = nullptr);

    // Opening the page: classifies every module, fills the list, starts the timer.
    void initialise();
    // initialise() and the modal loop: true for Install.
    bool run();

    // One tick of the refresh timer.
    void refresh();
    // Configures the module at index; true when the dialog ended with OK.
    bool configure(int index, bool fromButton);

    QListWidget* moduleList() const { return m_list; }
    QGroupBox* groupBox() const { return m_group; }
    QLabel* descriptionText() const { return m_description; }
    QLabel* statusText() const { return m_status; }
    QPushButton* configureButton() const { return m_configure; }
    QCheckBox* updateBox() const { return m_update; }
    QTimer& refreshTimer() { return m_timer; }

    // Called with each configure dialog before it runs (tests answer it here).
    static void setConfigureHook(std::function<void(CSetupPage&)> hook);

private:
    int highlightedModule() const;

    Distribution m_distribution;
    SetupOptions& m_options;
    std::vector<ModuleEntry>& m_entries;
    QTimer m_timer;
    bool m_closed = false;

    QListWidget* m_list;
    QGroupBox* m_group;
    QLabel* m_description;
    QLabel* m_status;
    QPushButton* m_configure;
    QCheckBox* m_update;
};

} // namespace qmsetup
