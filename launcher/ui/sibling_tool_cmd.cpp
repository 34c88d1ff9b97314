#include "launcher/ui/sibling_tool_cmd.h"

#include "common/ui/message_box.h"
#include "launcher/catalogue.h"
#include "launcher/ui/playdeck32_view.h"

namespace playdeck {

bool OpenInSiblingTool(CPLAYDECK32View* view, SiblingTool tool)
{
    const int r = view->GetSingleSelection();
    // A MOD row names a folder, which neither tool opens.
    if (r < 0 || view->mode() == static_cast<int32_t>(LevelMode::Mods))
        return false;
    const auto plan = PlanOpenInSiblingTool(tool, ReadSiblingRecord(tool), view->currentFolder(),
                                            view->GetItemText(r, 0));
    if (!plan)
        return false;
    if (!plan->message.empty()) {
        qm::ui::MessageBox::show(view, QMessageBox::NoIcon,
                                 QString::fromLatin1(kSiblingErrorCaption),
                                 QString::fromLatin1(plan->message), QMessageBox::Ok);
        return false;
    }
    StartSiblingTool(*plan->start); // not looked at, as with the shell's start
    return true;
}

} // namespace playdeck
