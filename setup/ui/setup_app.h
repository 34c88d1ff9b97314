#pragma once

#include <string>

namespace qmsetup {

// The environment switch of unattended runs: QM_SETUP_UNATTENDED=1.
bool UnattendedFromEnvironment();

// The whole of QMSetup: finds the kit or module description beside
// programPath, shows the pages in order and installs. Returns the exit code
// (0 also when the user cancelled; 1 for the fatal start-up failure).
int RunQmSetup(const std::string& programPath);

} // namespace qmsetup
