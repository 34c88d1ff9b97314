#pragma once

#include "tblview/anchor_list.h"

#include <cstddef>
#include <iosfwd>
#include <string>

namespace gridlens {

// Block sizes of ConvertTableFile's reads and page writes.
inline constexpr size_t kTableReadBlock = 256 * 1024;
inline constexpr size_t kPageWriteBlock = 256 * 1024;

// Converts a table (raw 8-bit bytes) into the colourised HTML page and fills
// anchors (reset first). `page` receives bytes exactly as they go to the page
// file: line ends of the page's own markup are CR LF, a table line keeps its
// single CR. Open `page` in binary mode.
void ConvertTable(std::istream& table, std::ostream& page, AnchorList& anchors);

// The document's load: converts the file at tablePath into the page at
// pagePath. The page is written beside its final place and moved over it only
// when the whole conversion succeeded, and anchors changes only then, so a
// failed load leaves the previous page and anchor list as they were.
// Returns false (with a message in *error when error is not null) when the
// table cannot be opened or read, or the page cannot be written.
bool ConvertTableFile(const std::string& tablePath, const std::string& pagePath,
                      AnchorList& anchors, std::string* error);

// The empty white page the document writes when it is created.
// Returns false when the file cannot be created or written.
bool WriteEmptyPage(const std::string& pagePath);

} // namespace gridlens
