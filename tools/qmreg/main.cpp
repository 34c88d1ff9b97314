// qmreg: the command-line registry editor over the suite's settings store.
#include "common/registry_script.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/registry_store.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace qmreg {
namespace {

using qm::RegistryStore;
using qm::RegRoot;
using qm::RegValue;
namespace regtype = qm::regtype;

enum Exit { Ok = 0, Failed = 1, Usage = 2 };

constexpr const char* kUsage =
    "Usage: qmreg [--db FILE] COMMAND ...\n"
    "\n"
    "Commands:\n"
    "  import FILE...                 apply REGEDIT4 scripts, each one whole or not at all\n"
    "                                 (\"-\" reads the script from standard input)\n"
    "  export [KEY] [-o FILE]         write KEY and everything below it (default: the whole\n"
    "                                 store) as REGEDIT4 text\n"
    "  query KEY [NAME | /v NAME | /ve]\n"
    "                                 show a key's values and sub-keys, or one value\n"
    "  add KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD] [/d DATA] [/f]\n"
    "                                 create the key (with its parents) and set a value\n"
    "  delete KEY [/v NAME | /ve] [/f]\n"
    "                                 delete a value, or the key with everything below it\n"
    "  --help                         show this text\n"
    "\n"
    "KEY starts with its root: HKEY_LOCAL_MACHINE or HKLM, HKEY_CURRENT_USER or HKCU,\n"
    "followed by the key path with backslashes, e.g. \"HKLM\\Software\\Volition\\Red Faction\".\n"
    "/ve names the key's default value. Options may also start with '-'.\n"
    "\n"
    "The store is $QM_REGISTRY_DB, else $XDG_DATA_HOME/quorvel-manager/registry.sqlite;\n"
    "--db FILE names another one.\n"
    "\n"
    "Exit status: 0 done, 1 not found or failed, 2 usage error.\n";

int usageError(const std::string& what)
{
    std::cerr << "qmreg: " << what << "\nTry 'qmreg --help'.\n";
    return Usage;
}

int failure(const std::string& what)
{
    std::cerr << "qmreg: " << what << "\n";
    return Failed;
}

// "/v" and "-v" are the same option; case does not matter, as with reg.exe.
std::optional<std::string> optionName(const std::string& arg)
{
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-'))
        return std::nullopt;
    return qm::RegFold(arg.substr(1));
}

struct Args {
    std::string key;
    std::vector<std::string> positional;  // after the key
    std::optional<std::string> valueName; // /v NAME, or "" for /ve
    std::optional<std::string> type;
    std::optional<std::string> data;
    std::optional<std::string> output;
};

// Parses "KEY [positional...] [options]"; allowed lists the options the command takes.
bool parseArgs(const std::vector<std::string>& in, const std::string& allowed, Args& out,
               std::string& error)
{
    for (size_t i = 0; i < in.size(); ++i) {
        const std::string& a = in[i];
        const auto opt = optionName(a);
        if (!opt || a == "-") {
            if (out.key.empty() && out.positional.empty())
                out.key = a;
            else
                out.positional.push_back(a);
            continue;
        }
        if (allowed.find(" " + *opt + " ") == std::string::npos) {
            error = "unknown option " + a;
            return false;
        }
        if (*opt == "f")
            continue; // nothing asks before overwriting; accepted for reg.exe habits
        if (*opt == "ve") {
            if (out.valueName) {
                error = "give /v or /ve once";
                return false;
            }
            out.valueName = std::string();
            continue;
        }
        if (i + 1 >= in.size()) {
            error = "option " + a + " needs an argument";
            return false;
        }
        const std::string& arg = in[++i];
        std::optional<std::string>* slot = *opt == "v"   ? &out.valueName
                                           : *opt == "t" ? &out.type
                                           : *opt == "d" ? &out.data
                                                         : &out.output;
        if (*slot) {
            error = "option " + a + " given twice";
            return false;
        }
        *slot = arg;
    }
    return true;
}

struct KeyRef {
    RegRoot root;
    std::string path;
};

std::optional<KeyRef> parseKey(const std::string& full, std::string& error)
{
    const auto split = qm::SplitRegPath(full);
    if (!split) {
        error = "unknown root in \"" + full +
                "\" (use HKEY_LOCAL_MACHINE, HKLM, HKEY_CURRENT_USER or HKCU)";
        return std::nullopt;
    }
    return KeyRef{split->first, split->second};
}

// The switches and the key of a command that changes a key and takes no
// further argument; nullopt with the usage error in err.
std::optional<KeyRef> changeCommand(const std::vector<std::string>& argv, const char* switches,
                                    const std::string& command, const std::string& positionalHint,
                                    Args& a, std::string& err)
{
    if (!parseArgs(argv, switches, a, err))
        return std::nullopt;
    if (a.key.empty()) {
        err = command + " needs a key";
        return std::nullopt;
    }
    if (!a.positional.empty()) {
        err = "unexpected argument " + a.positional[0] + " (" + positionalHint + ")";
        return std::nullopt;
    }
    return parseKey(a.key, err);
}

std::string fullName(const KeyRef& k, const std::string& storedPath)
{
    std::string s = qm::RegRootName(k.root);
    if (!storedPath.empty())
        s += "\\" + storedPath;
    return s;
}

std::string typeName(uint32_t t)
{
    switch (t) {
    case 0:
        return "REG_NONE";
    case 1:
        return "REG_SZ";
    case 2:
        return "REG_EXPAND_SZ";
    case 3:
        return "REG_BINARY";
    case 4:
        return "REG_DWORD";
    case 5:
        return "REG_DWORD_BIG_ENDIAN";
    case 6:
        return "REG_LINK";
    case 7:
        return "REG_MULTI_SZ";
    case 11:
        return "REG_QWORD";
    default: {
        char buf[24];
        std::snprintf(buf, sizeof buf, "REG_0x%X", t);
        return buf;
    }
    }
}

uint64_t littleEndian(const std::string& d)
{
    uint64_t n = 0;
    for (size_t i = d.size(); i-- > 0;)
        n = n << 8 | static_cast<unsigned char>(d[i]);
    return n;
}

std::string showData(const RegValue& v)
{
    const std::string& d = v.data;
    switch (v.type) {
    case regtype::REG_SZ:
    case regtype::REG_EXPAND_SZ:
        return d.substr(0, d.find('\0'));
    case regtype::REG_MULTI_SZ: {
        std::string s = d;
        while (!s.empty() && s.back() == '\0')
            s.pop_back();
        std::string out;
        for (char c : s)
            out += c == '\0' ? std::string("\\0") : std::string(1, c);
        return out;
    }
    case regtype::REG_DWORD:
    case 11:
        if (d.size() == 4 || d.size() == 8) {
            char buf[24];
            std::snprintf(buf, sizeof buf, "0x%llx",
                          static_cast<unsigned long long>(littleEndian(d)));
            return buf;
        }
        break;
    default:
        break;
    }
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : d) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

void printValue(const RegValue& v)
{
    std::cout << "    " << (v.name.empty() ? "(Default)" : v.name) << "    " << typeName(v.type)
              << "    " << showData(v) << "\n";
}

enum class ReadState { Open, NoStore, Broken };

// Reading never creates a store: a missing one simply holds nothing.
ReadState openForReading(std::optional<RegistryStore>& store)
{
    store.emplace(RegistryStore::Mode::ReadOnly);
    if (store->ok())
        return ReadState::Open;
    return qm::fs::Exists(store->path()) ? ReadState::Broken : ReadState::NoStore;
}

int brokenStore(const RegistryStore& store)
{
    return failure(store.lastError());
}

// A key asked of a store that does not exist yet: the message says which.
int keyNotFound(const std::string& key, ReadState state)
{
    if (state == ReadState::NoStore)
        return failure("key not found: " + key + " (there is no registry store at " +
                       RegistryStore::defaultPath() + " yet)");
    return failure("key not found: " + key);
}

int cmdImport(const std::vector<std::string>& files)
{
    if (files.empty())
        return usageError("import needs a script file");
    for (const std::string& f : files) {
        qm::ScriptResult r;
        if (f == "-") {
            std::string text(std::istreambuf_iterator<char>(std::cin), {});
            RegistryStore store;
            if (!store.ok())
                return failure(store.lastError());
            r = qm::ImportRegistryScript(text, store, qm::ClassExport::Desktop);
        } else {
            r = qm::ImportRegistryScriptFile(f);
        }
        if (!r.ok)
            return failure(f + (r.line > 0 ? ": line " + std::to_string(r.line) : std::string()) +
                           ": " + r.message + " (nothing of it was imported)");
    }
    return Ok;
}

int cmdExport(const std::vector<std::string>& argv)
{
    Args a;
    std::string err;
    if (!parseArgs(argv, " o ", a, err))
        return usageError(err);
    if (!a.positional.empty())
        return usageError("export takes one key");
    std::optional<RegistryStore> store;
    const ReadState state = openForReading(store);
    if (state == ReadState::Broken)
        return brokenStore(*store);
    std::string text = "REGEDIT4\r\n\r\n"; // no store yet: an empty registry
    if (!a.key.empty()) {
        const auto k = parseKey(a.key, err);
        if (!k)
            return usageError(err);
        if (state == ReadState::NoStore || !store->keyExists(k->root, k->path))
            return keyNotFound(a.key, state);
        text = qm::ExportRegistry(*store, a.key);
    } else if (state == ReadState::Open) {
        text = qm::ExportRegistry(*store);
    }
    if (!a.output) {
        std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
        std::cout.flush();
        return std::cout ? Ok : failure("cannot write to standard output");
    }
    // A backup is whole or not there: never half a file over the previous one.
    if (!qm::fs::SaveFileAtomic(*a.output, text, {}, &err))
        return failure("cannot write " + *a.output + ": " + err);
    return Ok;
}

int cmdQuery(const std::vector<std::string>& argv)
{
    Args a;
    std::string err;
    if (!parseArgs(argv, " v ve ", a, err))
        return usageError(err);
    if (a.key.empty())
        return usageError("query needs a key");
    if (a.positional.size() > 1 || (a.positional.size() == 1 && a.valueName))
        return usageError("query takes one value name");
    if (a.positional.size() == 1)
        a.valueName = a.positional[0];
    const auto k = parseKey(a.key, err);
    if (!k)
        return usageError(err);
    std::optional<RegistryStore> store;
    const ReadState state = openForReading(store);
    if (state == ReadState::Broken)
        return brokenStore(*store);
    // A root always exists, even before the store does.
    const bool isRoot = k->path.find_first_not_of('\\') == std::string::npos;
    const auto stored = state == ReadState::Open ? store->storedPath(k->root, k->path)
                        : isRoot                 ? std::optional<std::string>("")
                                                 : std::nullopt;
    if (!stored)
        return keyNotFound(a.key, state);
    const std::string name = fullName(*k, *stored);
    if (a.valueName) {
        const auto v = store->value(k->root, k->path, *a.valueName);
        if (!v)
            return failure("value not found: " +
                           (a.valueName->empty() ? std::string("(Default)") : *a.valueName) +
                           " in " + name);
        std::cout << name << "\n";
        printValue(*v);
        return Ok;
    }
    std::cout << name << "\n";
    for (const RegValue& v : store->values(k->root, k->path))
        printValue(v);
    const auto subs = store->subKeys(k->root, k->path);
    if (!subs.empty())
        std::cout << "\n";
    for (const std::string& s : subs)
        std::cout << name << "\\" << s << "\n";
    return Ok;
}

int cmdAdd(const std::vector<std::string>& argv)
{
    Args a;
    std::string err;
    const auto k = changeCommand(argv, " v ve t d f ", "add", "values go after /d", a, err);
    if (!k)
        return usageError(err);
    const std::string type = qm::RegFold(a.type.value_or("REG_SZ"));
    std::string bytes;
    uint32_t regType = regtype::REG_SZ;
    if (type == "reg_sz") {
        bytes = a.data.value_or("");
        bytes.push_back('\0'); // stored with its terminating zero, as WriteRegString does
    } else if (type == "reg_dword") {
        const std::string d = a.data.value_or("0");
        errno = 0;
        char* end = nullptr;
        const bool hex = d.size() > 2 && d[0] == '0' && (d[1] == 'x' || d[1] == 'X');
        const unsigned long long n = std::strtoull(d.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
        if (d.empty() || d[0] == '-' || d[0] == '+' || *end != '\0' || errno == ERANGE ||
            n > 0xffffffffull || end == d.c_str() + (hex ? 2 : 0))
            return usageError("REG_DWORD data must be a number from 0 to 4294967295 (or 0x0 to "
                              "0xffffffff), not \"" +
                              d + "\"");
        regType = regtype::REG_DWORD;
        const auto u = static_cast<uint32_t>(n);
        bytes = {char(u & 0xff), char(u >> 8 & 0xff), char(u >> 16 & 0xff), char(u >> 24 & 0xff)};
    } else {
        return usageError("unknown type " + *a.type + " (REG_SZ or REG_DWORD)");
    }
    if (a.data && !a.valueName)
        return usageError("/d needs /v NAME or /ve");
    RegistryStore store;
    if (!store.ok())
        return failure(store.lastError());
    const bool done = a.valueName ? store.setValue(k->root, k->path, *a.valueName, regType, bytes)
                                  : store.createKey(k->root, k->path);
    if (!done)
        return failure("cannot write " + a.key + ": " + store.lastError());
    return Ok;
}

int cmdDelete(const std::vector<std::string>& argv)
{
    Args a;
    std::string err;
    const auto k = changeCommand(argv, " v ve f ", "delete", "name a value with /v", a, err);
    if (!k)
        return usageError(err);
    if (!a.valueName && k->path.find_first_not_of('\\') == std::string::npos)
        return failure("a root key cannot be deleted");
    RegistryStore store;
    if (!store.ok())
        return failure(store.lastError());
    if (!store.keyExists(k->root, k->path))
        return failure("key not found: " + a.key);
    if (a.valueName) {
        if (!store.value(k->root, k->path, *a.valueName))
            return failure("value not found: " +
                           (a.valueName->empty() ? std::string("(Default)") : *a.valueName));
        if (!store.deleteValue(k->root, k->path, *a.valueName))
            return failure("cannot delete the value: " + store.lastError());
        return Ok;
    }
    if (!store.deleteKey(k->root, k->path))
        return failure("cannot delete " + a.key + ": " + store.lastError());
    return Ok;
}

int run(std::vector<std::string> args)
{
    if (args.size() >= 2 && args[0] == "--db") {
        qm::SetEnv("QM_REGISTRY_DB", args[1]);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty())
        return usageError("no command given");
    const std::string cmd = args[0];
    if (cmd == "--help" || cmd == "-h" || cmd == "help" || cmd == "/?") {
        std::cout << kUsage;
        return Ok;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (cmd == "import")
        return cmdImport(rest);
    if (cmd == "export")
        return cmdExport(rest);
    if (cmd == "query")
        return cmdQuery(rest);
    if (cmd == "add")
        return cmdAdd(rest);
    if (cmd == "delete")
        return cmdDelete(rest);
    return usageError("unknown command " + cmd);
}

} // namespace
} // namespace qmreg

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    return qmreg::run(qm::ProgramArguments(argc, argv));
}
