// Differential fuzzing of the streaming converter against the literal
// transcription of the table rules: pages and anchor lists must be identical.

#include "tblview/tbl_converter.h"
#include "tests/tblview/literal_converter.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static gridlens::AnchorList fast;
    static gridlens::AnchorList literal;

    const std::string table(reinterpret_cast<const char*>(data), size);
    std::istringstream in(table, std::ios::binary);
    std::ostringstream out(std::ios::binary);
    gridlens::ConvertTable(in, out, fast);

    if (out.str() != gridlens::test::LiteralConvert(table, literal))
        std::abort();
    if (fast.count() != literal.count())
        std::abort();
    for (int32_t i = 0; i < fast.count(); ++i)
        if (fast.name(i) != literal.name(i) || fast.kind(i) != literal.kind(i))
            std::abort();
    return 0;
}
