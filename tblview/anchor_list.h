#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gridlens {

enum AnchorKind : int32_t { Section = 0, Entry = 1 };

// The anchors of one converted table: anchor i is the page's <a name="i">.
// Capacity is fixed; slots at or beyond count() keep stale names from an
// earlier conversion and must not be read.
class AnchorList {
public:
    static constexpr int32_t kCapacity = 16384;

    AnchorList();

    int32_t count() const { return m_count; }
    bool isFull() const { return m_count >= kCapacity; }
    // Valid for 0 <= index < count(); anything else gives an empty name / Section.
    const std::string& name(int32_t index) const;
    AnchorKind kind(int32_t index) const;

    // Cleans the raw label (leading '#', BEL, TABs, blanks and quotes; trailing
    // CRs and quotes; cut at ';' or else "//"; trailing TABs; TABs to blanks)
    // and appends it. Once the list is full the anchor is dropped silently.
    void AddAnchor(std::string_view name, AnchorKind kind);

    // Starts a new conversion: count becomes 0, the slots keep their storage.
    void reset() { m_count = 0; }

    void swap(AnchorList& other) noexcept;

private:
    int32_t m_count = 0;
    std::vector<std::string> m_names;
    std::vector<AnchorKind> m_kinds;
};

} // namespace gridlens
