#pragma once

#include "platform/registry_store.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// Backslash doubled, double quote as backslash + quote.
std::string EscapeRegString(std::string_view text);

// Builds REGEDIT4 text: "REGEDIT4", an empty line, then blocks of a key line,
// value lines and one empty line; every line ends in CR LF.
class RegistryScript {
public:
    RegistryScript();
    // Opens a block: "[" + fullKey + "]" (fullKey with the root spelled out).
    RegistryScript& key(const std::string& fullKey);
    RegistryScript& defaultValue(const std::string& text);                    // @="..."
    RegistryScript& string(const std::string& name, const std::string& text); // "N"="..."
    // "N"=dword:xxxxxxxx as the registry editor exports it; setup's own script
    // writes the digits without leading zeros ("N"=dword:1b).
    enum class Digits { Eight, Shortest };
    RegistryScript& dword(const std::string& name, uint32_t number, Digits digits = Digits::Eight);
    // The text so far, with the open block closed by its empty line.
    std::string text() const;
    // Only the blocks (no header): for writers that append block by block.
    std::string blocks() const;

private:
    std::string m_blocks;
    bool m_open = false;
};

struct ScriptResult {
    bool ok = false;
    int line = 0;        // 1-based line of the fault, 0 when none or not line-bound
    std::string message; // what is wrong, for the user
};

// Whether an import also hands the file classes it changed under
// Software\Classes to the desktop (ExportFileClassesToDesktop).
enum class ClassExport { None, Desktop };

// Applies REGEDIT4 (or "Windows Registry Editor Version 5.00") text to the store
// in one transaction: all of it or nothing. A malformed script changes nothing.
ScriptResult ImportRegistryScript(std::string_view text, RegistryStore& store,
                                  ClassExport classExport = ClassExport::None);
// The same on the default store, reading the file first (as "regedit /s FILE"),
// and, as the registry editor is the shell's, with the desktop told of the
// file classes the script changed.
ScriptResult ImportRegistryScriptFile(const std::string& path);

// Writes folder + "/_setup.reg" byte for byte and imports it. false (with a
// message) when the file cannot be created; the import's own result is not
// reported, as the registry editor's is not.
bool RunRegistryScript(const std::string& folder, const std::string& script, bool showWindow,
                       std::string* error = nullptr);

// REGEDIT4 text of a key and everything below it (the whole store when key is
// empty), in a stable order: keys and values sorted without regard to case.
std::string ExportRegistry(RegistryStore& store, const std::string& fullKey = std::string());

} // namespace qm
