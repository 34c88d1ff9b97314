#pragma once

// A small reader of JSON documents (the Heroic launcher's files): strict
// syntax, strings kept as UTF-8 bytes, nesting bounded so hostile input
// cannot exhaust the stack.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace playdeck {

struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    std::string text;               // a string's UTF-8, a number's spelling, "true"/"false"
    std::vector<JsonValue> items;   // an array's items, an object's member values
    std::vector<std::string> names; // an object's member names, beside items

    // The member of this name (the last, as most readers do), else nullptr.
    const JsonValue* member(std::string_view name) const;
    // A string's text; "" for anything else.
    std::string string() const { return kind == Kind::String ? text : std::string(); }
};

// The document, or nothing when it is not well-formed JSON.
std::optional<JsonValue> ParseJson(std::string_view text);

} // namespace playdeck
