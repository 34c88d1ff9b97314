#include "launcher/ui/launch_cmd.h"

#include "common/ui/message_box.h"
#include "launcher/game_locator.h"

namespace playdeck {

bool LaunchGame(QWidget* parent, const LaunchRequest& request)
{
    // A failed start is not looked at, as with the shell's start; a missing
    // runner is, since that launch could never begin.
    if (StartLaunch(request) != LaunchResult::NoRunner)
        return true;
    qm::ui::MessageBox::show(parent, QMessageBox::Warning, QString::fromLatin1(kLauncherTitle),
                             QString::fromLatin1(kNoGameRunnerMessage), QMessageBox::Ok);
    return false;
}

} // namespace playdeck
