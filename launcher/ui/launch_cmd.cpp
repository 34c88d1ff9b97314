#include "launcher/ui/launch_cmd.h"

#include "common/qt_text.h"
#include "common/ui/message_box.h"
#include "launcher/game_locator.h"

namespace playdeck {

bool LaunchGame(QWidget* parent, const LaunchRequest& request)
{
    // A failed start is not looked at, as with the shell's start; a launch
    // that could never begin is, since closing would hide why.
    std::string wine;
    const LaunchResult result = StartLaunch(request, &wine);
    if (result != LaunchResult::NoRunner && result != LaunchResult::WineLacks32Bit)
        return true;
    qm::ui::MessageBox::show(parent, QMessageBox::Warning, QString::fromLatin1(kLauncherTitle),
                             qm::DisplayText(LaunchErrorText(result, wine)), QMessageBox::Ok);
    return false;
}

} // namespace playdeck
