// A small strict JSON reader for the virtual radio's own input files. The radio links no JSON
// library, and the files it reads are small and written by hand, so a bounded recursive reader
// with a precise "line L, column C" message is all it needs.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kavrin::sim {

struct JsonValue {
    using Array = std::vector<JsonValue>;
    using Object = std::map<std::string, JsonValue, std::less<>>;
    std::variant<std::nullptr_t, bool, double, std::string, Array, Object> value;
    // Where the value starts in the text, for messages about its meaning.
    std::size_t line = 1;
    std::size_t column = 1;

    const Array* array() const { return std::get_if<Array>(&value); }
    const Object* object() const { return std::get_if<Object>(&value); }
    const double* number() const { return std::get_if<double>(&value); }
};

// Nesting deeper than this is refused rather than followed, so no text can exhaust the stack.
inline constexpr std::size_t kMaxJsonDepth = 32;

// Parses one JSON text (RFC 8259, without extensions: no comments, no trailing commas, no
// duplicate keys, no NaN). Returns nothing and sets error, with the line and column, otherwise.
std::optional<JsonValue> parseJson(std::string_view text, std::string& error);

} // namespace kavrin::sim
