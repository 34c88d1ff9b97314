// The REGEDIT4 importer on arbitrary text. Besides not crashing, every script it
// accepts must survive export -> import into a fresh store -> export unchanged.
#include "common/registry_script.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    qm::RegistryStore store(qm::RegistryStore::Mode::ReadWrite, ":memory:");
    if (!store.ok())
        std::abort();
    const qm::ScriptResult r = qm::ImportRegistryScript(text, store);
    if (!r.ok) {
        // A refusal names what is wrong, and a line of the script when it has lines.
        if (r.message.empty() || r.line < 0)
            std::abort();
        return 0;
    }
    const std::string first = qm::ExportRegistry(store);
    qm::RegistryStore fresh(qm::RegistryStore::Mode::ReadWrite, ":memory:");
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
