#include "common/update_server.h"

#include <cstdlib>

namespace qm {

std::string UpdateServerBaseUrl()
{
    std::string url = QM_UPDATE_SERVER_URL;
    if (const char* v = std::getenv("QM_UPDATE_SERVER"); v && *v)
        url = v;
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    return url;
}

} // namespace qm
