#pragma once

#include "common/update_server.h"
#include "setup/progress.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qmsetup {

using qm::UpdateServerBaseUrl;

enum class UpdateCheckOutcome {
    Continue,       // go on installing
    CloseSetup,     // end setup, nothing more is installed
    DirectoryFailed // module check only: the target folder could not be made
};

inline constexpr const char* kConnectFailedText =
    "Could not connect to the Quorvel Manager website to check whether this is the uptodate "
    "version. Press 'OK' to continue installation.";
inline constexpr const char* kConnectFailedCaption = "Check for Updates failed";

// GET of url, kept as localPath (saved atomically: a file or link planted
// there is replaced, never followed or read). A failure (no connection,
// time-out, a body over the size cap, a redirect loop, a local copy that
// cannot be saved) shows the connection-failure message, deletes an older
// localPath and gives nothing: no information, never another file's content.
std::optional<std::string> DownloadToFile(const std::string& url, const std::string& localPath,
                                          SetupMessages& messages);
// A version file is a few lines; anything longer is not one.
inline constexpr uint64_t kMaxReplyBytes = 1 << 20;

// The module check of an install: status, target folder, "_setup.ver", the
// question. On DirectoryFailed *errorText holds the install's message.
UpdateCheckOutcome CheckModuleUpdate(const std::string& webName, const std::string& version,
                                     const std::string& installDir, InstallProgress& progress,
                                     const std::string& statusPrefix, std::string* errorText);

// The kit check: "kit_setup.ver" in the temporary folder.
UpdateCheckOutcome CheckKitUpdate(const std::string& webName, const std::string& versionText,
                                  int versionBuild, InstallProgress& progress);

} // namespace qmsetup
