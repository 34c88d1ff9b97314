#include "platform/registry_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace qm {

namespace {

// 'QMRG': marks a database as ours, so a foreign SQLite file is never written into.
constexpr int kApplicationId = 0x514D5247;

const char* rootTag(RegRoot root)
{
    return root == RegRoot::LocalMachine ? "hklm" : "hkcu";
}

std::string lowerPath(RegRoot root, const std::vector<std::string>& parts, size_t count)
{
    std::string p = rootTag(root);
    for (size_t i = 0; i < count; ++i) {
        p += '\\';
        p += RegFold(parts[i]);
    }
    return p;
}

std::string lowerPath(RegRoot root, std::string_view key)
{
    auto parts = SplitRegKey(key);
    return lowerPath(root, parts, parts.size());
}

// One use of a cached statement: reset when the use ends, so it holds no lock.
class Stmt {
public:
    explicit Stmt(sqlite3_stmt* s) : m_s(s) {}
    ~Stmt()
    {
        if (m_s) {
            sqlite3_reset(m_s);
            sqlite3_clear_bindings(m_s);
        }
    }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    explicit operator bool() const { return m_s != nullptr; }
    Stmt& text(int i, std::string_view v)
    {
        sqlite3_bind_text(m_s, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Stmt& blob(int i, std::string_view v)
    {
        sqlite3_bind_blob(m_s, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Stmt& integer(int i, int64_t v)
    {
        sqlite3_bind_int64(m_s, i, v);
        return *this;
    }
    int step() { return m_s ? sqlite3_step(m_s) : SQLITE_ERROR; }
    std::string col(int i) const
    {
        const void* p = sqlite3_column_blob(m_s, i);
        int n = sqlite3_column_bytes(m_s, i);
        return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
    }
    int64_t colInt(int i) const { return sqlite3_column_int64(m_s, i); }
    sqlite3_stmt* get() const { return m_s; }

private:
    sqlite3_stmt* m_s = nullptr;
};

bool exec(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace

std::string RegistryStore::defaultPath()
{
    if (const char* p = std::getenv("QM_REGISTRY_DB"); p && *p)
        return p;
    std::string data;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x)
        data = x;
    else if (const char* h = std::getenv("HOME"); h && *h)
        data = std::string(h) + "/.local/share";
    else
        data = ".";
    return data + "/quorvel-manager/registry.sqlite";
}

RegistryStore::RegistryStore(Mode mode, std::string path) : m_path(std::move(path)), m_mode(mode)
{
    std::error_code ec;
    const bool existed = std::filesystem::exists(m_path, ec);
    if (mode == Mode::ReadOnly && !existed) {
        m_error = "registry store " + m_path + ": the file does not exist";
        return;
    }
    if (mode == Mode::ReadWrite && !existed) {
        const auto parent = std::filesystem::path(m_path).parent_path();
        if (!parent.empty())
            std::filesystem::create_directories(parent, ec);
    }
    const int flags =
        mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(m_path.c_str(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        fail("cannot be opened");
        return;
    }
    // Generous: under heavy contention SQLite's retry is not fair, and a write that
    // waits is better than one that fails.
    sqlite3_busy_timeout(m_db, 60000);
    sqlite3_extended_result_codes(m_db, 1);

    // Decide whether this is ours, an empty new file, or something else. Both
    // facts are read in one transaction: another process may be creating the
    // store at this very moment.
    // The cause is taken as soon as a step fails: the COMMIT or ROLLBACK that
    // follows would replace SQLite's message with its own.
    std::string cause;
    const auto inspect = [this, &cause](int& appId, int& tables) {
        appId = tables = -1;
        {
            Stmt s(prepared("PRAGMA application_id"));
            if (s && s.step() == SQLITE_ROW)
                appId = static_cast<int>(s.colInt(0));
        }
        if (appId >= 0) {
            Stmt s(prepared("SELECT count(*) FROM sqlite_master"));
            if (s && s.step() == SQLITE_ROW)
                tables = static_cast<int>(s.colInt(0));
        }
        if (appId < 0 || tables < 0)
            cause = sqlite3_errmsg(m_db);
        return appId >= 0 && tables >= 0;
    };
    int appId = -1;
    int tables = -1;
    bool read = exec(m_db, "BEGIN");
    if (!read)
        cause = sqlite3_errmsg(m_db);
    read = read && inspect(appId, tables);
    exec(m_db, "COMMIT");
    if (!read) {
        failWith("cannot be read", cause);
        return;
    }
    if (appId == kApplicationId)
        return;
    if (appId != 0 || tables != 0) {
        m_error = "registry store " + m_path + ": the file is not a registry database";
        closeDb();
        return;
    }
    if (mode == Mode::ReadOnly)
        return; // an empty file: every read reports "missing"
    if (sqlite3_db_readonly(m_db, "main") == 1) {
        failWith("cannot be created", "the file is read-only");
        return;
    }
    // Looks fresh: look again under the write lock, so only one process creates it.
    bool locked = exec(m_db, "BEGIN IMMEDIATE");
    if (!locked)
        cause = sqlite3_errmsg(m_db);
    if (!locked || !inspect(appId, tables)) {
        exec(m_db, "ROLLBACK");
        failWith("cannot be created", cause);
        return;
    }
    if (appId != kApplicationId && (appId != 0 || tables != 0)) {
        exec(m_db, "ROLLBACK");
        m_error = "registry store " + m_path + ": the file is not a registry database";
        closeDb();
        return;
    }
    const bool made =
        appId == kApplicationId ||
        (exec(m_db, "CREATE TABLE keys(path_l TEXT PRIMARY KEY, "
                    "parent_l TEXT NOT NULL, name TEXT NOT NULL) WITHOUT ROWID") &&
         exec(m_db, "CREATE INDEX keys_parent ON keys(parent_l)") &&
         exec(m_db, "CREATE TABLE vals(key_l TEXT NOT NULL, "
                    "name_l TEXT NOT NULL, name TEXT NOT NULL, type INTEGER NOT NULL, "
                    "data BLOB NOT NULL, PRIMARY KEY(key_l, name_l)) WITHOUT ROWID") &&
         exec(m_db, "PRAGMA application_id=1364021831"));
    static_assert(kApplicationId == 1364021831);
    const bool committed = made && exec(m_db, "COMMIT");
    if (!committed) {
        cause = sqlite3_errmsg(m_db);
        exec(m_db, "ROLLBACK");
        failWith("cannot be created", cause);
        return;
    }
    // WAL lets readers and one writer of several processes work at once. It is
    // kept in the file; when another process holds the file open the switch may
    // be refused, and the store still works in its default journal mode.
    exec(m_db, "PRAGMA journal_mode=WAL");
}

RegistryStore::~RegistryStore()
{
    closeDb();
}

bool RegistryStore::ok() const
{
    return m_db != nullptr;
}

void RegistryStore::closeDb()
{
    for (auto& entry : m_stmts)
        sqlite3_finalize(entry.second);
    m_stmts.clear();
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
}

sqlite3_stmt* RegistryStore::prepared(const char* sql) const
{
    for (const auto& entry : m_stmts)
        if (entry.first == sql)
            return entry.second;
    sqlite3_stmt* s = nullptr;
    if (!m_db ||
        sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK) {
        sqlite3_finalize(s);
        return nullptr;
    }
    m_stmts.emplace_back(sql, s);
    return s;
}

bool RegistryStore::fail(const char* what)
{
    return failWith(what, m_db ? sqlite3_errmsg(m_db) : "no database");
}

bool RegistryStore::failWith(const char* what, const std::string& cause)
{
    m_error = "registry store " + m_path + " " + what + ": " + cause;
    if (m_depth == 0)
        closeDb();
    return false;
}

void RegistryStore::writeError(const char* what)
{
    // Read before anything else runs on the connection.
    m_error = "registry store " + m_path + ": cannot " + what + ": " + sqlite3_errmsg(m_db);
}

bool RegistryStore::refuseName(std::string_view name, const char* kind)
{
    m_error = "registry store " + m_path + ": " + kind + " \"" + std::string(name) +
              "\" holds a line break, which a registry script cannot carry";
    if (m_depth > 0)
        m_batchFailed = true;
    return false;
}

bool RegistryStore::keyExists(RegRoot root, std::string_view key) const
{
    auto parts = SplitRegKey(key);
    if (parts.empty())
        return ok();
    Stmt s(prepared("SELECT 1 FROM keys WHERE path_l=?"));
    return s && s.text(1, lowerPath(root, parts, parts.size())).step() == SQLITE_ROW;
}

std::optional<std::string> RegistryStore::storedPath(RegRoot root, std::string_view key) const
{
    if (!m_db)
        return std::nullopt;
    auto parts = SplitRegKey(key);
    std::string path;
    Stmt s(prepared("SELECT name FROM keys WHERE path_l=?"));
    for (size_t i = 0; i < parts.size(); ++i) {
        sqlite3_reset(s.get());
        if (!s || s.text(1, lowerPath(root, parts, i + 1)).step() != SQLITE_ROW)
            return std::nullopt;
        if (i > 0)
            path += '\\';
        path += s.col(0);
    }
    return path;
}

std::optional<RegValue> RegistryStore::value(RegRoot root, std::string_view key,
                                             std::string_view name) const
{
    Stmt s(prepared("SELECT name, type, data FROM vals WHERE key_l=? AND name_l=?"));
    if (!s || s.text(1, lowerPath(root, key)).text(2, RegFold(name)).step() != SQLITE_ROW)
        return std::nullopt;
    return RegValue{s.col(0), static_cast<uint32_t>(s.colInt(1)), s.col(2)};
}

std::vector<std::string> RegistryStore::subKeys(RegRoot root, std::string_view key) const
{
    std::vector<std::string> out;
    Stmt s(prepared("SELECT name FROM keys WHERE parent_l=? ORDER BY path_l"));
    if (!s)
        return out;
    s.text(1, lowerPath(root, key));
    while (s.step() == SQLITE_ROW)
        out.push_back(s.col(0));
    return out;
}

std::vector<RegValue> RegistryStore::values(RegRoot root, std::string_view key) const
{
    std::vector<RegValue> out;
    Stmt s(prepared("SELECT name, type, data FROM vals WHERE key_l=? ORDER BY name_l"));
    if (!s)
        return out;
    s.text(1, lowerPath(root, key));
    while (s.step() == SQLITE_ROW)
        out.push_back(RegValue{s.col(0), static_cast<uint32_t>(s.colInt(1)), s.col(2)});
    return out;
}

bool RegistryStore::startBatch()
{
    if (!m_db) {
        if (m_error.empty())
            m_error = "registry store " + m_path + ": not open";
        return false;
    }
    if (m_mode == Mode::ReadOnly || sqlite3_db_readonly(m_db, "main") == 1) {
        m_error = "registry store " + m_path + ": cannot write: " +
                  (m_mode == Mode::ReadOnly ? "opened for reading only" : "the file is read-only");
        return false;
    }
    if (!exec(m_db, "BEGIN IMMEDIATE")) {
        writeError("begin a change");
        return false;
    }
    return true;
}

bool RegistryStore::endBatch()
{
    if (!m_batchFailed && exec(m_db, "COMMIT"))
        return true;
    if (!m_batchFailed)
        writeError("commit");
    // SQLite may have rolled back already (a full disk does); then this fails harmlessly.
    if (sqlite3_get_autocommit(m_db) == 0)
        exec(m_db, "ROLLBACK");
    return false;
}

bool RegistryStore::createKey(RegRoot root, std::string_view key)
{
    auto parts = SplitRegKey(key);
    if (!beginNamed(key, "the key name"))
        return false;
    std::string full = lowerPath(root, parts, parts.size());
    if (full == m_knownKey)
        return finish(true);
    // The root always exists; every level below it is created as needed.
    bool good = true;
    for (size_t i = 0; good && i < parts.size(); ++i) {
        Stmt ins(prepared("INSERT OR IGNORE INTO keys(path_l, parent_l, name) VALUES(?,?,?)"));
        ins.text(1, lowerPath(root, parts, i + 1))
            .text(2, lowerPath(root, parts, i))
            .text(3, parts[i]);
        good = ins.step() == SQLITE_DONE;
    }
    if (good)
        m_knownKey = std::move(full);
    else
        writeError("create a key");
    return finish(good);
}

bool RegistryStore::setValue(RegRoot root, std::string_view key, std::string_view name,
                             uint32_t type, std::string_view data)
{
    if (!beginNamed(name, "the value name"))
        return false;
    bool good = createKey(root, key);
    if (good) {
        // The name keeps the case it was first written with, as the registry does.
        Stmt s(prepared(
            "INSERT INTO vals(key_l, name_l, name, type, data) VALUES(?,?,?,?,?) "
            "ON CONFLICT(key_l, name_l) DO UPDATE SET type=excluded.type, data=excluded.data"));
        s.text(1, lowerPath(root, key))
            .text(2, RegFold(name))
            .text(3, name)
            .integer(4, type)
            .blob(5, data);
        good = s.step() == SQLITE_DONE;
        if (!good)
            writeError("set a value");
    }
    return finish(good);
}

bool RegistryStore::deleteValue(RegRoot root, std::string_view key, std::string_view name)
{
    if (!begin())
        return false;
    Stmt s(prepared("DELETE FROM vals WHERE key_l=? AND name_l=?"));
    const bool good = s.text(1, lowerPath(root, key)).text(2, RegFold(name)).step() == SQLITE_DONE;
    if (!good)
        writeError("delete a value");
    return finish(good);
}

bool RegistryStore::deleteKey(RegRoot root, std::string_view key)
{
    auto parts = SplitRegKey(key);
    if (!beginKeyRemoval(parts.empty()))
        return false;
    const std::string p = lowerPath(root, parts, parts.size());
    // Everything below p sorts between "p\" and "p]" (']' follows '\').
    const std::string lo = p + "\\", hi = p + "]";
    Stmt k(prepared("DELETE FROM keys WHERE path_l=? OR (path_l>=? AND path_l<?)"));
    bool good = k.text(1, p).text(2, lo).text(3, hi).step() == SQLITE_DONE;
    if (good) {
        Stmt v(prepared("DELETE FROM vals WHERE key_l=? OR (key_l>=? AND key_l<?)"));
        good = v.text(1, p).text(2, lo).text(3, hi).step() == SQLITE_DONE;
    }
    if (!good)
        writeError("delete a key");
    return finish(good);
}

bool RegistryStore::transact(const std::function<bool()>& body)
{
    if (!begin())
        return false;
    bool good = body();
    return finish(good);
}

} // namespace qm
