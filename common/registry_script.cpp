#include "common/registry_script.h"

#include "platform/string_util.h"

#include "platform/desktop_association.h"

#include "platform/file_system.h"

#include <cstdio>
#include <optional>
#include <vector>

namespace qm {

namespace {

constexpr const char* kCrLf = "\r\n";
// Far above any script the suite writes or exports; a bigger file is no script.
constexpr uint64_t kMaxScriptBytes = 256u << 20;
constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s)
{
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && RegFold(s.substr(0, prefix.size())) == RegFold(prefix);
}

// One change the script asks for, kept until the whole script has parsed.
struct Op {
    enum Kind { CreateKey, DeleteKey, SetValue, DeleteValue } kind;
    RegRoot root;
    std::string key;
    std::string name;
    uint32_t type = 0;
    std::string data;
    int line = 0;
};

// Splits the text into lines ending in LF or CR LF; the last line may lack its end.
std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t i = 0;
    while (i < text.size()) {
        size_t j = text.find('\n', i);
        std::string_view line = text.substr(i, j == std::string_view::npos ? j : j - i);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (j == std::string_view::npos)
            break;
        i = j + 1;
    }
    return lines;
}

class Parser {
public:
    explicit Parser(std::string_view text) : m_lines(splitLines(text)) {}

    bool parse()
    {
        if (!parseHeader())
            return false;
        for (m_index = 1; m_index < m_lines.size(); ++m_index) {
            std::string_view line = trimLeft(m_lines[m_index]);
            if (trimRight(line).empty() || line.front() == ';')
                continue;
            bool good = false;
            if (line.front() == '[')
                good = parseKeyLine(trimRight(line));
            else if (line.front() == '"' || line.front() == '@')
                good = parseValueLine(line);
            else
                good = error("not a key line, a value line or a comment");
            if (!good)
                return false;
        }
        return true;
    }

    std::vector<Op> ops;
    int errorLine = 0;
    std::string errorMessage;

private:
    int lineNo() const { return static_cast<int>(m_index) + 1; }

    bool error(std::string what)
    {
        errorLine = lineNo();
        errorMessage = std::move(what);
        return false;
    }

    bool parseHeader()
    {
        m_index = 0;
        if (m_lines.empty())
            return error("the script is empty; it must begin with \"REGEDIT4\"");
        std::string_view first = m_lines[0];
        if (first.size() >= 2 && ((first[0] == '\xff' && first[1] == '\xfe') ||
                                  (first[0] == '\xfe' && first[1] == '\xff')))
            return error("the script is UTF-16 text; save it as 8-bit text");
        if (first.substr(0, 3) == "\xef\xbb\xbf")
            first.remove_prefix(3); // a UTF-8 mark carries no meaning here
        first = trimRight(first);
        if (first != kHeader4 && first != kHeader5)
            return error("the first line must be \"REGEDIT4\" or \"" + std::string(kHeader5) +
                         "\"");
        return true;
    }

    bool parseKeyLine(std::string_view line)
    {
        if (line.back() != ']')
            return error("a key line must end in ']'");
        std::string_view path = line.substr(1, line.size() - 2);
        const bool remove = !path.empty() && path.front() == '-';
        if (remove)
            path.remove_prefix(1);
        if (path.empty())
            return error("the key line names no key");
        if (path.find('\0') != std::string_view::npos)
            return error("a key name cannot hold a zero byte");
        const size_t slash = path.find('\\');
        const std::string_view rootName = path.substr(0, slash);
        std::string rest =
            slash == std::string_view::npos ? std::string() : std::string(path.substr(slash + 1));
        std::optional<RegRoot> root = ParseRegRoot(rootName);
        if (!root) {
            // The classes root is a view of the machine's Software\Classes.
            const std::string folded = RegFold(rootName);
            if (folded == "hkey_classes_root" || folded == "hkcr") {
                root = RegRoot::LocalMachine;
                rest =
                    rest.empty() ? std::string("Software\\Classes") : "Software\\Classes\\" + rest;
            } else {
                return error("unknown root \"" + std::string(rootName) +
                             "\" (HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are kept)");
            }
        }
        if (remove && rest.find_first_not_of('\\') == std::string::npos)
            return error("a root key cannot be deleted");
        ops.push_back({remove ? Op::DeleteKey : Op::CreateKey, *root, rest, {}, 0, {}, lineNo()});
        m_haveKey = !remove;
        m_root = *root;
        m_key = std::move(rest);
        return true;
    }

    // Reads a quoted text at s[0] with \\ and \" escapes; pos ends after the closing quote.
    bool parseQuoted(std::string_view s, size_t& pos, std::string& out, const char* what)
    {
        out.clear();
        pos = 1;
        while (pos < s.size()) {
            const char c = s[pos];
            if (c == '"') {
                ++pos;
                return true;
            }
            if (c == '\\') {
                if (pos + 1 >= s.size())
                    break;
                const char e = s[pos + 1];
                if (e != '\\' && e != '"')
                    return error(std::string("unknown escape \"\\") + e + "\" in " + what +
                                 " (write a backslash as \\\\)");
                out.push_back(e);
                pos += 2;
                continue;
            }
            out.push_back(c);
            ++pos;
        }
        return error(std::string("the ") + what + " has no closing quote");
    }

    bool parseValueLine(std::string_view line)
    {
        if (!m_haveKey)
            return error("a value line must follow a key line");
        std::string name;
        size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (!parseQuoted(line, pos, name, "value name")) {
            return false;
        }
        if (name.find('\0') != std::string::npos)
            return error("a value name cannot hold a zero byte");
        std::string_view rest = trimLeft(line.substr(pos));
        if (rest.empty() || rest.front() != '=')
            return error("'=' expected after the value name");
        rest = trimRight(trimLeft(rest.substr(1)));
        Op op{Op::SetValue, m_root, m_key, std::move(name), 0, {}, lineNo()};
        if (rest == "-") {
            op.kind = Op::DeleteValue;
        } else if (!rest.empty() && rest.front() == '"') {
            size_t end = 0;
            if (!parseQuoted(rest, end, op.data, "string"))
                return false;
            if (end != rest.size())
                return error("text after the closing quote of the string");
            op.type = regtype::REG_SZ;
            op.data.push_back('\0'); // stored as the registry keeps it, with its zero
        } else if (startsWithNoCase(rest, "dword:")) {
            if (!parseDword(rest.substr(6), op))
                return false;
        } else if (startsWithNoCase(rest, "hex")) {
            if (!parseHex(rest.substr(3), op))
                return false;
        } else {
            return error("unknown value data (expected \"text\", dword:, hex:, hex(N): or -)");
        }
        ops.push_back(std::move(op));
        return true;
    }

    bool parseDword(std::string_view digits, Op& op)
    {
        if (digits.empty() || digits.size() > 8)
            return error("dword: needs 1 to 8 hexadecimal digits");
        uint32_t n = 0;
        for (char c : digits) {
            const int d = qm::hexDigit(c);
            if (d < 0)
                return error("dword: needs 1 to 8 hexadecimal digits");
            n = n << 4 | static_cast<uint32_t>(d);
        }
        op.type = regtype::REG_DWORD;
        op.data = {char(n & 0xff), char(n >> 8 & 0xff), char(n >> 16 & 0xff), char(n >> 24 & 0xff)};
        return true;
    }

    // After "hex": either ":" (binary) or "(N):" with N in hexadecimal, then a
    // comma-separated byte list that may go on over lines ending in '\'.
    bool parseHex(std::string_view s, Op& op)
    {
        op.type = regtype::REG_BINARY;
        if (!s.empty() && s.front() == '(') {
            const size_t close = s.find(')');
            if (close == std::string_view::npos || close == 1 || close > 9)
                return error("hex(N): needs a type number of 1 to 8 hexadecimal digits");
            uint32_t t = 0;
            for (char c : s.substr(1, close - 1)) {
                const int d = qm::hexDigit(c);
                if (d < 0)
                    return error("hex(N): needs a type number of 1 to 8 hexadecimal digits");
                t = t << 4 | static_cast<uint32_t>(d);
            }
            op.type = t;
            s.remove_prefix(close + 1);
        }
        if (s.empty() || s.front() != ':')
            return error("':' expected after hex");
        s.remove_prefix(1);

        bool expectByte = false; // after a comma a byte must follow, at most over a line end
        for (;;) {
            s = trimRight(trimLeft(s));
            bool more = false;
            if (!s.empty() && s.back() == '\\') {
                more = true;
                s = trimRight(s.substr(0, s.size() - 1));
            }
            while (!s.empty()) {
                size_t n = 0;
                int value = 0;
                while (n < s.size() && n < 3 && qm::hexDigit(s[n]) >= 0)
                    value = value * 16 + qm::hexDigit(s[n++]);
                if (n == 0 || n > 2)
                    return error(
                        "a byte list holds two-digit hexadecimal numbers separated by commas");
                op.data.push_back(static_cast<char>(value));
                s = trimLeft(s.substr(n));
                expectByte = false;
                if (s.empty())
                    break;
                if (s.front() != ',')
                    return error("',' expected between bytes");
                s = trimLeft(s.substr(1));
                expectByte = true;
            }
            if (!more)
                break;
            if (m_index + 1 >= m_lines.size())
                return error("the byte list goes on past the end of the script");
            ++m_index;
            s = m_lines[m_index];
        }
        if (expectByte)
            return error("the byte list ends in a comma");
        return true;
    }

    std::vector<std::string_view> m_lines;
    size_t m_index = 0;
    bool m_haveKey = false;
    RegRoot m_root = RegRoot::LocalMachine;
    std::string m_key;
};

std::string hexLine(std::string_view prefix, std::string_view data)
{
    // Wrapped as the registry editor wraps: lines stay within 80 columns,
    // continued lines are indented by two blanks.
    static const char* digits = "0123456789abcdef";
    std::string out(prefix);
    size_t col = out.size();
    for (size_t i = 0; i < data.size(); ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        out += digits[b >> 4];
        out += digits[b & 15];
        col += 2;
        if (i + 1 < data.size()) {
            out += ',';
            ++col;
            if (col > 76) {
                out += "\\\r\n  ";
                col = 2;
            }
        }
    }
    out += kCrLf;
    return out;
}

std::string valueLine(const RegValue& v)
{
    std::string prefix =
        v.name.empty() ? std::string("@=") : "\"" + EscapeRegString(v.name) + "\"=";
    const std::string& d = v.data;
    // A string goes out as text only when re-importing the text gives back the same bytes.
    if (v.type == regtype::REG_SZ && !d.empty() && d.find('\0') == d.size() - 1 &&
        d.find('\n') == std::string::npos)
        return prefix + "\"" + EscapeRegString(std::string_view(d).substr(0, d.size() - 1)) + "\"" +
               kCrLf;
    if (v.type == regtype::REG_DWORD && d.size() == 4) {
        const auto u = [&](size_t i) { return uint32_t(static_cast<unsigned char>(d[i])); };
        char buf[20];
        std::snprintf(buf, sizeof buf, "dword:%08x", u(0) | u(1) << 8 | u(2) << 16 | u(3) << 24);
        return prefix + buf + kCrLf;
    }
    if (v.type == regtype::REG_BINARY)
        return hexLine(prefix + "hex:", d);
    char buf[24];
    std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
    return hexLine(prefix + buf, d);
}

void exportKey(RegistryStore& store, RegRoot root, const std::string& key, std::string& out)
{
    out += '[';
    out += RegRootName(root);
    if (!key.empty()) {
        out += '\\';
        out += key;
    }
    out += ']';
    out += kCrLf;
    for (const RegValue& v : store.values(root, key))
        out += valueLine(v);
    out += kCrLf;
    for (const std::string& sub : store.subKeys(root, key))
        exportKey(store, root, key.empty() ? sub : key + "\\" + sub, out);
}

} // namespace

std::string EscapeRegString(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

RegistryScript::RegistryScript() = default;

RegistryScript& RegistryScript::key(const std::string& fullKey)
{
    if (m_open)
        m_blocks += kCrLf;
    m_blocks += "[" + fullKey + "]" + kCrLf;
    m_open = true;
    return *this;
}

RegistryScript& RegistryScript::defaultValue(const std::string& text)
{
    m_blocks += "@=\"" + EscapeRegString(text) + "\"" + kCrLf;
    return *this;
}

RegistryScript& RegistryScript::string(const std::string& name, const std::string& text)
{
    m_blocks += "\"" + EscapeRegString(name) + "\"=\"" + EscapeRegString(text) + "\"" + kCrLf;
    return *this;
}

RegistryScript& RegistryScript::dword(const std::string& name, uint32_t number, Digits digits)
{
    char buf[20];
    std::snprintf(buf, sizeof buf, digits == Digits::Eight ? "dword:%08x" : "dword:%x", number);
    m_blocks += "\"" + EscapeRegString(name) + "\"=" + buf + kCrLf;
    return *this;
}

std::string RegistryScript::text() const
{
    return std::string(kHeader4) + kCrLf + kCrLf + blocks();
}

std::string RegistryScript::blocks() const
{
    return m_open ? m_blocks + kCrLf : m_blocks;
}

namespace {

// Keys below Software\Classes the changes touch, relative to it.
std::vector<std::string> classKeysOf(const std::vector<Op>& ops)
{
    static const std::string prefix = "software\\classes\\";
    std::vector<std::string> keys;
    for (const Op& op : ops) {
        // The store ignores empty parts of a path; so does this test.
        std::string path;
        size_t i = 0;
        while (i <= op.key.size()) {
            size_t j = op.key.find('\\', i);
            if (j == std::string::npos)
                j = op.key.size();
            if (j > i)
                path += (path.empty() ? "" : "\\") + op.key.substr(i, j - i);
            i = j + 1;
        }
        if (path.size() > prefix.size() && RegFold(path.substr(0, prefix.size())) == prefix)
            keys.push_back(path.substr(prefix.size()));
    }
    return keys;
}

} // namespace

ScriptResult ImportRegistryScript(std::string_view text, RegistryStore& store,
                                  ClassExport classExport)
{
    Parser parser(text);
    if (!parser.parse())
        return {false, parser.errorLine, parser.errorMessage};

    ScriptResult result;
    const bool applied = store.transact([&] {
        for (const Op& op : parser.ops) {
            bool good = true;
            switch (op.kind) {
            case Op::CreateKey:
                good = store.createKey(op.root, op.key);
                break;
            case Op::DeleteKey:
                good = store.deleteKey(op.root, op.key);
                break;
            case Op::SetValue:
                good = store.setValue(op.root, op.key, op.name, op.type, op.data);
                break;
            case Op::DeleteValue:
                good = store.deleteValue(op.root, op.key, op.name);
                break;
            }
            // The store's fault (read-only, full disk) is not the script's: no line is blamed.
            if (!good)
                return false;
        }
        return true;
    });
    if (!applied) {
        result.message = store.lastError();
        return result;
    }
    result.ok = true;
    if (classExport == ClassExport::Desktop) {
        const std::vector<std::string> keys = classKeysOf(parser.ops);
        if (!keys.empty())
            ExportFileClassesToDesktop(store, keys);
    }
    return result;
}

ScriptResult ImportRegistryScriptFile(const std::string& path)
{
    std::string error;
    const std::optional<std::string> text = fs::ReadWholeFile(path, kMaxScriptBytes, &error);
    if (!text)
        return {false, 0, "cannot read " + error};
    RegistryStore store(RegistryStore::Mode::ReadWrite);
    if (!store.ok())
        return {false, 0, store.lastError()};
    return ImportRegistryScript(*text, store, ClassExport::Desktop);
}

bool RunRegistryScript(const std::string& folder, const std::string& script, bool showWindow,
                       std::string* error)
{
    (void)showWindow; // the import runs in-process, there is no editor window to show
    const std::string path = folder + "/_setup.reg";
    std::string why;
    if (!fs::SaveFileAtomic(path, script, {}, &why)) {
        if (error)
            *error = "cannot write " + path + ": " + why;
        return false;
    }
    // As with "regedit /s", the caller does not learn how the import went; a
    // diagnostic on stderr is all a user gets to see of a refused script.
    const ScriptResult r = ImportRegistryScriptFile(path);
    if (!r.ok)
        std::fprintf(stderr, "%s: not imported: %s%s\n", path.c_str(),
                     r.line > 0 ? ("line " + std::to_string(r.line) + ": ").c_str() : "",
                     r.message.c_str());
    return true;
}

std::string ExportRegistry(RegistryStore& store, const std::string& fullKey)
{
    std::string out = std::string(kHeader4) + kCrLf + kCrLf;
    if (fullKey.empty()) {
        // Roots in name order, as every other level is.
        for (RegRoot root : {RegRoot::CurrentUser, RegRoot::LocalMachine})
            if (!store.values(root, "").empty() || !store.subKeys(root, "").empty())
                exportKey(store, root, "", out);
        return out;
    }
    const auto split = SplitRegPath(fullKey);
    if (!split)
        return out;
    if (const auto path = store.storedPath(split->first, split->second))
        exportKey(store, split->first, *path, out);
    return out;
}

} // namespace qm
