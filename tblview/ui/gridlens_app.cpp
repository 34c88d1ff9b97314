#include "tblview/ui/gridlens_app.h"

#include "common/settings.h"
#include "common/ui/message_box.h"
#include "platform/desktop_association.h"
#include "tblview/ui/commands.h"
#include "tblview/ui/gridlens_doc.h"
#include "tblview/ui/gridlens_view.h"
#include "tblview/ui/main_frame.h"
#include "tblview/ui/print_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QPrinter>

namespace gridlens {

CommandLineInfo CommandLineInfo::Parse(const QStringList& arguments)
{
    CommandLineInfo info;
    int extra = 0; // parameters after the file name of /pt
    for (const QString& arg : arguments) {
        // "/p" is a switch but "/home/x.tbl" a path: only the framework's
        // switch names count after a "/".
        const QString flag = arg.mid(1).toLower();
        static const QStringList switches = {
            "p", "pt", "dde", "embedding", "automation", "regserver", "unregserver", "unregister"};
        if (arg.startsWith(QLatin1Char('-')) ||
            (arg.startsWith(QLatin1Char('/')) && switches.contains(flag))) {
            if (flag == QLatin1String("p"))
                info.command = Command::FilePrint;
            else if (flag == QLatin1String("pt"))
                info.command = Command::FilePrintTo;
            continue;
        }
        if (info.fileName.isEmpty()) {
            info.fileName = arg;
            if (info.command == Command::FileNew)
                info.command = Command::FileOpen;
        } else if (info.command == Command::FilePrintTo && extra++ == 0) {
            info.printerName = arg; // driver and port follow; a printer name is enough here
        }
    }
    if (info.fileName.isEmpty())
        info.command = Command::FileNew;
    return info;
}

CGRIDLENS32LApp::CGRIDLENS32LApp() = default;
CGRIDLENS32LApp::~CGRIDLENS32LApp()
{
    m_recent.Save();
    m_frame.reset(); // the views go before the document they show
    m_doc.reset();
}

QPrinter& CGRIDLENS32LApp::printer()
{
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        PrintDialogs::preparePrinter(*m_printer, QString());
    }
    return *m_printer;
}

void CGRIDLENS32LApp::RegisterShellFileTypes(const QString& programPath)
{
    const std::string quoted =
        "\"" + QDir::toNativeSeparators(programPath).toLocal8Bit().toStdString() + "\"";
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

CGRIDLENS32LApp::Start CGRIDLENS32LApp::InitInstance(const QStringList& arguments)
{
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(ProgramIcon());
    m_recent.Load();
    TempPagePath = qm::GetTempFolder() + kPageFileName;

    m_doc = std::make_unique<CGRIDLENS32LDoc>(TempPagePath);
    if (!m_doc->created()) {
        qm::ui::MessageBox::show(
            nullptr, QMessageBox::Warning, QString::fromLatin1(kProgramTitle),
            QStringLiteral("Failed to create file in temporary directory:\n\n") +
                QString::fromLocal8Bit(TempPagePath) + QStringLiteral("\n\nProgram will abort."));
        return Start::Failed;
    }
    m_frame = std::make_unique<CMainFrame>(*this);

    RegisterShellFileTypes(QCoreApplication::applicationFilePath());

    const CommandLineInfo cmd = CommandLineInfo::Parse(arguments);
    if (cmd.command == CommandLineInfo::Command::FileNew) {
        m_doc->OnNewDocument();
    } else {
        if (!OpenDocumentFile(cmd.fileName))
            return Start::Failed;
        if (cmd.command != CommandLineInfo::Command::FileOpen)
            return PrintDirect(cmd.printerName) ? Start::Done : Start::Failed;
    }
    m_frame->show();
    return Start::Run;
}

bool CGRIDLENS32LApp::OpenDocumentFile(const QString& path)
{
    if (!m_doc->OnOpenDocument(path, m_frame.get()))
        return false;
    m_recent.Add(m_doc->GetPathName());
    m_frame->refreshRecentFiles();
    return true;
}

bool CGRIDLENS32LApp::PrintDirect(const QString& printerName)
{
    QPrinter direct(QPrinter::HighResolution);
    PrintDialogs::preparePrinter(direct, printerName);
    return m_frame->PrintOn(direct);
}

} // namespace gridlens
