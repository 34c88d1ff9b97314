#include "tblview/tbl_converter.h"

#include "platform/file_system.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <istream>
#include <memory>
#include <ostream>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gridlens {

namespace {

// The page is written in binary: every line end of our own markup is spelled
// CR LF here, while a table line keeps its one CR byte.
constexpr std::string_view kPageOpen = "<html>\r\n"
                                       "<body background=white>\r\n"
                                       "<font face=\"Tahoma,Arial\" size=\"2\">\r\n";
constexpr std::string_view kPageClose = "</font>\r\n"
                                        "</body>\r\n"
                                        "</html>\r\n";
constexpr std::string_view kTopAnchor = "<a name=\"0\"></a>\r\n";
constexpr std::string_view kLineEnd = "<br>\r\n";
constexpr std::string_view kGreen = "<font color=\"008000\">";
constexpr std::string_view kFontEnd = "</font>";
constexpr std::string_view kIndent = "&nbsp;&nbsp;&nbsp;&nbsp;";
constexpr std::string_view kAnchorOpen = "<a name=\"";
constexpr std::string_view kSectionAfterNumber = "\"><font color=\"ff0000\"><b><u>";
constexpr std::string_view kSectionClose = "</u></b></font>";
constexpr std::string_view kHighlightAfterNumber = "\"><span style=\"background-color: #ffff00\">";
constexpr std::string_view kHighlightClose = "</span></a>";
constexpr std::string_view kBracketAfterHighlight = "<font color=\"ff0000\"><b>";
constexpr std::string_view kBracketClose = "</font></span></a>";
constexpr std::string_view kBlue = "<font color=\"0000ff\">";
constexpr std::string_view kBlueBold = "<font color=\"0000ff\"><b>";
constexpr std::string_view kBlueBoldEnd = "</b></font>";
static_assert(kBlue.size() == 21 && kBlueBold.size() == 24 && kBlueBoldEnd.size() == 11);

constexpr std::string_view kErrorStart =
    "<font color=red><b>ERROR:</b></font><br><br>This file is an encoded FreeSpace 1 file using "
    "<b>";
constexpr std::string_view kErrorEnd =
    " encryption</b>. Quorvel Manager GRIDLENS32 Light Edition does not directly support "
    "encrypted files. If this file is in a .VPP, extract it via PACKPEEK32 to decode it. You "
    "might need to enable decoding in the Options dialog of PACKPEEK32.<br>";

constexpr std::string_view kEmptyPage = "<html>\r\n"
                                        "<body background=white>\r\n"
                                        "</body>\r\n"
                                        "</html>\r\n";

// The block copy of plain bytes may store this far past the line's end.
constexpr size_t kCopyAhead = 16;

// Positions inside a "$" line after it got its blue prefix and "</b></font>".
constexpr size_t kKeyPos = 24;
constexpr size_t kClassNameValuePos = 47;

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Fills up to n bytes; 0 means end of input (or a read error the owner checks).
    virtual size_t read(char* buffer, size_t n) = 0;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool write(const char* data, size_t n) = 0;
};

// Collects the page in one block and hands it to the sink when full; after a
// failed write everything further is discarded and ok() stays false.
class PageWriter {
public:
    explicit PageWriter(ByteSink& sink)
        : m_sink(sink), m_buffer(std::make_unique_for_overwrite<char[]>(kPageWriteBlock))
    {
    }

    void put(std::string_view text)
    {
        if (text.size() <= kPageWriteBlock - m_used) {
            std::memcpy(m_buffer.get() + m_used, text.data(), text.size());
            m_used += text.size();
            return;
        }
        putSlow(text);
    }

    void put(const char* data, size_t n) { put(std::string_view(data, n)); }

    void putNumber(int32_t value)
    {
        char digits[16];
        auto result = std::to_chars(digits, digits + sizeof digits, value);
        put(digits, static_cast<size_t>(result.ptr - digits));
    }

    bool ok() const { return m_ok; }

    bool finish()
    {
        flush();
        return m_ok;
    }

private:
    void flush()
    {
        if (m_used > 0 && m_ok)
            m_ok = m_sink.write(m_buffer.get(), m_used);
        m_used = 0;
    }

    // Only whole blocks go out before the end: a write that starts inside a
    // page the previous write left under writeback has to wait for the disk.
    void putSlow(std::string_view text)
    {
        while (text.size() > kPageWriteBlock - m_used) {
            const size_t room = kPageWriteBlock - m_used;
            std::memcpy(m_buffer.get() + m_used, text.data(), room);
            m_used = kPageWriteBlock;
            flush();
            text.remove_prefix(room);
        }
        std::memcpy(m_buffer.get() + m_used, text.data(), text.size());
        m_used += text.size();
    }

    ByteSink& m_sink;
    std::unique_ptr<char[]> m_buffer;
    size_t m_used = 0;
    bool m_ok = true;
};

bool startsWith(const char* line, size_t n, std::string_view prefix)
{
    return n >= prefix.size() && std::memcmp(line, prefix.data(), prefix.size()) == 0;
}

// Byte classes of the line reader: everything not listed is copied as it is.
enum ByteClass : uint8_t { Plain = 0, Cr, Lf, Less, Greater, Slash, Star };

constexpr auto kByteClass = [] {
    std::array<uint8_t, 256> table{};
    table['\r'] = Cr;
    table['\n'] = Lf;
    table['<'] = Less;
    table['>'] = Greater;
    table['/'] = Slash;
    table['*'] = Star;
    return table;
}();

class Converter {
public:
    Converter(ByteSource& source, PageWriter& page, AnchorList& anchors)
        : m_source(source), m_page(page), m_anchors(anchors),
          m_chunk(std::make_unique_for_overwrite<char[]>(kTableReadBlock))
    {
    }

    void run()
    {
        m_anchors.reset();
        m_page.put(kPageOpen);

        // The first block also serves the encryption check; nothing is read twice.
        size_t n = readFull(m_chunk.get(), kTableReadBlock);
        if (std::string_view name = encryptionName(m_chunk.get(), n); !name.empty()) {
            m_page.put(kErrorStart);
            m_page.put(name);
            m_page.put(kErrorEnd);
            m_page.put(kPageClose);
            return;
        }

        m_anchors.AddAnchor("(Top)", Section);
        m_page.put(kTopAnchor);
        m_inComment = false;

        while (n > 0 && m_page.ok()) {
            consume(reinterpret_cast<const unsigned char*>(m_chunk.get()), n);
            n = m_source.read(m_chunk.get(), kTableReadBlock);
        }
        // End of file ends the last line as a CR would.
        reserveLine(m_lineLength + 1);
        m_line[m_lineLength++] = '\r';
        emitLine();
        m_page.put(kPageClose);
    }

private:
    size_t readFull(char* buffer, size_t capacity)
    {
        size_t filled = 0;
        while (filled < capacity) {
            size_t got = m_source.read(buffer + filled, capacity - filled);
            if (got == 0)
                break;
            filled += got;
        }
        return filled;
    }

    static std::string_view encryptionName(const char* data, size_t n)
    {
        if (n < 4)
            return {};
        const auto* b = reinterpret_cast<const unsigned char*>(data);
        uint32_t magic =
            uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        if (magic == 0xDEADBEEFu)
            return "iTBL";
        if (magic == 0xCACACACAu)
            return "eTBL";
        return {};
    }

    void reserveLine(size_t needed)
    {
        if (needed <= m_lineCapacity)
            return;
        size_t capacity = std::max(needed, m_lineCapacity * 2);
        auto grown = std::make_unique_for_overwrite<char[]>(capacity);
        if (m_lineLength > 0)
            std::memcpy(grown.get(), m_line.get(), m_lineLength);
        m_line = std::move(grown);
        m_lineCapacity = capacity;
    }

    // Splits a block into lines at CR and at an LF not after a CR (an LF after
    // a CR is dropped), "<" and ">" escaped on the way in,
    // "/*" and "*/" noted so the block-comment rule needs no second scan.
    void consume(const unsigned char* p, size_t n)
    {
        // An input byte grows to at most 4 line bytes ("&lt;"), and the block
        // copy below may store up to 16 bytes ahead, so one reservation covers
        // the whole block.
        reserveLine(m_lineLength + 4 * n + kCopyAhead + 1);
        const unsigned char* const blockStart = p;
        const unsigned char* end = p + n;
        char* line = m_line.get();
        char* q = line + m_lineLength;
        while (p < end) {
            copyPlainRun(p, end, q);
            if (p == end)
                break;
            const unsigned char c = *p++;
            switch (kByteClass[c]) {
            case Plain:
                *q++ = static_cast<char>(c);
                break;
            case Cr:
                *q++ = '\r';
                m_lineLength = static_cast<size_t>(q - line);
                emitLine();
                q = line;
                break;
            case Lf:
                // LF after CR belongs to the CR's line end; a lone LF (Linux
                // line ends) ends the line as a CR would.
                if ((p - 2 >= blockStart ? p[-2] : m_lastByte) == '\r')
                    break;
                *q++ = '\r';
                m_lineLength = static_cast<size_t>(q - line);
                emitLine();
                q = line;
                break;
            case Less:
                std::memcpy(q, "&lt;", 4);
                q += 4;
                break;
            case Greater:
                std::memcpy(q, "&gt;", 4);
                q += 4;
                break;
            case Slash:
                if (q > line && q[-1] == '*')
                    m_hasCommentEnd = true;
                *q++ = '/';
                break;
            case Star:
                if (q > line && q[-1] == '/')
                    m_hasCommentStart = true;
                *q++ = '*';
                break;
            default:
                break;
            }
        }
        m_lineLength = static_cast<size_t>(q - line);
        if (n > 0)
            m_lastByte = blockStart[n - 1];
    }

    // Copies bytes that need no attention 16 at a time and stops in front of
    // the first one that does (or near the end of the block, where the
    // byte-wise switch takes over).
    static void copyPlainRun(const unsigned char*& p, const unsigned char* end, char*& q)
    {
#if defined(__SSE2__)
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i lf = _mm_set1_epi8('\n');
        const __m128i less = _mm_set1_epi8('<');
        const __m128i greater = _mm_set1_epi8('>');
        const __m128i slash = _mm_set1_epi8('/');
        const __m128i star = _mm_set1_epi8('*');
        while (end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i hit = _mm_or_si128(
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)),
                             _mm_or_si128(_mm_cmpeq_epi8(v, less), _mm_cmpeq_epi8(v, greater))),
                _mm_or_si128(_mm_cmpeq_epi8(v, slash), _mm_cmpeq_epi8(v, star)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(q), v);
            const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
            if (mask != 0) {
                const int plain = __builtin_ctz(mask);
                p += plain;
                q += plain;
                return;
            }
            p += 16;
            q += 16;
        }
#else
        while (p < end && kByteClass[*p] == Plain)
            *q++ = static_cast<char>(*p++);
#endif
    }

    int32_t lastAnchor() const
    {
        return m_anchors.count() - 1;
    }

    // Writes one escaped line (ending in its CR) with the line rules.
    void emitLine()
    {
        const char* line = m_line.get();
        const size_t n = m_lineLength;
        const bool commentStart = m_hasCommentStart;
        const bool commentEnd = m_hasCommentEnd;
        m_lineLength = 0;
        m_hasCommentStart = false;
        m_hasCommentEnd = false;

        if (commentStart)
            m_inComment = true;
        if (m_inComment) {
            m_page.put(kGreen);
            m_page.put(line, n);
            m_page.put(kFontEnd);
            if (commentEnd)
                m_inComment = false;
            m_page.put(kLineEnd);
            return;
        }

        if (startsWith(line, n, "//") || startsWith(line, n, ";")) {
            m_page.put(kGreen);
            m_page.put(line, n);
            m_page.put(kFontEnd);
            m_page.put(kLineEnd);
            return;
        }

        size_t start = 0;
        if (line[0] == ' ' || line[0] == '\t') {
            // One pass of blanks, then one of TABs: "\t  x" keeps its blanks.
            while (line[start] == ' ')
                ++start;
            while (line[start] == '\t')
                ++start;
            m_page.put(kIndent); // the one fixed indent goes before everything else
        }
        // The CR is never skipped, so at least one byte remains.
        emitClassified(line + start, n - start);
        m_page.put(kLineEnd);
    }

    void emitClassified(const char* line, size_t n)
    {
        switch (line[0]) {
        case '#':
            if (!startsWith(line, n, "#End") && !startsWith(line, n, "#end"))
                m_anchors.AddAnchor(std::string_view(line, n), Section);
            m_page.put(kAnchorOpen);
            m_page.putNumber(lastAnchor());
            m_page.put(kSectionAfterNumber);
            m_page.put(line, n);
            m_page.put(kSectionClose);
            return;
        case '$':
            emitKeyLine(line, n);
            return;
        case '+':
        case '@':
            emitPlusLine(line, n);
            return;
        case '[': {
            // Characters 1 to n - 3: "[Name]" and its CR give Name.
            size_t nameLength = n > 3 ? n - 3 : 0;
            m_anchors.AddAnchor(std::string_view(line + 1, nameLength), Entry);
            m_page.put(kAnchorOpen);
            m_page.putNumber(lastAnchor());
            m_page.put(kHighlightAfterNumber);
            m_page.put(kBracketAfterHighlight);
            m_page.put(line, n);
            m_page.put(kBracketClose);
            return;
        }
        default:
            m_page.put(line, n);
            return;
        }
    }

    // "$" lines: the key up to its first colon is blue and bold; "$Name:" and
    // "$Class Name" lines become highlighted entries.
    void emitKeyLine(const char* line, size_t n)
    {
        const char* colon = static_cast<const char*>(std::memchr(line, ':', n));
        const size_t keyEnd = colon ? static_cast<size_t>(colon - line) + 1 : n;

        if (startsWith(line, n, "$Name:") || startsWith(line, n, "$name:")) {
            // The colon is at 5, so the value starts at 24 + 6 + 11 = 41 of the
            // wrapped line: everything after "$Name:".
            m_anchors.AddAnchor(std::string_view(line + 6, n - 6), Entry);
            m_page.put(kAnchorOpen);
            m_page.putNumber(lastAnchor());
            m_page.put(kHighlightAfterNumber);
            putKey(line, n, keyEnd);
            m_page.put(kHighlightClose);
            return;
        }
        if (startsWith(line, n, "$Class Name")) {
            // The name is taken at a fixed place of the wrapped line; without a
            // colon right after the key it is whatever stands there (or nothing).
            m_wrapped.assign(kBlueBold);
            m_wrapped.append(line, keyEnd);
            m_wrapped.append(kBlueBoldEnd);
            m_wrapped.append(line + keyEnd, n - keyEnd);
            std::string_view wrapped = m_wrapped;
            std::string_view name = wrapped.size() > kClassNameValuePos
                                        ? wrapped.substr(kClassNameValuePos)
                                        : std::string_view();
            m_anchors.AddAnchor(name, Entry);
            m_page.put(kAnchorOpen);
            m_page.putNumber(lastAnchor());
            m_page.put(kHighlightAfterNumber);
            m_page.put(wrapped);
            m_page.put(kHighlightClose);
            return;
        }
        putKey(line, n, keyEnd);
    }

    void putKey(const char* line, size_t n, size_t keyEnd)
    {
        static_assert(kKeyPos == kBlueBold.size());
        m_page.put(kBlueBold);
        m_page.put(line, keyEnd);
        m_page.put(kBlueBoldEnd);
        m_page.put(line + keyEnd, n - keyEnd);
    }

    // "+" and "@" lines: blue up to the first colon, else up to and including
    // the first blank, else the whole line.
    void emitPlusLine(const char* line, size_t n)
    {
        const char* split = static_cast<const char*>(std::memchr(line, ':', n));
        if (!split)
            split = static_cast<const char*>(std::memchr(line, ' ', n));
        const size_t keyEnd = split ? static_cast<size_t>(split - line) + 1 : n;
        m_page.put(kBlue);
        m_page.put(line, keyEnd);
        m_page.put(kFontEnd);
        m_page.put(line + keyEnd, n - keyEnd);
    }

    ByteSource& m_source;
    PageWriter& m_page;
    AnchorList& m_anchors;
    std::unique_ptr<char[]> m_chunk;
    std::unique_ptr<char[]> m_line;
    size_t m_lineLength = 0;
    size_t m_lineCapacity = 0;
    bool m_hasCommentStart = false;
    bool m_hasCommentEnd = false;
    bool m_inComment = false;
    unsigned char m_lastByte = 0; // the previous block's last byte
    std::string m_wrapped;
};

class StreamSource : public ByteSource {
public:
    explicit StreamSource(std::istream& in) : m_in(in) {}
    size_t read(char* buffer, size_t n) override
    {
        if (!m_in)
            return 0;
        m_in.read(buffer, static_cast<std::streamsize>(n));
        return static_cast<size_t>(m_in.gcount());
    }

private:
    std::istream& m_in;
};

class StreamSink : public ByteSink {
public:
    explicit StreamSink(std::ostream& out) : m_out(out) {}
    bool write(const char* data, size_t n) override
    {
        m_out.write(data, static_cast<std::streamsize>(n));
        return static_cast<bool>(m_out);
    }

private:
    std::ostream& m_out;
};

class FileSource : public ByteSource {
public:
    FileSource(qm::fs::ReadFile& file, const ConvertProgress& progress)
        : m_file(file), m_progress(progress)
    {
    }
    size_t read(char* buffer, size_t n) override
    {
        const size_t got = m_file.read(buffer, n);
        m_done += got;
        if (m_progress)
            m_progress(m_done, m_file.size());
        return got;
    }
    // The facade's read gives 0 at the end and on an error alike: a table
    // that ends before its size was read could not be read.
    bool failed() const { return m_done < m_file.size(); }

private:
    qm::fs::ReadFile& m_file;
    const ConvertProgress& m_progress;
    uint64_t m_done = 0;
};

class SaveSink : public ByteSink {
public:
    explicit SaveSink(qm::fs::AtomicSave& out) : m_out(out) {}
    bool write(const char* data, size_t n) override { return m_out.write(data, n); }

private:
    qm::fs::AtomicSave& m_out;
};

void setError(std::string* error, const std::string& text)
{
    if (error)
        *error = text;
}

} // namespace

void ConvertTable(std::istream& table, std::ostream& page, AnchorList& anchors)
{
    StreamSource source(table);
    StreamSink sink(page);
    PageWriter writer(sink);
    Converter(source, writer, anchors).run();
    writer.finish();
}

bool ConvertTableFile(const std::string& tablePath, const std::string& pagePath,
                      AnchorList& anchors, std::string* error, const ConvertProgress& progress)
{
    // Regular files only: a FIFO named like a table must not block the load.
    qm::fs::ReadFile table;
    if (!table.open(tablePath)) {
        setError(error, "Cannot open " + table.error());
        return false;
    }
    // The page goes beside its final place and replaces it only when whole, so
    // a failed load keeps the previous page, and a link planted at the page's
    // path is replaced, never written through.
    qm::fs::AtomicSave part(pagePath);
    if (!part.isOpen()) {
        setError(error, "Cannot create \"" + pagePath + "\": " + part.error());
        return false;
    }

    AnchorList converted;
    FileSource source(table, progress);
    SaveSink sink(part);
    PageWriter writer(sink);
    Converter(source, writer, converted).run();
    const bool written = writer.finish();
    if (source.failed()) {
        part.cancel();
        setError(error, "Cannot read \"" + tablePath + "\"");
        return false;
    }
    if (!written || !part.commit()) {
        setError(error, "Cannot write \"" + pagePath + "\": " + part.error());
        return false;
    }
    anchors.swap(converted);
    return true;
}

std::string_view EmptyPageText()
{
    return kEmptyPage;
}

bool WriteEmptyPage(const std::string& pagePath)
{
    return qm::fs::SaveFileAtomic(pagePath, kEmptyPage);
}

} // namespace gridlens
