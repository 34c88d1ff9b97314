#pragma once

#include <string>

namespace qm {

// Root address of the maker's server, no trailing slash: $QM_UPDATE_SERVER
// when set, else the build's configured value (QM_UPDATE_SERVER_URL). Setup's
// update check and the tools library's version check both ask here.
std::string UpdateServerBaseUrl();

} // namespace qm
