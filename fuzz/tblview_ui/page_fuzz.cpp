// The page view's reader on any bytes: as a page of its own, and as the page
// the converter makes of them. Every line is read back, so the index and the
// line reader must agree on every byte.
#include "tblview/anchor_list.h"
#include "tblview/tbl_converter.h"
#include "tblview/ui/page_document.h"

#include <cstdint>
#include <sstream>
#include <string>

namespace {
void readAll(const std::string& page)
{
    gridlens::PageDocument doc;
    doc.setPage(page);
    QString text;
    QList<QTextLayout::FormatRange> formats;
    for (int i = 0; i < doc.lineCount(); ++i) {
        doc.lineContent(i, text, formats);
        for (const auto& f : formats)
            if (f.start < 0 || f.length <= 0 || f.start + f.length > text.size())
                __builtin_trap();
    }
    for (int i = 0; i < 20; ++i) {
        const int line = doc.lineOfAnchor(std::to_string(i));
        if (line >= doc.lineCount())
            __builtin_trap();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    readAll(bytes);
    std::istringstream in(bytes);
    std::ostringstream out;
    gridlens::AnchorList anchors;
    gridlens::ConvertTable(in, out, anchors);
    readAll(out.str());
    return 0;
}
