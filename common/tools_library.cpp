#include "common/tools_library.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace qm {

std::string ToolsLibraryCandidateBesideProgram()
{
    const QString dir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    return (dir + QStringLiteral("/libqm_tools.so")).toStdString();
}

std::string ToolsLibraryCandidateInstalled()
{
#ifdef QM_TOOLS_LIBDIR_FROM_BINDIR
    if (!QCoreApplication::instance())
        return std::string();
    // An installed suite keeps its programs in bin and the library in lib.
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/" QM_TOOLS_LIBDIR_FROM_BINDIR "/libqm_tools.so"))
        .toStdString();
#else
    return std::string();
#endif
}

namespace {
std::string& overridePath()
{
    static std::string path;
    return path;
}
} // namespace

void SetToolsLibraryPath(const std::string& path)
{
    overridePath() = path;
}

bool CallToolsLibrary(const char* entry)
{
    // Every call loads afresh and unloads right after: nothing stays loaded
    // between calls, so an updated library is picked up at once.
    QLibrary lib;
    const QString beside = QString::fromStdString(ToolsLibraryCandidateBesideProgram());
    const QString installed = QString::fromStdString(ToolsLibraryCandidateInstalled());
    if (!overridePath().empty())
        lib.setFileName(QString::fromStdString(overridePath()));
    else if (QFileInfo::exists(beside))
        lib.setFileName(beside);
    else if (!installed.isEmpty() && QFileInfo::exists(installed))
        lib.setFileName(installed);
    else
        lib.setFileName(QStringLiteral("qm_tools"));
    if (!lib.load())
        return false;
    using Entry = void (*)();
    auto fn = reinterpret_cast<Entry>(lib.resolve(entry));
    if (fn)
        fn();
    lib.unload();
    return fn != nullptr;
}

} // namespace qm
