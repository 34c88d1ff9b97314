#pragma once

#include "vpp/packfile.h"
#include "vpp/writer.h"

#include <functional>
#include <string>
#include <vector>

namespace qm::vpp {

enum class OverwriteAnswer { Yes, YesToAll, No, Cancel };

struct ExtractOptions {
    bool overwrite = false; // replace existing files without asking
    // Asked for every existing file when overwrite is off; none: keep them.
    std::function<OverwriteAnswer(const std::string& target)> askOverwrite;
    ProgressFn progress;
};

struct ExtractOutcome {
    std::vector<std::string> written; // full paths
    std::vector<std::string> skipped; // a message per entry not written
    std::string error;                // the write or read that stopped it
    bool cancelled = false;
    bool ok() const { return error.empty() && !cancelled && skipped.empty(); }
};

// Extracts the entries at indices of dir (read from packfile) into folder,
// each under ExtractionNameFor of its name and nowhere else. Every file is
// written through the atomic save, so a cancel or a failure leaves no part
// of a file behind.
ExtractOutcome ExtractEntries(const std::string& packfile, const Directory& dir,
                              const std::vector<size_t>& indices, const std::string& folder,
                              const ExtractOptions& options = {});

// Reads one entry's bytes (up to maxBytes); nothing when it cannot be read.
bool ReadEntryBytes(const std::string& packfile, const Entry& entry, uint64_t maxBytes,
                    std::string* out, std::string* error);

} // namespace qm::vpp
