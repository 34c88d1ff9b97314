#include "vpp/commands.h"

#include "common/display_text.h"
#include "platform/file_system.h"
#include "vpp/document.h"
#include "vpp/extract.h"
#include "vpp/names.h"

#include <algorithm>
#include <charconv>

namespace qm::vpp {

namespace {

const char* const kPeekUsage = "usage: packpeek32 --list FILE.vpp\n"
                               "       packpeek32 --extract [--overwrite] FILE.vpp DIR [NAME...]\n";
const char* const kForgeUsage = "usage: packforge32 --create OUT.vpp FILE...\n"
                                "       packforge32 --add PACK.vpp FILE...\n"
                                "       packforge32 --remove PACK.vpp NAME...\n"
                                "       packforge32 --rename PACK.vpp OLD NEW\n";

// The index of the entry called name: its bytes or its display form, in any case.
int FindEntry(const Directory& dir, const std::string& name)
{
    for (size_t i = 0; i < dir.entries.size(); ++i)
        if (SameName(dir.entries[i].name, name) || SameName(DisplayUtf8(dir.entries[i].name), name))
            return int(i);
    return -1;
}

int FindItem(const PackfileDocument& doc, const std::string& name)
{
    const int i = doc.find(name);
    if (i >= 0)
        return i;
    const int j = doc.find(EntryNameForFile(name));
    return j;
}

void PrintWarnings(const std::vector<std::string>& warnings, std::ostream& err);

bool IsAscii(std::string_view bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

void AppendNumber(std::string& text, uint64_t value)
{
    char digits[24];
    text.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

// The listing is formatted straight from the directory bytes and goes out in
// large writes: copying entries, or writing line by line through the stream,
// costs more than reading the directory.
int ListPackfile(const std::string& packfile, std::ostream& out, std::ostream& err)
{
    constexpr size_t kChunk = size_t(1) << 16;
    std::string text;
    text.reserve(kChunk + 128);
    std::vector<std::string> warnings;
    std::string error;
    fs::ReadFile file;
    bool ok = file.open(packfile);
    if (!ok)
        error = "Cannot open " + DisplayUtf8(packfile) + ": " + file.error();
    else
        ok = ScanDirectory(
            file,
            [&](const EntryView& e) {
                if (IsAscii(e.name))
                    text += e.name; // ASCII is its own display form
                else
                    text += DisplayUtf8(e.name);
                text += '\t';
                AppendNumber(text, e.size);
                text += '\t';
                AppendNumber(text, uint64_t(e.offset));
                text += '\n';
                if (text.size() >= kChunk) {
                    out.write(text.data(), std::streamsize(text.size()));
                    text.clear();
                }
            },
            &warnings, &error);
    if (!ok) {
        err << DisplayUtf8(packfile) << ": " << error << '\n';
        return kExitBadPackfile;
    }
    out.write(text.data(), std::streamsize(text.size()));
    out.flush();
    PrintWarnings(warnings, err);
    return kExitOk;
}

void PrintWarnings(const std::vector<std::string>& warnings, std::ostream& err)
{
    for (const std::string& w : warnings)
        err << "warning: " << w << '\n';
}

int Save(PackfileDocument& doc, const std::string& path, std::ostream& err)
{
    const WriteResult result = doc.save(path);
    PrintWarnings(result.warnings, err);
    if (!result.ok) {
        err << result.error << '\n';
        return result.error.starts_with("Entry ") ? kExitRefused : kExitWriteFailed;
    }
    return kExitOk;
}

} // namespace

bool IsPeekCommand(const std::vector<std::string>& args)
{
    return !args.empty() && (args[0] == "--list" || args[0] == "--extract");
}

bool IsForgeCommand(const std::vector<std::string>& args)
{
    return !args.empty() && (args[0] == "--create" || args[0] == "--add" || args[0] == "--remove" ||
                             args[0] == "--rename");
}

int RunPeekCommand(const std::vector<std::string>& argsIn, std::ostream& out, std::ostream& err)
{
    std::vector<std::string> args = argsIn;
    const auto flag = std::find(args.begin(), args.end(), "--overwrite");
    const bool overwrite = flag != args.end();
    if (overwrite)
        args.erase(flag);
    const bool list = !args.empty() && args[0] == "--list";
    if (args.empty() || (list && args.size() != 2) || (!list && args.size() < 3) ||
        (list && overwrite)) {
        err << kPeekUsage;
        return kExitUsage;
    }
    const std::string& packfile = args[1];
    if (list)
        return ListPackfile(packfile, out, err);
    Directory dir;
    std::string error;
    if (!ReadDirectory(packfile, &dir, &error)) {
        err << DisplayUtf8(packfile) << ": " << error << '\n';
        return kExitBadPackfile;
    }
    PrintWarnings(dir.warnings, err);

    std::vector<size_t> indices;
    int code = kExitOk;
    if (args.size() == 3) {
        for (size_t i = 0; i < dir.entries.size(); ++i)
            indices.push_back(i);
    }
    for (size_t a = 3; a < args.size(); ++a) {
        const int i = FindEntry(dir, args[a]);
        if (i < 0) {
            err << "No entry named \"" << args[a] << "\" in " << DisplayUtf8(packfile) << ".\n";
            code = kExitRefused;
        } else {
            indices.push_back(size_t(i));
        }
    }
    ExtractOptions options;
    options.overwrite = overwrite;
    const ExtractOutcome outcome = ExtractEntries(packfile, dir, indices, args[2], options);
    for (const std::string& s : outcome.skipped)
        err << s << '\n';
    if (!outcome.skipped.empty() && !overwrite)
        err << "(--overwrite replaces existing files)\n";
    if (!outcome.error.empty()) {
        err << outcome.error << '\n';
        return kExitWriteFailed;
    }
    for (const std::string& path : outcome.written)
        out << DisplayUtf8(path) << '\n';
    return outcome.skipped.empty() ? code : kExitRefused;
}

int RunForgeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    (void)out;
    const std::string command = args.empty() ? std::string() : args[0];
    const bool sized = (command == "--create" && args.size() >= 2) ||
                       ((command == "--add" || command == "--remove") && args.size() >= 3) ||
                       (command == "--rename" && args.size() == 4);
    if (!sized) {
        err << kForgeUsage;
        return kExitUsage;
    }
    const std::string& packfile = args[1];
    PackfileDocument doc;
    std::string error;
    if (command != "--create" && !doc.open(packfile, &error)) {
        err << DisplayUtf8(packfile) << ": " << error << '\n';
        return kExitBadPackfile;
    }
    PrintWarnings(doc.warnings(), err);

    if (command == "--create" || command == "--add") {
        for (size_t a = 2; a < args.size(); ++a) {
            if (!fs::IsRegularFile(args[a])) {
                err << DisplayUtf8(args[a]) << " is no readable file.\n";
                return kExitBadPackfile;
            }
            if (!doc.addFile(args[a], &error)) {
                err << DisplayUtf8(args[a]) << ": " << error << '\n';
                return kExitRefused;
            }
        }
    } else if (command == "--remove") {
        for (size_t a = 2; a < args.size(); ++a) {
            const int i = FindItem(doc, args[a]);
            if (i < 0) {
                err << "No entry named \"" << args[a] << "\" in " << DisplayUtf8(packfile) << ".\n";
                return kExitRefused;
            }
            doc.remove(size_t(i));
        }
    } else {
        const int i = FindItem(doc, args[2]);
        if (i < 0) {
            err << "No entry named \"" << args[2] << "\" in " << DisplayUtf8(packfile) << ".\n";
            return kExitRefused;
        }
        if (!doc.rename(size_t(i), EntryNameForFile(args[3]), &error)) {
            err << error << '\n';
            return kExitRefused;
        }
    }
    return Save(doc, packfile, err);
}

} // namespace qm::vpp
