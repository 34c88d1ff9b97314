#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace qm {

// The two registry roots the suite uses.
enum class RegRoot { LocalMachine, CurrentUser };
inline constexpr RegRoot HKEY_LOCAL_MACHINE = RegRoot::LocalMachine;
inline constexpr RegRoot HKEY_CURRENT_USER = RegRoot::CurrentUser;

// Registry value types, numbered as Windows numbers them so exported scripts
// (hex(N):) keep their meaning.
namespace regtype {
inline constexpr uint32_t REG_NONE = 0;
inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_EXPAND_SZ = 2;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;
inline constexpr uint32_t REG_MULTI_SZ = 7;
} // namespace regtype

// One value as stored: the raw bytes, exactly as written. A REG_SZ written by
// WriteRegString or an import carries its terminating zero; a REG_DWORD is 4
// little-endian bytes. The key's default value has the empty name.
struct RegValue {
    std::string name;
    uint32_t type = regtype::REG_NONE;
    std::string data;
};

const char* RegRootName(RegRoot root); // "HKEY_LOCAL_MACHINE" / "HKEY_CURRENT_USER"
// Accepts the full root names and HKLM/HKCU, without regard to case.
std::optional<RegRoot> ParseRegRoot(std::string_view name);
// Splits "HKEY_CURRENT_USER\Software\X" into root and key path.
std::optional<std::pair<RegRoot, std::string>> SplitRegPath(std::string_view fullPath);

// The registry stand-in: one SQLite database holding both roots. Key and value
// names are compared without regard to ASCII case and keep the case they were
// created with. Keys are '\'-separated paths; empty parts are ignored.
//
// Key and value names with a line break are refused on write: a registry
// script could not carry them, so an export would not import again.
//
// Every error message (lastError) names the store file and SQLite's own cause.
//
// Every write runs in its own transaction unless it is made inside transact(),
// which applies a whole batch or nothing. A database that cannot be opened or
// is not a registry database makes every read report "missing" and every write
// fail; such a file is never overwritten or removed.
//
// The Windows build implements the same class on the real registry, always in
// its 32-bit view as the game and the suite's 32-bit installs wrote it; the
// path is not used there.
class RegistryStore {
public:
    enum class Mode { ReadOnly, ReadWrite };

    // $QM_REGISTRY_DB, else $XDG_DATA_HOME/quorvel-manager/registry.sqlite
    // (XDG_DATA_HOME defaulting to ~/.local/share).
    static std::string defaultPath();

    explicit RegistryStore(Mode mode = Mode::ReadWrite, std::string path = defaultPath());
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    bool ok() const;
    const std::string& path() const { return m_path; }
    const std::string& lastError() const { return m_error; }

    bool keyExists(RegRoot root, std::string_view key) const;
    // The key's path in the case it was created with; nullopt when it does not exist.
    std::optional<std::string> storedPath(RegRoot root, std::string_view key) const;
    std::optional<RegValue> value(RegRoot root, std::string_view key, std::string_view name) const;
    // Direct sub-keys with their stored case, ordered without regard to case.
    std::vector<std::string> subKeys(RegRoot root, std::string_view key) const;
    // Values of a key, the default value first, then ordered without regard to case.
    std::vector<RegValue> values(RegRoot root, std::string_view key) const;

    bool createKey(RegRoot root, std::string_view key);
    bool setValue(RegRoot root, std::string_view key, std::string_view name, uint32_t type,
                  std::string_view data);
    bool deleteValue(RegRoot root, std::string_view key, std::string_view name);
    // Removes the key, its values and everything below it. A missing key is not an error.
    bool deleteKey(RegRoot root, std::string_view key);

    // Runs body inside one write transaction; commits when body returns true and
    // every write inside succeeded, rolls everything back otherwise.
    bool transact(const std::function<bool()>& body);

private:
    // A change (or a batch of them, nested): begin, then finish with whether
    // it went well; the outermost finish commits or undoes the whole batch.
    bool begin();
    bool finish(bool commit);
    // begin() for a change that writes a name; a name with a line break is
    // refused first.
    bool beginNamed(std::string_view name, const char* kind);
    // begin() for deleting a key; a root is refused.
    bool beginKeyRemoval(bool isRoot);
    // The system's side of the outermost batch (registry_store.cpp and its
    // Windows twin).
    bool startBatch();
    bool endBatch();
    bool fail(const char* what);
    bool failWith(const char* what, const std::string& cause);
    void writeError(const char* what);
    bool refuseName(std::string_view name, const char* kind);
    void closeDb();
    // Statements live as long as the connection: preparing them anew for every
    // value would cost more than the writes themselves. Keyed by the SQL literal.
    sqlite3_stmt* prepared(const char* sql) const;

    mutable std::vector<std::pair<const char*, sqlite3_stmt*>> m_stmts;
    // The key last created in the running transaction: a batch of values for one
    // key creates it once. Forgotten when the transaction ends or a key is deleted.
    std::string m_knownKey;

    sqlite3* m_db = nullptr;
    std::string m_path;
    std::string m_error;
    Mode m_mode;
    int m_depth = 0;
    bool m_batchFailed = false;
#ifdef _WIN32
    // The real registry has no transactions: transact() keeps what each write
    // replaced and puts it back when the batch fails.
    struct Journal;
    std::unique_ptr<Journal> m_journal;
#endif
};

// A key or value name no store takes: a line break would end a script's line.
bool RegNameHasLineBreak(std::string_view name);

// Lower-cases ASCII letters only: registry names are compared byte-wise otherwise.
std::string RegFold(std::string_view s);
// The parts of a '\\'-separated key path; empty parts are ignored.
std::vector<std::string> SplitRegKey(std::string_view key);

} // namespace qm
