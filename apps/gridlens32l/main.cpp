#include "tblview/command_line.h"
#include "tblview/ui/gridlens_app.h"

#include <QApplication>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

// Qt's own options (QApplication takes them out of argv) and whether a value follows.
bool IsToolkitOption(const std::string& arg, bool& takesValue)
{
    static const char* const withValue[] = {
        "-platform",     "-platformpluginpath", "-platformtheme", "-plugin",     "-qwindowgeometry",
        "-qwindowtitle", "-qwindowicon",        "-style",         "-stylesheet", "-session",
        "-display",      "-geometry",           "-title",         "-name"};
    static const char* const alone[] = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};
    const std::string name = arg.compare(0, 2, "--") == 0 ? arg.substr(1) : arg;
    for (const char* o : withValue)
        if (name == o || name.compare(0, std::strlen(o) + 1, std::string(o) + "=") == 0) {
            takesValue = name == o;
            return true;
        }
    for (const char* o : alone)
        if (name == o) {
            takesValue = false;
            return true;
        }
    return false;
}

// The arguments (bytes, as given) without the program and without Qt's options.
std::vector<std::string> OwnArguments(int argc, char** argv)
{
    std::vector<std::string> args;
    bool switchesEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        bool takesValue = false;
        if (arg == "--")
            switchesEnd = true;
        if (!switchesEnd && IsToolkitOption(arg, takesValue)) {
            i += takesValue ? 1 : 0;
            continue;
        }
        args.push_back(arg);
    }
    return args;
}

} // namespace

int main(int argc, char** argv)
{
    // Help, usage errors and --convert are answered without a window (or a display).
    const gridlens::CommandLineInfo early =
        gridlens::CommandLineInfo::Parse(OwnArguments(argc, argv));
    switch (early.command) {
    case gridlens::CommandLineInfo::Command::Help:
        std::cout << gridlens::ViewerUsage();
        return 0;
    case gridlens::CommandLineInfo::Command::Error:
        std::cerr << "gridlens32l: " << early.error << "\n" << gridlens::ViewerUsage();
        return 2;
    case gridlens::CommandLineInfo::Command::Convert:
        return gridlens::RunConvertCommand("gridlens32l", early.fileName, early.pagePath,
                                           std::cerr);
    default:
        break;
    }

    QApplication qapp(argc, argv); // takes Qt's options out of argv
    QApplication::setApplicationName(QStringLiteral("GRIDLENS32L"));
    gridlens::CGRIDLENS32LApp app;
    switch (app.InitInstance(std::vector<std::string>(argv + 1, argv + argc))) {
    case gridlens::CGRIDLENS32LApp::Start::Failed:
        return 1;
    case gridlens::CGRIDLENS32LApp::Start::Done:
        return 0;
    case gridlens::CGRIDLENS32LApp::Start::Run:
        break;
    }
    return qapp.exec();
}
