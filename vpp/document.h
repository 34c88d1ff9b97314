#pragma once

#include "vpp/packfile.h"
#include "vpp/writer.h"

#include <string>
#include <vector>

namespace qm::vpp {

// A packfile being edited: its entries in order, each with where its bytes
// come from. Nothing is written before save.
class PackfileDocument {
public:
    struct Item {
        std::string name; // Windows-1252 bytes
        Source source;
        std::string origin; // shown to the user: the file added, or "" (from the packfile)
    };

    void clear(); // a new, empty packfile
    bool open(const std::string& path, std::string* error);
    const std::string& path() const { return m_path; }
    const std::vector<Item>& items() const { return m_items; }
    const std::vector<std::string>& warnings() const { return m_warnings; }
    std::vector<std::string> names() const;
    bool modified() const { return m_modified; }

    // Why name cannot be the name of item index (-1: a new item), or "".
    std::string nameFault(const std::string& name, int index = -1) const;

    // Adds a file from disk under EntryNameForFile of its file name (or name
    // when given). false with a reason when a rule is broken.
    bool addFile(const std::string& filePath, std::string* error, const std::string& name = {});
    bool addBytes(const std::string& name, std::string bytes, std::string* error);
    // The regular files below folder (recursive: also in sub-folders), sorted.
    static std::vector<std::string> FilesIn(const std::string& folder, bool recursive);
    bool remove(size_t index);
    bool rename(size_t index, const std::string& name, std::string* error);
    bool move(size_t index, int delta); // -1 up, +1 down
    bool replaceData(size_t index, const std::string& filePath, std::string* error);
    int find(const std::string& name) const;

    // Writes the packfile to path (the current path when empty); on success
    // the document reads its entries back from there.
    WriteResult save(const std::string& path = {}, const ProgressFn& progress = {});

private:
    std::string m_path;
    std::vector<Item> m_items;
    std::vector<std::string> m_warnings;
    bool m_modified = false;
};

} // namespace qm::vpp
