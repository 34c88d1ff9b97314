#include "common/tools_library.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace qm {

std::string ToolsLibraryCandidateBesideProgram()
{
    const QString dir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    return (dir + QStringLiteral("/libqm_tools.so")).toStdString();
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
    if (!overridePath().empty())
        lib.setFileName(QString::fromStdString(overridePath()));
    else
        lib.setFileName(QFileInfo::exists(beside) ? beside : QStringLiteral("qm_tools"));
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
