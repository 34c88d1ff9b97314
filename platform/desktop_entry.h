#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qm {

// One Exec argument quoted by the Desktop Entry rules: "%" doubled as a
// literal percent; an argument with a reserved character (or an empty one)
// goes in double quotes, inside which " ` $ \ take a backslash.
std::string QuoteExecArgument(const std::string& arg);

// The escapes of a Desktop Entry string value (\\ \n \t \r, a leading blank
// as \s), applied to a whole value such as Exec after its quoting.
std::string EscapeDesktopValue(const std::string& value);

// Key files (.desktop, mimeapps.list) edited as text, so every line the
// editor does not own stays as it was: comments, other groups, other keys.

// The raw value of key in [group], or nothing. Keys compare exactly, as the
// format says; "Key[lang]" is a different key.
std::optional<std::string> KeyFileValue(const std::string& text, const std::string& group,
                                        const std::string& key);
// Replaces the first "key=" line of [group] (dropping later duplicates) or
// appends it at the group's end; a missing group is added at the end.
std::string SetKeyFileValue(const std::string& text, const std::string& group,
                            const std::string& key, const std::string& value);
// Drops every "key=" line of [group].
std::string RemoveKeyFileValue(const std::string& text, const std::string& group,
                               const std::string& key);

// The keys of [group], in file order, each once.
std::vector<std::string> KeyFileKeys(const std::string& text, const std::string& group);
// True when the text holds nothing but group lines and blank lines.
bool KeyFileIsEmpty(const std::string& text);

// A ";"-separated list value split into its items (empty items dropped).
std::vector<std::string> SplitKeyFileList(const std::string& value);

} // namespace qm
