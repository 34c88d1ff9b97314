#pragma once

#include "vpp/packfile.h"
#include "vpp/ui/commands.h"

#include <QMainWindow>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QTreeView;

namespace packtools {
class EntryModel;
}

namespace packpeek {

inline constexpr const char* kProgramTitle = "Quorvel Manager PACKPEEK32";
inline constexpr const char* kProfileKey = "Software\\Quorvel Network\\Quorvel Manager PACKPEEK32";
// The record setup keeps of the table viewer, which opens .tbl entries.
inline constexpr const char* kGridLensRecordKey =
    "Software\\Quorvel Network\\Quorvel Manager Tools\\Quorvel Manager GRIDLENS32L";

// The viewer's window: a packfile's entries, sortable and filtered by name.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame();
    ~CMainFrame() override; // removes the private folder of opened entries

    // Shows the packfile; a bad one is reported and the window keeps what it had.
    bool OpenPackfile(const std::string& path);
    const std::string& packfilePath() const { return m_path; }
    const qm::vpp::Directory& directory() const { return m_dir; }

    QTreeView* view() const { return m_view; }
    QLineEdit* filterEdit() const { return m_filter; }
    QLabel* statusLabel() const { return m_status; }
    QAction* action(packtools::CommandId id) const;
    // Entry indices of the selected rows, in packfile order.
    std::vector<size_t> SelectedEntries() const;

    void OnFileOpen();
    void OnOpenEntry();
    // Asks for a folder and extracts, with progress and Cancel.
    void OnExtract(bool all);
    bool ExtractTo(const std::vector<size_t>& indices, const std::string& folder);
    // Where opened entries are put ("" until the first).
    const std::string& privateFolder() const { return m_private; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void OpenEntry(size_t index);
    std::string ExtractPrivately(size_t index);
    void ShowText(const qm::vpp::Entry& e);
    void refreshStatus();
    void refreshRecent();

    std::string m_path;
    qm::vpp::Directory m_dir;
    packtools::EntryModel* m_model = nullptr;
    QSortFilterProxyModel* m_proxy = nullptr;
    QTreeView* m_view = nullptr;
    QLineEdit* m_filter = nullptr;
    QLabel* m_status = nullptr;
    packtools::BuiltCommands m_commands;
    packtools::RecentFiles m_recent;
    std::vector<QAction*> m_recentActions;
    std::string m_private;
};

} // namespace packpeek
