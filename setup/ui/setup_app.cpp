#include "setup/ui/setup_app.h"

#include "common/ui/message_box.h"
#include "setup/definition_files.h"
#include "setup/install.h"
#include "setup/records.h"
#include "setup/ui/kit_page.h"
#include "setup/ui/progress_page.h"
#include "setup/ui/setup_page.h"
#include "setup/ui/widget_messages.h"

#include <cstdlib>
#include <cstring>

namespace qmsetup {

bool UnattendedFromEnvironment()
{
    const char* v = std::getenv("QM_SETUP_UNATTENDED");
    return v && std::strcmp(v, "1") == 0;
}

namespace {

int exitCodeOf(const CProgressPage& progress)
{
    if (progress.installRun().failedModules > 0)
        return kExitModuleFailed;
    return progress.endedEarly() ? kExitClosed : kExitOk;
}

} // namespace

int RunQmSetup(const std::string& programPath)
{
    if (UnattendedFromEnvironment()) {
        CPageFrame::setUnattended(true);
        qm::ui::MessageBox::setAutoAnswer(true);
    }
    const LocateResult located = LocateDistribution(programPath);
    if (!located.ok) {
        WidgetMessages::show(nullptr, "QMSetup", located.fatalMessage, SetupMessages::Buttons::Ok,
                             SetupMessages::Answer::Ok, SetupMessages::Icon::Warning);
        return kExitNoDescription;
    }
    const Distribution& dist = located.distribution;

    if (dist.mode == SetupMode::Kit) {
        SetupOptions options = LoadSetupOptions(std::string());
        std::vector<ModuleEntry> entries;
        bool install = false;
        {
            CKitPage page(dist, options, entries);
            install = page.run();
        }
        if (!install)
            return kExitClosed;
        KitJob kit;
        kit.setupFolder = dist.setupFolder;
        kit.header = LoadKitHeader(dist.kitFile);
        kit.modules = entries;
        kit.checkForUpdates = options.checkForUpdates;
        CProgressPage progress(std::move(kit));
        progress.run();
        return exitCodeOf(progress);
    }

    const ModuleDescription module = LoadSingleModule(dist.moduleFile);
    SetupOptions options = LoadSetupOptions(module.defaultDirectory);
    bool install = false;
    {
        CSetupPage page(false, dist.moduleFile, options);
        install = page.run();
    }
    if (!install)
        return kExitClosed;
    CProgressPage progress(MakeModuleJob(dist, module, options));
    progress.run();
    return exitCodeOf(progress);
}

} // namespace qmsetup
