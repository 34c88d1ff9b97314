#pragma once

#include <memory>
#include <string>
#include <vector>

namespace playdeck {

class CMainFrame;
class CSplashDlg;

// The start-up pause in milliseconds: QM_SPLASH_MS when it holds a number
// (negative counts as 0), else 2000.
int SplashPauseMs();

// The packfile a command line names for the action chooser: the text after
// the program name with double quotes stripped from both ends, when it names
// a regular file that can be opened for reading; "" otherwise.
std::string CommandLineFile(const std::vector<std::string>& arguments);

// The launcher's application object: start-up and ownership of the frame.
class CPLAYDECK32App {
public:
    CPLAYDECK32App();
    ~CPLAYDECK32App();

    // Start-up in the launcher's order. arguments: the command line after the
    // program name. True when the main window is up; false when the program
    // is to end with exitCode().
    bool InitInstance(const std::vector<std::string>& arguments);

    int exitCode() const { return m_exitCode; }
    CMainFrame* mainFrame() const { return m_frame.get(); }
    // The file handed to the action chooser, "" when none was.
    const std::string& chooserFile() const { return m_chooserFile; }

    // The path the .VPP association names: the running program unless set
    // (tests point it into their own world).
    std::string executablePath() const;
    void setExecutablePath(const std::string& path) { m_executablePath = path; }

private:
    std::unique_ptr<CMainFrame> m_frame;
    std::string m_chooserFile;
    std::string m_executablePath;
    int m_exitCode = 0;
};

} // namespace playdeck
