#include "platform/registry_store.h"

// The batch bookkeeping, the same for the SQLite store and the Windows
// registry.

namespace qm {

bool RegistryStore::begin()
{
    if (m_depth == 0) {
        if (!startBatch())
            return false;
        m_batchFailed = false;
    }
    ++m_depth;
    return true;
}

bool RegistryStore::beginNamed(std::string_view name, const char* kind)
{
    if (RegNameHasLineBreak(name))
        return refuseName(name, kind);
    return begin();
}

bool RegistryStore::beginKeyRemoval(bool isRoot)
{
    if (isRoot) {
        m_error = "a root cannot be deleted";
        return false;
    }
    if (!begin())
        return false;
    m_knownKey.clear(); // the removed key may be the one known to exist
    return true;
}

bool RegistryStore::finish(bool commit)
{
    if (!commit)
        m_batchFailed = true;
    if (--m_depth > 0)
        return commit;
    m_knownKey.clear(); // other processes may change the store between batches
    return endBatch();
}

} // namespace qm
