#pragma once

// QString forms of the display rule in common/display_text.h.

#include "common/display_text.h"

#include <QString>

namespace qm {

QString DisplayText(std::string_view bytes);
QString FromWindows1252(std::string_view bytes);
// False when a character has no Windows-1252 byte.
bool ToWindows1252(const QString& text, std::string* bytes);
// The original bytes when edited is the unchanged display text, else UTF-8.
std::string BytesFromEdit(const std::string& original, const QString& edited);

} // namespace qm
