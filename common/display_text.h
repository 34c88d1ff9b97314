#pragma once

// The one display rule for bytes that came from files, the store or the
// command line: valid UTF-8 is shown as UTF-8, anything else as Windows-1252
// (the game's data was made on Windows). The bytes themselves stay the truth;
// this is only for showing them.

#include <QString>
#include <string>
#include <string_view>

namespace qm {

bool IsValidUtf8(std::string_view bytes);

// Windows-1252 to Unicode, byte by byte (the five unassigned bytes map to the
// C1 controls of the same value, as Windows' own table does).
QString FromWindows1252(std::string_view bytes);

// Unicode to Windows-1252; false when a character has no Windows-1252 byte.
bool ToWindows1252(const QString& text, std::string* bytes);

QString DisplayText(std::string_view bytes);

// What a field filled from original gives back: the original bytes when the
// text is unchanged, else the new text as UTF-8.
std::string BytesFromEdit(const std::string& original, const QString& edited);

} // namespace qm
