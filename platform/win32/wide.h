#pragma once

// Where bytes meet the wide Windows API. Bytes become UTF-16 by the display
// rule: valid UTF-8 as UTF-8, anything else as Windows-1252, so a game folder
// or level name made on Windows arrives as the characters it was made with.
// What Windows hands back goes out as UTF-8, which maps back to the same
// wide text.

#include <string>
#include <string_view>

namespace qm::win32 {

std::wstring Wide(std::string_view bytes);
std::string Bytes(std::wstring_view wide);

// The text of a Windows error code, without the trailing line end.
std::string ErrorText(unsigned long code);
// "what: <text of GetLastError()>"
std::string LastErrorText(const std::string& what);

} // namespace qm::win32
