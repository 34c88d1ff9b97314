#include "vpp/extract.h"

#include "common/display_text.h"
#include "platform/file_system.h"
#include "vpp/names.h"

#include <memory>
#include <set>

namespace qm::vpp {

ExtractOutcome ExtractEntries(const std::string& packfile, const Directory& dir,
                              const std::vector<size_t>& indices, const std::string& folder,
                              const ExtractOptions& options)
{
    ExtractOutcome outcome;
    fs::ReadFile file;
    if (!file.open(packfile)) {
        outcome.error = "Cannot open " + DisplayUtf8(packfile) + ": " + file.error();
        return outcome;
    }
    if (!fs::IsFolder(folder)) {
        outcome.error = DisplayUtf8(folder) + " is no folder.";
        return outcome;
    }
    const std::string base = folder.ends_with('/') ? folder : folder + "/";
    uint64_t total = 0;
    for (size_t i : indices)
        if (i < dir.entries.size())
            total += dir.entries[i].size;

    constexpr size_t kBufferSize = size_t(1) << 20;
    std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    bool overwriteAll = options.overwrite;
    uint64_t done = 0;
    for (size_t i : indices) {
        if (i >= dir.entries.size())
            continue;
        const Entry& e = dir.entries[i];
        const ExtractionName mapped = ExtractionNameFor(e.name);
        if (mapped.fileName.empty()) {
            outcome.skipped.push_back("\"" + DisplayUtf8(e.name) +
                                      "\" was not extracted: " + mapped.refusal + ".");
            done += e.size;
            continue;
        }
        const std::string target = base + mapped.fileName;
        if (fs::Exists(target) && !overwriteAll) {
            OverwriteAnswer answer = OverwriteAnswer::No;
            if (options.askOverwrite)
                answer = options.askOverwrite(target);
            if (answer == OverwriteAnswer::Cancel) {
                outcome.cancelled = true;
                return outcome;
            }
            if (answer == OverwriteAnswer::YesToAll)
                overwriteAll = true;
            if (answer == OverwriteAnswer::No) {
                outcome.skipped.push_back(DisplayUtf8(target) + " exists and was kept.");
                done += e.size;
                continue;
            }
        }
        if (fs::IsFolder(target)) {
            outcome.skipped.push_back(DisplayUtf8(target) + " is a folder; \"" +
                                      DisplayUtf8(e.name) + "\" was not extracted.");
            done += e.size;
            continue;
        }
        fs::AtomicSave save(target);
        if (!save.isOpen()) {
            outcome.error = "Cannot write " + DisplayUtf8(target) + ": " + save.error();
            return outcome;
        }
        uint64_t left = e.size;
        int64_t at = e.offset;
        while (left > 0) {
            const size_t want = size_t(std::min<uint64_t>(left, kBufferSize));
            if (!file.readExact(buffer.get(), want, at)) {
                outcome.error = "Cannot read \"" + DisplayUtf8(e.name) + "\" from " +
                                DisplayUtf8(packfile) + ": the file ends early.";
                return outcome;
            }
            if (!save.write(buffer.get(), want)) {
                outcome.error = "Cannot write " + DisplayUtf8(target) + ": " + save.error();
                return outcome;
            }
            left -= want;
            at += int64_t(want);
            done += want;
            if (options.progress && !options.progress(done, total)) {
                outcome.cancelled = true; // the unfinished file goes with save
                return outcome;
            }
        }
        if (!save.commit()) {
            outcome.error = "Cannot write " + DisplayUtf8(target) + ": " + save.error();
            return outcome;
        }
        outcome.written.push_back(target);
        if (options.progress && !options.progress(done, total)) {
            outcome.cancelled = true;
            return outcome;
        }
    }
    return outcome;
}

bool ReadEntryBytes(const std::string& packfile, const Entry& entry, uint64_t maxBytes,
                    std::string* out, std::string* error)
{
    fs::ReadFile file;
    if (!file.open(packfile)) {
        if (error)
            *error = file.error();
        return false;
    }
    out->resize(size_t(std::min<uint64_t>(entry.size, maxBytes)));
    if (!file.readExact(out->data(), out->size(), entry.offset)) {
        if (error)
            *error = "the file ends early";
        out->clear();
        return false;
    }
    return true;
}

} // namespace qm::vpp
