#pragma once

#include <QProcess>
#include <QString>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace qm::test {

// desktop-file-validate's verdict: "" for a clean file, else what it said.
inline std::string ValidateDesktopFile(const std::string& path)
{
    QProcess p;
    p.start(QStringLiteral("desktop-file-validate"), {QString::fromStdString(path)});
    if (!p.waitForFinished(20000))
        return "desktop-file-validate did not run";
    const std::string out = (p.readAllStandardOutput() + p.readAllStandardError()).toStdString();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return "exit " + std::to_string(p.exitCode()) + ": " + out;
    return out;
}

// The raw value of key in the [Desktop Entry] group, nothing when missing.
inline std::optional<std::string> DesktopEntryValue(const std::string& text, const std::string& key)
{
    std::istringstream in(text);
    std::string line;
    bool inMain = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.front() == '[') {
            inMain = line == "[Desktop Entry]";
            continue;
        }
        if (inMain && line.rfind(key + "=", 0) == 0)
            return line.substr(key.size() + 1);
    }
    return std::nullopt;
}

// Splits an Exec value as a desktop would: first the string escapes
// (\s \n \t \r \\), then the Exec quoting (blanks separate, double quotes
// group, inside them \ escapes " ` $ \), "%%" is a literal percent. Nothing
// when the value breaks the rules (open quote, stray field code).
inline std::optional<std::vector<std::string>> SplitDesktopExec(const std::string& value)
{
    std::string s;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            s.push_back(value[i]);
            continue;
        }
        const char e = value[++i];
        if (e != 's' && e != 'n' && e != 't' && e != 'r' && e != '\\')
            return std::nullopt; // not a string escape
        s.push_back(e == 's' ? ' ' : e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e);
    }
    std::vector<std::string> args;
    std::string cur;
    bool have = false;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == ' ') {
            if (have)
                args.push_back(cur);
            cur.clear();
            have = false;
        } else if (c == '"') {
            have = true;
            for (++i;; ++i) {
                if (i >= s.size())
                    return std::nullopt;
                if (s[i] == '"')
                    break;
                if (s[i] == '%') {
                    if (i + 1 >= s.size() || s[i + 1] != '%')
                        return std::nullopt;
                    ++i;
                } else if (s[i] == '\\' && i + 1 < s.size() &&
                           (s[i + 1] == '"' || s[i + 1] == '`' || s[i + 1] == '$' ||
                            s[i + 1] == '\\'))
                    ++i;
                cur.push_back(s[i]);
            }
        } else if (c == '%') {
            if (i + 1 >= s.size() || s[i + 1] != '%')
                return std::nullopt;
            cur.push_back('%');
            have = true;
            ++i;
        } else {
            cur.push_back(c);
            have = true;
        }
    }
    if (have)
        args.push_back(cur);
    return args;
}

} // namespace qm::test
