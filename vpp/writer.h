#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qm::vpp {

// Where an entry's bytes come from when a packfile is written.
struct Source {
    enum class Kind { Bytes, File, Range };
    Kind kind = Kind::Bytes;
    std::string bytes;  // Bytes
    std::string path;   // File: the whole file; Range: the packfile holding it
    int64_t offset = 0; // Range
    uint64_t size = 0;  // File and Range: the size expected when writing

    static Source FromBytes(std::string data);
    static Source FromRange(std::string packfile, int64_t offset, uint64_t size);
    // Nothing with error set when path is no readable regular file.
    static bool FromFile(const std::string& path, Source* out, std::string* error);
    uint64_t length() const { return kind == Kind::Bytes ? bytes.size() : size; }
};

struct NewEntry {
    std::string name; // Windows-1252 bytes
    Source source;
};

// Called with bytes written so far and the total; false cancels.
using ProgressFn = std::function<bool(uint64_t done, uint64_t total)>;

struct WriteResult {
    bool ok = false;
    bool cancelled = false;
    std::string error;
    std::vector<std::string> warnings; // the packfile was written; the game may not load it
};

// The first rule the entries break (names, duplicates, sizes), or "".
std::string CheckEntries(const std::vector<NewEntry>& entries);

// Writes a version-1 packfile through the atomic save: on any failure or a
// cancel the file at path stays as it was. Sources are read while writing,
// so a Range may point into the very packfile being replaced.
WriteResult WritePackfile(const std::string& path, const std::vector<NewEntry>& entries,
                          const ProgressFn& progress = {});

} // namespace qm::vpp
