#pragma once

// The one display rule for bytes that came from files, the store or the
// command line: valid UTF-8 is shown as UTF-8, anything else as Windows-1252
// (the game's data was made on Windows). The bytes themselves stay the truth;
// this is only for showing them. Qt-free, so command-line programs and the
// Windows build share it; common/qt_text.h gives the QString forms.

#include <string>
#include <string_view>

namespace qm {

bool IsValidUtf8(std::string_view bytes);

// Appends the UTF-8 of one code point; nothing for a value past U+10FFFF.
void AppendUtf8(std::string& out, char32_t u);

// Windows-1252 to UTF-8, byte by byte (the five unassigned bytes map to the
// C1 controls of the same value, as Windows' own table does).
std::string Windows1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252; false when the text is not UTF-8 or a character has
// no Windows-1252 byte.
bool Utf8ToWindows1252(std::string_view utf8, std::string* bytes);

// The display text of bytes, as UTF-8.
std::string DisplayUtf8(std::string_view bytes);

// What a field filled from original gives back: the original bytes when the
// text (UTF-8) is unchanged, else the text itself.
std::string BytesFromEditUtf8(const std::string& original, const std::string& editedUtf8);

} // namespace qm
