#include "tblview/ui/gridlens_app.h"

#include "common/qt_text.h"
#include "common/settings.h"
#include "common/ui/message_box.h"
#include "platform/desktop_association.h"
#include "platform/file_system.h"
#include "platform/process_start.h"
#include "tblview/ui/commands.h"
#include "tblview/ui/gridlens_doc.h"
#include "tblview/ui/gridlens_view.h"
#include "tblview/ui/main_frame.h"
#include "tblview/ui/print_dialogs.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <cstdlib>

namespace gridlens {

CGRIDLENS32LApp::CGRIDLENS32LApp() = default;
CGRIDLENS32LApp::~CGRIDLENS32LApp()
{
    m_recent.Save();
    m_frame.reset(); // the views go before the document they show
    m_doc.reset();
    if (!m_pageFolder.empty())
        qm::fs::RemoveTree(m_pageFolder);
}

QPrinter& CGRIDLENS32LApp::printer()
{
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        PrintDialogs::preparePrinter(*m_printer, QString());
    }
    return *m_printer;
}

void CGRIDLENS32LApp::RegisterShellFileTypes(const std::string& programPath)
{
    // Windows quoting: a quote in a folder name must not end the program's path.
    const std::string quoted = qm::QuoteWindowsArgument(programPath);
    const std::string classes = "Software\\Classes\\";
    const std::string type = classes + kFileTypeId;
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, classes + ".TBL", "", kFileTypeId);
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, type, "", kFileTypeName);
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, type + "\\shell\\open\\command", "",
                       quoted + " \"%1\"");
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, type + "\\shell\\print\\command", "",
                       quoted + " /p \"%1\"");
    qm::WriteRegString(qm::HKEY_LOCAL_MACHINE, type + "\\shell\\printto\\command", "",
                       quoted + " /pt \"%1\" \"%2\" \"%3\" \"%4\"");
    // The desktop's file managers learn the type from the keys just written.
    qm::ExportFileClassesToDesktop({".TBL"});
}

namespace {
// $XDG_RUNTIME_DIR is the user's own and cleared at log-out; the temporary
// folder is the fallback.
std::string PageParentFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && qm::fs::IsFolder(runtime))
        return runtime;
    return qm::GetTempFolder();
}
} // namespace

CGRIDLENS32LApp::Start CGRIDLENS32LApp::InitInstance(const std::vector<std::string>& arguments)
{
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(ProgramIcon());
    m_recent.Load();
    const std::string parent = PageParentFolder();
    m_pageFolder = qm::fs::MakePrivateFolder(parent, "gridlens32l-");
    TempPagePath = m_pageFolder.empty() ? std::string() : m_pageFolder + "/" + kPageFileName;

    m_doc = std::make_unique<CGRIDLENS32LDoc>(TempPagePath);
    if (m_pageFolder.empty() || !m_doc->created()) {
        qm::ui::MessageBox::show(
            nullptr, QMessageBox::Warning, QString::fromLatin1(kProgramTitle),
            QStringLiteral("Failed to create file in temporary directory:\n\n") +
                qm::DisplayText(m_pageFolder.empty() ? parent : TempPagePath) +
                QStringLiteral("\n\nProgram will abort."));
        return Start::Failed;
    }
    m_frame = std::make_unique<CMainFrame>(*this);

    RegisterShellFileTypes(qm::fs::ProgramPath());

    const CommandLineInfo cmd = CommandLineInfo::Parse(arguments);
    switch (cmd.command) {
    case CommandLineInfo::Command::FileNew:
        m_doc->OnNewDocument();
        break;
    case CommandLineInfo::Command::FileOpen:
        if (!OpenDocumentFile(cmd.fileName))
            return Start::Failed;
        break;
    case CommandLineInfo::Command::FilePrint:
    case CommandLineInfo::Command::FilePrintTo:
        if (!OpenDocumentFile(cmd.fileName))
            return Start::Failed;
        return PrintDirect(cmd.printerName) ? Start::Done : Start::Failed;
    case CommandLineInfo::Command::Convert:
    case CommandLineInfo::Command::Help:
    case CommandLineInfo::Command::Error:
        // main() answers these before a window exists.
        return Start::Failed;
    }
    m_frame->show();
    return Start::Run;
}

bool CGRIDLENS32LApp::OpenDocumentFile(const QString& path)
{
    return OpenDocumentFile(QFile::encodeName(path).toStdString());
}

bool CGRIDLENS32LApp::OpenDocumentFile(const std::string& path)
{
    if (!m_doc->OnOpenDocument(path, m_frame.get()))
        return false;
    m_recent.Add(m_doc->pathBytes());
    m_frame->refreshRecentFiles();
    return true;
}

bool CGRIDLENS32LApp::PrintDirect(const std::string& printerName)
{
    QPrinter direct(QPrinter::HighResolution);
    const QString name = qm::DisplayText(printerName);
    PrintDialogs::preparePrinter(direct, name);
    return m_frame->PrintOn(direct, name);
}

} // namespace gridlens
