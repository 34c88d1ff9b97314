#include "desktop_tools.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace qm::test {

bool toolPresent(const char* program)
{
    return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

bool desktopToolsPresent()
{
    for (const char* tool : {"xdg-mime", "gio", "update-mime-database"})
        if (!toolPresent(tool))
            return false;
    return true;
}

std::optional<std::string> runDesktopTool(const std::string& program,
                                          const std::vector<std::string>& arguments)
{
    QStringList args;
    for (const std::string& a : arguments)
        args << QString::fromStdString(a);
    QProcess p;
    p.start(QString::fromStdString(program), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return std::nullopt;
    return p.readAllStandardOutput().trimmed().toStdString();
}

void useGnomeDesktop(TempWorld& world)
{
    world.setEnv("XDG_CURRENT_DESKTOP", "GNOME");
    world.unsetEnv("KDE_SESSION_VERSION");
    world.unsetEnv("DESKTOP_SESSION");
    world.setEnv("XDG_DATA_DIRS", world.makeDir("system-share") + ":/usr/share");
    world.setEnv("XDG_CONFIG_DIRS", world.makeDir("system-config"));
}

std::string queryFileType(const std::string& path)
{
    return runDesktopTool("xdg-mime", {"query", "filetype", path}).value_or("<failed>");
}

std::string queryDefaultApp(const std::string& mimeType)
{
    return runDesktopTool("xdg-mime", {"query", "default", mimeType}).value_or("<failed>");
}

std::string gioDefaultApp(const std::string& mimeType)
{
    // "Default application for “TYPE”: NAME.desktop" is its first line.
    const std::string out = runDesktopTool("gio", {"mime", mimeType}).value_or("");
    const std::string line = out.substr(0, out.find('\n'));
    const size_t colon = line.rfind(": ");
    return line.rfind("Default application", 0) == 0 && colon != std::string::npos
               ? line.substr(colon + 2)
               : std::string();
}

std::string validateDesktopEntry(const std::string& path)
{
    QProcess p;
    p.start(QStringLiteral("desktop-file-validate"), {QString::fromStdString(path)});
    if (!p.waitForFinished(60000))
        return "desktop-file-validate did not finish";
    const std::string out = (p.readAllStandardOutput() + p.readAllStandardError()).toStdString();
    return p.exitCode() == 0 ? std::string() : "rejected: " + out;
}

} // namespace qm::test
