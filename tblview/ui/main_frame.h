#pragma once

#include "tblview/ui/commands.h"

#include <QMainWindow>
#include <map>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QProgressBar;
class QMenu;
class QPrinter;
class QSplitter;
class QToolBar;

namespace gridlens {

class CGRIDLENS32LApp;
class CGRIDLENS32LView;
class CLeftView;
class FindBar;

// The main window: menu, toolbar, status bar, and the tree beside the page.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CGRIDLENS32LApp& app);
    ~CMainFrame() override;

    CLeftView* leftView() const { return m_left; }
    CGRIDLENS32LView* htmlView() const { return m_view; }
    QSplitter* splitter() const { return m_splitter; }
    QToolBar* toolBar() const { return m_toolBar; }
    QAction* action(CommandId id) const;
    const std::vector<QAction*>& recentFileActions() const { return m_mruActions; }
    QLabel* statusPane(int index) const;
    FindBar* findBar() const { return m_findBar; }
    QProgressBar* loadProgressBar() const { return m_progress; }

    // The viewer's own settings key (DisableXPMenuStyle, WrapLongLines).
    static std::string SettingsKey();

    // Command handlers.
    void OnFileOpen();
    void OnFileExport();
    void OnFilePrint();
    void OnFilePrintSetup();
    void OnOpenRecentFile(int index);
    void OnFileNew();
    void OnFileSave();
    void OnAppAbout();
    void OnNextPane(bool previous);
    void OnEditFind();
    void OnFindNext(bool backward);
    void OnViewWrap(bool wrap);

    // Prints the page; reports a printer that cannot start, by the name the
    // user gave (requestedName) when there is one. false on failure.
    bool PrintOn(QPrinter& printer, const QString& requestedName = QString());
    // The recent-file entries of the File menu from the application's list.
    void refreshRecentFiles();
    // The default name the export proposes for a document title.
    static QString ExportNameFor(const QString& title);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    void onDocumentChanged();
    void onLoadProgress(int percent);
    void endBusy();
    void onSearchChanged();
    void findInPage(bool backward);
    void findInTree(bool backward);

    CGRIDLENS32LApp& m_app;
    std::map<CommandId, QAction*> m_actions;
    QMenu* m_fileMenu = nullptr;
    QAction* m_mruPlaceholder = nullptr;
    std::vector<QAction*> m_mruActions;
    QToolBar* m_toolBar = nullptr;
    QSplitter* m_splitter = nullptr;
    CLeftView* m_left = nullptr;
    CGRIDLENS32LView* m_view = nullptr;
    QLabel* m_panes[3] = {nullptr, nullptr, nullptr};
    FindBar* m_findBar = nullptr;
    QProgressBar* m_progress = nullptr;
    bool m_busy = false;
    // Matches of the find bar's text in the page, counted once per search.
    size_t m_matchCount = 0;
    bool m_matchCountValid = false;
};

} // namespace gridlens
