#pragma once

#include <string>
#include <vector>

namespace qmsetup {

// A module as its record names it.
struct RecordedModule {
    std::string displayName; // the record's key name
    std::string version;
    std::string path;
};

// The modules recorded under the suite's key, ordered without regard to case.
std::vector<RecordedModule> ListRecordedModules();

struct UninstallOutcome {
    std::vector<std::string> removedFiles; // full paths
    std::string problem;                   // empty when everything went
};

// Removes one module: the files its kept description lists (nothing else of
// its folder), the folders setup made for it once they are empty, its
// shortcuts, its file associations and its record.
UninstallOutcome UninstallModule(const std::string& displayName);

// When no module is recorded any more: the Add/Remove Programs entry, the
// suite's empty key and the uninstaller in the system folder go too. True
// when they were removed.
bool RemoveUninstallEntryIfUnused();

inline constexpr const char* kUninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvel Manager Tools";

} // namespace qmsetup
