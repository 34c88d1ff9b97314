#include "common/display_text.h"

#include <array>

namespace qm {

namespace {

// 0x80..0x9F; the rest of Windows-1252 is Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Length of the valid UTF-8 sequence at i, or 0.
size_t sequenceAt(std::string_view bytes, size_t i)
{
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80)
        return 1;
    size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        if (c == 0xE0)
            lo = 0xA0; // overlong
        if (c == 0xED)
            hi = 0x9F; // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        if (c == 0xF0)
            lo = 0x90;
        if (c == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (i + len > bytes.size())
        return 0;
    for (size_t k = 1; k < len; ++k) {
        const auto d = static_cast<unsigned char>(bytes[i + k]);
        if (d < (k == 1 ? lo : 0x80) || d > (k == 1 ? hi : 0xBF))
            return 0;
    }
    return len;
}

} // namespace

void AppendUtf8(std::string& out, char32_t u)
{
    if (u < 0x80) {
        out.push_back(static_cast<char>(u));
    } else if (u < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (u >> 6)));
        out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else if (u < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (u >> 12)));
        out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else if (u < 0x110000) {
        out.push_back(static_cast<char>(0xF0 | (u >> 18)));
        out.push_back(static_cast<char>(0x80 | ((u >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((u >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
}

bool IsValidUtf8(std::string_view bytes)
{
    for (size_t i = 0; i < bytes.size();) {
        const size_t len = sequenceAt(bytes, i);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

std::string Windows1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        AppendUtf8(out, (c >= 0x80 && c < 0xA0) ? kHigh[c - 0x80] : c);
    }
    return out;
}

bool Utf8ToWindows1252(std::string_view utf8, std::string* bytes)
{
    bytes->clear();
    for (size_t i = 0; i < utf8.size();) {
        const size_t len = sequenceAt(utf8, i);
        if (len == 0)
            return false;
        char32_t u = static_cast<unsigned char>(utf8[i]);
        if (len > 1) {
            u &= 0x7F >> len;
            for (size_t k = 1; k < len; ++k)
                u = (u << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += len;
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes->push_back(static_cast<char>(u));
            continue;
        }
        size_t k = 0;
        while (k < kHigh.size() && kHigh[k] != u)
            ++k;
        if (k == kHigh.size())
            return false;
        bytes->push_back(static_cast<char>(0x80 + k));
    }
    return true;
}

std::string DisplayUtf8(std::string_view bytes)
{
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return Windows1252ToUtf8(bytes);
}

std::string BytesFromEditUtf8(const std::string& original, const std::string& editedUtf8)
{
    return editedUtf8 == DisplayUtf8(original) ? original : editedUtf8;
}

} // namespace qm
