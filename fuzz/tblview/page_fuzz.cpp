// The page index on any bytes: as a page of its own, and as the page the
// converter makes of them. Every line is read back, so the index and the line
// reader must agree on every byte; the search text is searched for a piece of
// the input and checked against a plain scan.
#include "tblview/anchor_list.h"
#include "tblview/page_index.h"
#include "tblview/tbl_converter.h"
#include "tblview/text_search.h"

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>

namespace {

void readAll(const std::string& page, const std::string& needle)
{
    gridlens::PageIndex doc;
    doc.setPage(page);
    std::string text;
    std::vector<gridlens::StyledRun> runs;
    for (int i = 0; i < doc.lineCount(); ++i) {
        doc.lineContent(i, text, &runs);
        uint32_t next = 0;
        for (const auto& r : runs) {
            if (r.start != next || r.length == 0)
                __builtin_trap();
            next = r.start + r.length;
        }
        if (next != text.size() || doc.lineText(i) != text)
            __builtin_trap(); // the plain text (search, columns) is the text shown
    }
    for (int i = 0; i < 20; ++i) {
        const int line = doc.lineOfAnchor(std::to_string(i));
        if (line >= doc.lineCount())
            __builtin_trap();
    }
    const std::string& all = doc.searchText().text;
    const size_t found = gridlens::FindText(all, needle, 0, {true, false});
    if (!needle.empty() && found != all.find(needle))
        __builtin_trap();
    const size_t back = gridlens::FindText(all, needle, all.size(), {false, true}, true);
    if (back != std::string::npos && doc.searchText().lineOf(back) >= doc.lineCount())
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string needle = bytes.substr(0, std::min<size_t>(size, 1 + size % 5));
    readAll(bytes, needle);
    std::istringstream in(bytes);
    std::ostringstream out;
    gridlens::AnchorList anchors;
    gridlens::ConvertTable(in, out, anchors);
    readAll(out.str(), needle);
    return 0;
}
