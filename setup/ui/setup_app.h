#pragma once

#include <string>

namespace qmsetup {

// The environment switch of unattended runs: QM_SETUP_UNATTENDED=1.
bool UnattendedFromEnvironment();

// Exit codes of qmsetup, so that a script can tell what happened.
inline constexpr int kExitOk = 0;            // installed, or nothing was selected
inline constexpr int kExitNoDescription = 1; // no qm_kit.dat or qm_modul.dat beside it
inline constexpr int kExitModuleFailed = 2;  // at least one module failed to install
inline constexpr int kExitClosed = 3;        // ended before installing: a page cancelled, a
                                             // downgrade refused, the update check chose to stop

// The whole of QMSetup: finds the kit or module description beside
// programPath, shows the pages in order and installs. Returns the exit code.
int RunQmSetup(const std::string& programPath);

} // namespace qmsetup
