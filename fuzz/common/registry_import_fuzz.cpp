// The REGEDIT4 importer on arbitrary text. Besides not crashing, every script it
// accepts must survive export -> import into a fresh store -> export unchanged.
#include "common/registry_script.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Opening a store costs more than most inputs do: two in-memory stores live for
// the whole run and are emptied before each input, which leaves them as fresh.
qm::RegistryStore& emptyStore(int which)
{
    static qm::RegistryStore stores[2] = {
        qm::RegistryStore(qm::RegistryStore::Mode::ReadWrite, ":memory:"),
        qm::RegistryStore(qm::RegistryStore::Mode::ReadWrite, ":memory:")};
    qm::RegistryStore& s = stores[which];
    const bool cleared = s.transact([&] {
        for (qm::RegRoot root : {qm::HKEY_LOCAL_MACHINE, qm::HKEY_CURRENT_USER}) {
            for (const std::string& k : s.subKeys(root, ""))
                if (!s.deleteKey(root, k))
                    return false;
            for (const qm::RegValue& v : s.values(root, ""))
                if (!s.deleteValue(root, "", v.name))
                    return false;
        }
        return true;
    });
    if (!s.ok() || !cleared)
        std::abort();
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qm::RegistryStore& store = emptyStore(0);
    const qm::ScriptResult r = qm::ImportRegistryScript(text, store);
    if (!r.ok) {
        // A refusal names what is wrong, and a line of the script when it has lines.
        if (r.message.empty() || r.line < 0)
            std::abort();
        return 0;
    }
    const std::string first = qm::ExportRegistry(store);
    qm::RegistryStore& fresh = emptyStore(1);
    const qm::ScriptResult again = qm::ImportRegistryScript(first, fresh);
    if (!again.ok) {
        std::fprintf(stderr, "export not importable: line %d: %s\n", again.line,
                     again.message.c_str());
        std::abort();
    }
    if (qm::ExportRegistry(fresh) != first) {
        std::fprintf(stderr, "export changed through a re-import\n");
        std::abort();
    }
    return 0;
}
