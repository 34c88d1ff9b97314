#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace gridlens {

struct FindOptions {
    bool matchCase = false;
    // A match must not touch letters, digits, '_' or non-ASCII bytes on either side.
    bool wholeWord = false;
};

// Finds needle (UTF-8) in text (UTF-8). Without matchCase, ASCII letters and
// the Latin-1 letters (À-Þ / à-þ) match either case. Forward: the first match
// starting at or after from; backward: the last match ending at or before
// from. npos when there is none or needle is empty.
size_t FindText(std::string_view text, std::string_view needle, size_t from,
                const FindOptions& options, bool backward = false);

// Every match from the start, not overlapping.
size_t CountMatches(std::string_view text, std::string_view needle, const FindOptions& options);

} // namespace gridlens
