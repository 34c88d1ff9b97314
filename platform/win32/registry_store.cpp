#include "platform/registry_store.h"

#include "platform/win32/wide.h"

#include <algorithm>
#include <windows.h>

// The store on the real registry. Every key is opened in the 32-bit view: the
// game and the suite's earlier installs were 32-bit programs, and their
// HKEY_LOCAL_MACHINE\Software lives there (Wow6432Node on a 64-bit Windows).

namespace qm {

namespace {

using win32::Bytes;
using win32::Wide;

constexpr REGSAM kView = KEY_WOW64_32KEY;

HKEY rootKey(RegRoot root)
{
    return root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

std::string joinKey(const std::vector<std::string>& parts, size_t count)
{
    std::string p;
    for (size_t i = 0; i < count; ++i) {
        if (i)
            p += '\\';
        p += parts[i];
    }
    return p;
}

// "\\A\\\\B\\" -> "A\\B": empty parts are ignored, as the SQLite store does.
std::string normalKey(std::string_view key)
{
    const auto parts = SplitRegKey(key);
    return joinKey(parts, parts.size());
}

class Key {
public:
    Key() = default;
    Key(Key&& other) noexcept : m_h(other.m_h) { other.m_h = nullptr; }
    Key& operator=(Key&& other) noexcept
    {
        std::swap(m_h, other.m_h);
        return *this;
    }
    ~Key()
    {
        if (m_h)
            RegCloseKey(m_h);
    }
    HKEY* out() { return &m_h; }
    HKEY get() const { return m_h; }
    explicit operator bool() const { return m_h != nullptr; }

private:
    HKEY m_h = nullptr;
};

Key openKey(RegRoot root, std::string_view key, REGSAM access, LONG* status = nullptr)
{
    Key k;
    const LONG r =
        RegOpenKeyExW(rootKey(root), Wide(normalKey(key)).c_str(), 0, access | kView, k.out());
    if (status)
        *status = r;
    if (r != ERROR_SUCCESS)
        return Key();
    return k;
}

bool isText(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Text values are UTF-16 in the registry and bytes here, converted whole: the
// zero that ends a string travels along, and a value without one (or with no
// data at all) stays so, as the SQLite store keeps it.
std::string bytesOfData(DWORD type, const std::vector<BYTE>& raw)
{
    if (!isText(type))
        return std::string(raw.begin(), raw.end());
    return Bytes(std::wstring_view(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / 2));
}

std::vector<BYTE> dataOfBytes(uint32_t type, std::string_view data)
{
    if (!isText(type))
        return std::vector<BYTE>(data.begin(), data.end());
    const std::wstring w = Wide(data);
    const auto* p = reinterpret_cast<const BYTE*>(w.data());
    return std::vector<BYTE>(p, p + w.size() * sizeof(wchar_t));
}

bool sameName(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::vector<std::wstring> subKeyNames(HKEY k)
{
    std::vector<std::wstring> names;
    DWORD count = 0, longest = 0;
    if (RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return names;
    std::wstring buf(longest + 2, L'\0');
    for (DWORD i = 0;; ++i) {
        DWORD len = static_cast<DWORD>(buf.size());
        const LONG r = RegEnumKeyExW(k, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_MORE_DATA) {
            buf.resize(buf.size() * 2);
            --i;
            continue;
        }
        if (r != ERROR_SUCCESS)
            break;
        names.emplace_back(buf.data(), len);
    }
    return names;
}

// Every value of an open key with its stored name, type and data.
std::vector<RegValue> readValues(HKEY k)
{
    std::vector<RegValue> out;
    DWORD count = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return out;
    std::wstring name(longestName + 2, L'\0');
    std::vector<BYTE> data(longestData + 2);
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = static_cast<DWORD>(name.size());
        DWORD dataLen = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG r =
            RegEnumValueW(k, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
        if (r == ERROR_MORE_DATA) {
            // Another process made a value larger meanwhile.
            name.resize(name.size() * 2);
            data.resize(data.size() * 2 + 64);
            --i;
            continue;
        }
        if (r != ERROR_SUCCESS)
            break;
        const std::vector<BYTE> raw(data.begin(), data.begin() + dataLen);
        out.push_back(
            RegValue{Bytes(std::wstring_view(name.data(), nameLen)), type, bytesOfData(type, raw)});
    }
    return out;
}

bool foldedLess(const std::string& a, const std::string& b)
{
    return RegFold(a) < RegFold(b);
}

// A key and everything below it, kept to be put back.
struct Tree {
    std::string name;
    std::vector<RegValue> values;
    std::vector<Tree> children;
};

Tree readTree(HKEY k, std::string name)
{
    Tree t{std::move(name), readValues(k), {}};
    for (const std::wstring& sub : subKeyNames(k)) {
        Key child;
        if (RegOpenKeyExW(k, sub.c_str(), 0, KEY_READ | kView, child.out()) == ERROR_SUCCESS)
            t.children.push_back(readTree(child.get(), Bytes(sub)));
    }
    return t;
}

bool writeValue(HKEY k, const RegValue& v)
{
    const std::vector<BYTE> raw = dataOfBytes(v.type, v.data);
    return RegSetValueExW(k, Wide(v.name).c_str(), 0, v.type, raw.data(),
                          static_cast<DWORD>(raw.size())) == ERROR_SUCCESS;
}

bool writeTree(HKEY parent, const Tree& t)
{
    Key k;
    if (RegCreateKeyExW(parent, Wide(t.name).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | kView,
                        nullptr, k.out(), nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (const RegValue& v : t.values)
        ok = writeValue(k.get(), v) && ok;
    for (const Tree& c : t.children)
        ok = writeTree(k.get(), c) && ok;
    return ok;
}

LONG removeKey(RegRoot root, const std::string& key)
{
    {
        LONG r = ERROR_SUCCESS;
        Key k = openKey(root, key,
                        DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE, &r);
        if (!k)
            return r;
        r = RegDeleteTreeW(k.get(), nullptr);
        if (r != ERROR_SUCCESS)
            return r;
    }
    return RegDeleteKeyExW(rootKey(root), Wide(key).c_str(), kView, 0);
}

} // namespace

struct RegistryStore::Journal {
    enum class Kind { RestoreValue, RemoveKey, RestoreTree };
    struct Step {
        Kind kind;
        RegRoot root;
        std::string key; // normalised
        std::string name;
        std::optional<RegValue> before;
        Tree tree;
    };
    bool active = false;
    std::vector<Step> steps;

    // A value about to change goes back to what it was on a rollback.
    void restoreValueLater(RegRoot root, const std::string& key, std::string_view name,
                           std::optional<RegValue> before)
    {
        steps.push_back({Kind::RestoreValue, root, key, std::string(name), std::move(before), {}});
    }

    void rollBack()
    {
        for (auto s = steps.rbegin(); s != steps.rend(); ++s) {
            switch (s->kind) {
            case Kind::RestoreValue: {
                Key k = openKey(s->root, s->key, KEY_SET_VALUE);
                if (!k)
                    break;
                if (s->before)
                    writeValue(k.get(), *s->before);
                else
                    RegDeleteValueW(k.get(), Wide(s->name).c_str());
                break;
            }
            case Kind::RemoveKey:
                removeKey(s->root, s->key);
                break;
            case Kind::RestoreTree: {
                const size_t cut = s->key.find_last_of('\\');
                const std::string parent =
                    cut == std::string::npos ? std::string() : s->key.substr(0, cut);
                Key p;
                if (RegCreateKeyExW(rootKey(s->root), Wide(parent).c_str(), 0, nullptr, 0,
                                    KEY_ALL_ACCESS | kView, nullptr, p.out(),
                                    nullptr) == ERROR_SUCCESS)
                    writeTree(p.get(), s->tree);
                break;
            }
            }
        }
        steps.clear();
    }
};

std::string RegistryStore::defaultPath()
{
    return "registry";
}

RegistryStore::RegistryStore(Mode mode, std::string path)
    : m_path(std::move(path)), m_mode(mode), m_journal(std::make_unique<Journal>())
{
}

RegistryStore::~RegistryStore()
{
    // A batch still open when the store goes away never committed.
    if (m_journal && m_journal->active)
        m_journal->rollBack();
}

bool RegistryStore::ok() const
{
    return true;
}

void RegistryStore::closeDb() {}

sqlite3_stmt* RegistryStore::prepared(const char*) const
{
    return nullptr;
}

bool RegistryStore::fail(const char* what)
{
    m_error = win32::LastErrorText(what);
    return false;
}

// The registry could hold them, but a registry script could not carry them:
// refused as the SQLite store refuses them.
bool RegistryStore::refuseName(std::string_view name, const char* kind)
{
    m_error = std::string("registry: ") + kind + " \"" + std::string(name) +
              "\" holds a line break, which a registry script cannot carry";
    if (m_depth > 0)
        m_batchFailed = true;
    return false;
}

bool RegistryStore::keyExists(RegRoot root, std::string_view key) const
{
    return static_cast<bool>(openKey(root, key, KEY_QUERY_VALUE));
}

std::optional<std::string> RegistryStore::storedPath(RegRoot root, std::string_view key) const
{
    // The registry opens keys without regard to case but does not say how a
    // key is spelt; each level's spelling comes from its parent's list.
    const auto parts = SplitRegKey(key);
    std::string path;
    Key here = openKey(root, "", KEY_READ);
    for (const std::string& part : parts) {
        if (!here)
            return std::nullopt;
        const std::wstring want = Wide(part);
        std::optional<std::wstring> found;
        for (const std::wstring& name : subKeyNames(here.get()))
            if (sameName(name, want)) {
                found = name;
                break;
            }
        if (!found)
            return std::nullopt;
        Key next;
        if (RegOpenKeyExW(here.get(), found->c_str(), 0, KEY_READ | kView, next.out()) !=
            ERROR_SUCCESS)
            return std::nullopt;
        here = std::move(next);
        if (!path.empty())
            path += '\\';
        path += Bytes(*found);
    }
    return path;
}

std::optional<RegValue> RegistryStore::value(RegRoot root, std::string_view key,
                                             std::string_view name) const
{
    Key k = openKey(root, key, KEY_QUERY_VALUE);
    if (!k)
        return std::nullopt;
    const std::wstring wname = Wide(name);
    DWORD type = 0, size = 0;
    LONG r = RegQueryValueExW(k.get(), wname.c_str(), nullptr, &type, nullptr, &size);
    std::vector<BYTE> raw;
    while (r == ERROR_SUCCESS || r == ERROR_MORE_DATA) {
        raw.resize(size);
        r = RegQueryValueExW(k.get(), wname.c_str(), nullptr, &type, raw.data(), &size);
        if (r == ERROR_SUCCESS) {
            raw.resize(size);
            break;
        }
    }
    if (r != ERROR_SUCCESS)
        return std::nullopt;
    RegValue v{std::string(name), type, bytesOfData(type, raw)};
    if (!name.empty()) {
        // The spelling it was created with.
        DWORD count = 0, longest = 0;
        RegQueryInfoKeyW(k.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longest, nullptr, nullptr, nullptr);
        std::wstring buf(longest + 2, L'\0');
        for (DWORD i = 0; i < count; ++i) {
            DWORD len = static_cast<DWORD>(buf.size());
            if (RegEnumValueW(k.get(), i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                continue;
            if (sameName(std::wstring(buf.data(), len), wname)) {
                v.name = Bytes(std::wstring_view(buf.data(), len));
                break;
            }
        }
    }
    return v;
}

std::vector<std::string> RegistryStore::subKeys(RegRoot root, std::string_view key) const
{
    std::vector<std::string> out;
    Key k = openKey(root, key, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE);
    if (!k)
        return out;
    for (const std::wstring& name : subKeyNames(k.get()))
        out.push_back(Bytes(name));
    std::sort(out.begin(), out.end(), foldedLess);
    return out;
}

std::vector<RegValue> RegistryStore::values(RegRoot root, std::string_view key) const
{
    Key k = openKey(root, key, KEY_QUERY_VALUE);
    if (!k)
        return {};
    std::vector<RegValue> out = readValues(k.get());
    // The default value (empty name) sorts first by itself.
    std::sort(out.begin(), out.end(),
              [](const RegValue& a, const RegValue& b) { return foldedLess(a.name, b.name); });
    return out;
}

bool RegistryStore::startBatch()
{
    if (m_mode == Mode::ReadOnly) {
        m_error = "the registry was opened for reading only";
        return false;
    }
    return true;
}

bool RegistryStore::endBatch()
{
    // The registry has no transactions; a failed batch is undone step by step.
    if (m_journal->active) {
        if (m_batchFailed)
            m_journal->rollBack();
        m_journal->steps.clear();
    }
    return !m_batchFailed;
}

bool RegistryStore::createKey(RegRoot root, std::string_view key)
{
    const auto parts = SplitRegKey(key);
    if (!beginNamed(key, "the key name"))
        return false;
    const std::string path = joinKey(parts, parts.size());
    if (m_journal->active && path != m_knownKey) {
        // The highest level that is new goes again on a rollback.
        for (size_t i = 1; i <= parts.size(); ++i) {
            const std::string prefix = joinKey(parts, i);
            if (!keyExists(root, prefix)) {
                m_journal->steps.push_back({Journal::Kind::RemoveKey, root, prefix, {}, {}, {}});
                break;
            }
        }
    }
    Key k;
    const LONG r = RegCreateKeyExW(rootKey(root), Wide(path).c_str(), 0, nullptr, 0,
                                   KEY_WRITE | kView, nullptr, k.out(), nullptr);
    if (r != ERROR_SUCCESS) {
        m_error = "create key " + path + ": " + win32::ErrorText(static_cast<unsigned long>(r));
        return finish(false);
    }
    m_knownKey = path;
    return finish(true);
}

bool RegistryStore::setValue(RegRoot root, std::string_view key, std::string_view name,
                             uint32_t type, std::string_view data)
{
    if (!beginNamed(name, "the value name"))
        return false;
    if (!createKey(root, key))
        return finish(false);
    const std::string path = normalKey(key);
    if (m_journal->active)
        m_journal->restoreValueLater(root, path, name, value(root, path, name));
    Key k = openKey(root, path, KEY_SET_VALUE);
    // An existing value keeps its spelling, as the registry does by itself.
    const std::vector<BYTE> raw = dataOfBytes(type, data);
    const LONG r = k ? RegSetValueExW(k.get(), Wide(name).c_str(), 0, type, raw.data(),
                                      static_cast<DWORD>(raw.size()))
                     : ERROR_FILE_NOT_FOUND;
    if (r != ERROR_SUCCESS) {
        m_error = "set value " + std::string(name) + ": " +
                  win32::ErrorText(static_cast<unsigned long>(r));
        return finish(false);
    }
    return finish(true);
}

bool RegistryStore::deleteValue(RegRoot root, std::string_view key, std::string_view name)
{
    if (!begin())
        return false;
    const std::string path = normalKey(key);
    Key k = openKey(root, path, KEY_SET_VALUE | KEY_QUERY_VALUE);
    if (!k)
        return finish(true); // nothing to delete
    if (m_journal->active)
        m_journal->restoreValueLater(root, path, name, value(root, path, name));
    const LONG r = RegDeleteValueW(k.get(), Wide(name).c_str());
    if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND) {
        m_error = "delete value: " + win32::ErrorText(static_cast<unsigned long>(r));
        return finish(false);
    }
    return finish(true);
}

bool RegistryStore::deleteKey(RegRoot root, std::string_view key)
{
    const std::string path = normalKey(key);
    if (!beginKeyRemoval(path.empty()))
        return false;
    if (m_journal->active) {
        if (Key k = openKey(root, path, KEY_READ)) {
            const auto stored = storedPath(root, path);
            const std::string spelt = stored ? *stored : path;
            const size_t cut = spelt.find_last_of('\\');
            m_journal->steps.push_back(
                {Journal::Kind::RestoreTree,
                 root,
                 spelt,
                 {},
                 {},
                 readTree(k.get(), cut == std::string::npos ? spelt : spelt.substr(cut + 1))});
        }
    }
    const LONG r = removeKey(root, path);
    if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND) {
        m_error = "delete key " + path + ": " + win32::ErrorText(static_cast<unsigned long>(r));
        return finish(false);
    }
    return finish(true);
}

bool RegistryStore::transact(const std::function<bool()>& body)
{
    const bool outer = m_depth == 0;
    if (!begin())
        return false;
    if (outer) {
        m_journal->active = true;
        m_journal->steps.clear();
    }
    const bool good = finish(body());
    if (outer)
        m_journal->active = false;
    return good;
}

} // namespace qm
