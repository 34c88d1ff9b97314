#pragma once

#include "vpp/document.h"
#include "vpp/ui/commands.h"

#include <QDialog>
#include <QMainWindow>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace packforge {

inline constexpr const char* kProgramTitle = "Quorvel Manager PACKFORGE32";
inline constexpr const char* kProfileKey = "Software\\Quorvel Network\\Quorvel Manager PACKFORGE32";

// The name of an entry, checked against the packfile's rules at every key.
class CNameDlg : public QDialog {
    Q_OBJECT
public:
    CNameDlg(QWidget* parent, const qm::vpp::PackfileDocument& doc, int index);
    // The bytes the typed name is stored as.
    std::string nameBytes() const;
    QLineEdit* edit() const { return m_edit; }
    QLabel* reason() const { return m_reason; }
    QPushButton* okButton() const { return m_ok; }

private:
    void check();
    const qm::vpp::PackfileDocument& m_doc;
    int m_index;
    std::string m_original;
    QLineEdit* m_edit;
    QLabel* m_reason;
    QPushButton* m_ok;
};

// The editor's window: the entries of one packfile being built or changed.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame();

    bool OpenPackfile(const std::string& path);
    qm::vpp::PackfileDocument& document() { return m_doc; }
    QTreeWidget* view() const { return m_view; }
    QAction* action(packtools::CommandId id) const;
    int currentIndex() const;
    void selectIndex(int index);

    void OnFileNew();
    void OnNewLevelPackfile();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnAddFiles();
    void OnAddFolder();
    void OnRemove();
    void OnRename();
    void OnMove(int delta);
    void OnReplace();
    // Adds files (a folder's files with recursive), reporting every refusal.
    int AddPaths(const std::vector<std::string>& paths, bool recursive);
    bool SaveTo(const std::string& path);
    // false when the user cancelled the question about unsaved changes.
    bool MaybeSave();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void refresh(int select = -1);
    void refreshRecent();
    QString documentName() const;

    qm::vpp::PackfileDocument m_doc;
    std::string m_proposedPath; // the name Save As offers for a new packfile
    QTreeWidget* m_view = nullptr;
    QLabel* m_status = nullptr;
    packtools::BuiltCommands m_commands;
    packtools::RecentFiles m_recent;
    std::vector<QAction*> m_recentActions;
};

} // namespace packforge
