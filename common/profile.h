#pragma once

#include <string>
#include <vector>

namespace qm {

// A text value keeps at most this many characters (an 8191-character buffer
// with its terminating zero).
inline constexpr size_t kProfileValueMax = 8190;

// One INI file read once, answered with the rules of the Windows profile
// functions: section and key names compared without regard to ASCII case, the
// first matching section and, in it, the first matching key win; a value is
// the text after the first "=" with surrounding blanks removed. A file that is
// missing or cannot be read answers every question with its default.
class ProfileFile {
public:
    explicit ProfileFile(const std::string& path);
    // Parses text as the contents of a file (for fuzzing and callers that
    // already hold the bytes).
    static ProfileFile fromText(const std::string& text);

    bool readable() const { return m_readable; }

    // GetPrivateProfileString: the value, or def when the key is missing;
    // either is cut to kProfileValueMax characters.
    std::string string(const std::string& section, const std::string& key,
                       const std::string& def) const;
    // GetPrivateProfileInt: the leading decimal number of the value (leading
    // blanks and one sign allowed; no digits give 0; out of range saturates),
    // def when the key is missing or its value empty.
    int integer(const std::string& section, const std::string& key, int def = 0) const;

    // The suite's reading rule: a stored "$" reads as "" when def is "".
    std::string text(const std::string& section, const std::string& key,
                     const std::string& def) const;
    // A numbered list: "Num" entries under the keys "1".."Num" ("%i"), each
    // read with text(); a missing entry reads as entryDef. "Num" missing or
    // not positive gives an empty list. The list is cut after maxEntries.
    std::vector<std::string> list(const std::string& section, const std::string& entryDef,
                                  int maxEntries = kListMax) const;

    static constexpr int kListMax = 65536;

private:
    ProfileFile() = default;
    void parse(const std::string& text);
    const std::string* find(const std::string& section, const std::string& key) const;

    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    std::vector<Section> m_sections;
    bool m_readable = false;
};

// The Windows-named calls; each reads the file anew, as the platform does.
std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, const std::string& path);
int GetPrivateProfileInt(const std::string& section, const std::string& key, int def,
                         const std::string& path);

// The suite's readers (text with the "$" rule, integer with default 0, list).
std::string ReadProfileText(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& def = std::string());
int ReadProfileInt(const std::string& path, const std::string& section, const std::string& key);
std::vector<std::string> ReadProfileList(const std::string& path, const std::string& section,
                                         const std::string& entryDef = std::string());

// Leading decimal number with blanks and one sign, saturating; 0 without digits.
int ParseLeadingInt(const std::string& text);

} // namespace qm
