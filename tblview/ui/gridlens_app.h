#pragma once

#include "tblview/command_line.h"
#include "tblview/ui/recent_files.h"

#include <QString>
#include <memory>
#include <string>
#include <vector>

class QPrinter;

namespace gridlens {

class CGRIDLENS32LDoc;
class CMainFrame;

inline constexpr const char* kProgramTitle = "Quorvel Manager GRIDLENS32 (Light Edition)";
inline constexpr const char* kProfileKey =
    "Software\\Quorvel Network\\Quorvel Manager GRIDLENS32 (Light Edition)";
inline constexpr const char* kFileTypeId = "Quorvel.Manager.GRIDLENS32";
inline constexpr const char* kFileTypeName = "TBL table file";
inline constexpr const char* kPageFileName = "gridlens32l.html";

// Start-up and the objects that live for the whole run.
class CGRIDLENS32LApp {
public:
    enum class Start { Run, Done, Failed };

    CGRIDLENS32LApp();
    ~CGRIDLENS32LApp();

    // Everything before the event loop. Run: show the window and run the loop;
    // Done: a print request was carried out; Failed: end the program.
    // arguments: the command line without the program, as bytes.
    Start InitInstance(const std::vector<std::string>& arguments);

    // Loads a table into the document and adds it to the recent files.
    bool OpenDocumentFile(const std::string& path);
    bool OpenDocumentFile(const QString& path); // a path from a dialog or a drop
    // Prints the page on the default printer (name empty) or the named one, without a dialog.
    bool PrintDirect(const std::string& printerName);

    // The ".TBL" file type and its open and print commands, in the store.
    static void RegisterShellFileTypes(const std::string& programPath);

    // The page of this process: in a folder of its own that only this user can
    // enter, under $XDG_RUNTIME_DIR or else the temporary folder; removed at the end.
    std::string TempPagePath;
    const std::string& pageFolder() const { return m_pageFolder; }

    CGRIDLENS32LDoc* document() const { return m_doc.get(); }
    CMainFrame* mainFrame() const { return m_frame.get(); }
    RecentFileList& recentFiles() { return m_recent; }
    QPrinter& printer();

private:
    std::string m_pageFolder;
    RecentFileList m_recent;
    std::unique_ptr<CGRIDLENS32LDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace gridlens
