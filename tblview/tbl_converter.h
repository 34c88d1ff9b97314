#pragma once

#include "tblview/anchor_list.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace gridlens {

// Block sizes of ConvertTableFile's reads and page writes.
inline constexpr size_t kTableReadBlock = 256 * 1024;
inline constexpr size_t kPageWriteBlock = 256 * 1024;

// Converts a table (raw 8-bit bytes) into the colourised HTML page and fills
// anchors (reset first). A line ends at a CR, a CR LF or a lone LF; an LF-only
// table gives the page of the same table with CR LF line ends. `page` receives bytes exactly as
// they go to the page file: line ends of the page's own markup are CR LF, a table line keeps its
// single CR. Open `page` in binary mode.
void ConvertTable(std::istream& table, std::ostream& page, AnchorList& anchors);

// Told after every block read: bytes read so far, and the table's size.
using ConvertProgress = std::function<void(uint64_t done, uint64_t total)>;

// The document's load: converts the file at tablePath into the page at
// pagePath. The page is written beside its final place and moved over it only
// when the whole conversion succeeded, and anchors changes only then, so a
// failed load leaves the previous page and anchor list as they were.
// Only a regular file is read (a FIFO or device is refused, never waited on).
// Returns false (with a message in *error when error is not null) when the
// table cannot be opened or read, or the page cannot be written.
bool ConvertTableFile(const std::string& tablePath, const std::string& pagePath,
                      AnchorList& anchors, std::string* error,
                      const ConvertProgress& progress = {});

// The bytes of the empty white page.
std::string_view EmptyPageText();

// The empty white page the document writes when it is created.
// Returns false when the file cannot be created or written.
bool WriteEmptyPage(const std::string& pagePath);

} // namespace gridlens
