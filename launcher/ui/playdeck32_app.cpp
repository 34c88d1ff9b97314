#include "launcher/ui/playdeck32_app.h"

#include "common/ui/message_box.h"
#include "launcher/association.h"
#include "launcher/game_locator.h"
#include "launcher/ui/look_hooks.h"
#include "launcher/ui/main_frame.h"
#include "launcher/ui/playdeck32_view.h"
#include "launcher/ui/splash_dlg.h"
#include "launcher/ui/vpp_action_dlg.h"
#include "platform/file_system.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace playdeck {

namespace {

constexpr int kDefaultSplashMs = 2000;

void ShowActionChooser(const std::string& path)
{
    CVppActionDlg dlg(path);
    dlg.exec();
}

void pause(int ms)
{
    if (ms <= 0)
        return;
    // The picture keeps painting while the user interface waits; input is held back.
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

int SplashPauseMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("QM_SPLASH_MS", &ok);
    if (!ok)
        return kDefaultSplashMs;
    return ms < 0 ? 0 : ms;
}

std::string CommandLineFile(const std::vector<std::string>& arguments)
{
    // The command line's own bytes: a name that is not UTF-8 still names the file.
    std::string text;
    for (size_t i = 0; i < arguments.size(); ++i)
        text += (i ? " " : "") + arguments[i];
    size_t b = 0, e = text.size();
    while (b < e && text[b] == '"')
        ++b;
    while (e > b && text[e - 1] == '"')
        --e;
    text = text.substr(b, e - b);
    if (text.empty())
        return {};
    // ReadFile opens regular files only: a folder or a FIFO is no packfile.
    if (!qm::fs::ReadFile(text).isOpen())
        return {};
    return text;
}

CPLAYDECK32App::CPLAYDECK32App() = default;

std::string CPLAYDECK32App::executablePath() const
{
    if (!m_executablePath.empty())
        return m_executablePath;
    return qm::fs::ProgramPath();
}
CPLAYDECK32App::~CPLAYDECK32App() = default;

bool CPLAYDECK32App::InitInstance(const std::vector<std::string>& arguments)
{
    EnableFlatLook();
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvel Network"));
    QCoreApplication::setApplicationName(QString::fromLatin1(kLauncherTitle));

    const bool installed = IsGameInstalled();

    // A readable file on the command line goes to the action chooser and
    // nothing else. Anything else on the command line is ignored: the
    // launcher has no document of its own to open.
    m_chooserFile = CommandLineFile(arguments);
    if (!m_chooserFile.empty()) {
        ShowActionChooser(m_chooserFile);
        m_exitCode = 0;
        return false;
    }

    auto splash = std::make_unique<CSplashDlg>();
    splash->ShowNow();
    // Rewritten at every start-up that shows the picture, even when the game
    // then turns out to be missing; a folder that takes no script is no
    // reason to stop.
    WriteAssociationScript(executablePath());
    pause(SplashPauseMs());

    if (!installed) {
        qm::ui::MessageBox::show(nullptr, QMessageBox::Warning, QString::fromLatin1(kLauncherTitle),
                                 QString::fromLatin1(kGameMissingMessage), QMessageBox::Ok);
        m_exitCode = 1;
        return false;
    }

    m_frame = std::make_unique<CMainFrame>();
    m_frame->PlaceOnScreen();
    m_frame->view()->OnInitialUpdate();
    ApplyMenuLook(m_frame.get(), m_frame->levelPopup());
    m_frame->show();
    m_frame->PlaceOnScreen();
    m_frame->repaint();
    splash.reset();
    return true;
}

} // namespace playdeck
