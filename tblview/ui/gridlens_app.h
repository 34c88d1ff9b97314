#pragma once

#include "tblview/ui/recent_files.h"

#include <QStringList>
#include <memory>
#include <string>

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

// What the command line asks for, by the framework's rules: a file to open,
// or "/p FILE" (print it) and "/pt FILE PRINTER [DRIVER PORT]" (print it there).
struct CommandLineInfo {
    enum class Command { FileNew, FileOpen, FilePrint, FilePrintTo };
    Command command = Command::FileNew;
    QString fileName;
    QString printerName;

    static CommandLineInfo Parse(const QStringList& arguments); // without the program itself
};

// Start-up and the objects that live for the whole run.
class CGRIDLENS32LApp {
public:
    enum class Start { Run, Done, Failed };

    CGRIDLENS32LApp();
    ~CGRIDLENS32LApp();

    // Everything before the event loop. Run: show the window and run the loop;
    // Done: a print request was carried out; Failed: end the program.
    Start InitInstance(const QStringList& arguments);

    // Loads a table into the document and adds it to the recent files.
    bool OpenDocumentFile(const QString& path);
    // Prints the page on the default printer (name empty) or the named one, without a dialog.
    bool PrintDirect(const QString& printerName);

    // The ".TBL" file type and its open and print commands, in the store.
    static void RegisterShellFileTypes(const QString& programPath);

    std::string TempPagePath;

    CGRIDLENS32LDoc* document() const { return m_doc.get(); }
    CMainFrame* mainFrame() const { return m_frame.get(); }
    RecentFileList& recentFiles() { return m_recent; }
    QPrinter& printer();

private:
    RecentFileList m_recent;
    std::unique_ptr<CGRIDLENS32LDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace gridlens
