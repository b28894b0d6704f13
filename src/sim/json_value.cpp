// The recursive-descent JSON reader behind parseJson.
#include "sim/json_value.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kavrin::sim {

namespace {

inline constexpr unsigned kFirstPrintable = 0x20;
inline constexpr unsigned kHighSurrogateFirst = 0xD800;
inline constexpr unsigned kLowSurrogateFirst = 0xDC00;
inline constexpr unsigned kSurrogateEnd = 0xE000;

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {
        lineStarts_.push_back(0);
        for (std::size_t i = 0; i < text_.size(); ++i) {
            if (text_[i] == '\n') {
                lineStarts_.push_back(i + 1);
            }
        }
    }

    std::optional<JsonValue> document(std::string& error) {
        JsonValue root;
        bool ok = value(root, 0);
        skipSpace();
        if (ok && pos_ != text_.size()) {
            ok = fail("unexpected text after the value");
        }
        if (!ok) {
            error = message_;
            return std::nullopt;
        }
        return root;
    }

private:
    // Records the first failure at the current position; always false, for `return fail(...)`.
    bool fail(std::string_view what) {
        if (message_.empty()) {
            JsonValue here;
            locate(here);
            message_ = "line " + std::to_string(here.line) + ", column " +
                       std::to_string(here.column) + ": " + std::string(what);
        }
        return false;
    }

    void skipSpace() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\n' || text_[pos_] == '\r')) {
            ++pos_;
        }
    }

    bool at(char c) const { return pos_ < text_.size() && text_[pos_] == c; }

    void locate(JsonValue& out) const {
        const auto next = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), pos_);
        const auto line = static_cast<std::size_t>(next - lineStarts_.begin());
        out.line = line;
        out.column = pos_ - lineStarts_[line - 1] + 1;
    }

    // Each returns false after a failure has been recorded.
    bool value(JsonValue& out, std::size_t depth) {
        skipSpace();
        if (depth > kMaxJsonDepth) {
            return fail("nested too deeply");
        }
        locate(out);
        if (pos_ >= text_.size()) {
            return fail("unexpected end of text, expected a value");
        }
        switch (text_[pos_]) {
        case '{':
            return object(out, depth);
        case '[':
            return array(out, depth);
        case '"': {
            std::string text;
            if (!string(text)) {
                return false;
            }
            out.value = std::move(text);
            return true;
        }
        case 't':
            return literal("true", out, true);
        case 'f':
            return literal("false", out, false);
        case 'n':
            return literal("null", out, nullptr);
        default:
            return number(out);
        }
    }

    template <typename T> bool literal(std::string_view word, JsonValue& out, T result) {
        if (text_.substr(pos_, word.size()) != word) {
            return fail("expected a value");
        }
        pos_ += word.size();
        out.value = result;
        return true;
    }

    bool digits() {
        const auto start = pos_;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            ++pos_;
        }
        return pos_ != start;
    }

    bool number(JsonValue& out) {
        const auto start = pos_;
        if (at('-')) {
            ++pos_;
        }
        if (at('0')) {
            ++pos_;
        } else if (!digits()) {
            pos_ = start;
            return fail("expected a value");
        }
        if (at('.')) {
            ++pos_;
            if (!digits()) {
                return fail("expected digits after the decimal point");
            }
        }
        if (at('e') || at('E')) {
            ++pos_;
            if (at('+') || at('-')) {
                ++pos_;
            }
            if (!digits()) {
                return fail("expected digits in the exponent");
            }
        }
        const std::string copy(text_.substr(start, pos_ - start));
        const double parsed = std::strtod(copy.c_str(), nullptr);
        if (!std::isfinite(parsed)) {
            pos_ = start;
            return fail("number out of range");
        }
        out.value = parsed;
        return true;
    }

    bool hex4(unsigned& out) {
        out = 0;
        for (int i = 0; i < 4; ++i, ++pos_) {
            if (pos_ >= text_.size()) {
                return fail("unexpected end of text in an escape");
            }
            const char c = text_[pos_];
            unsigned digit = 0;
            if (c >= '0' && c <= '9') {
                digit = static_cast<unsigned>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                digit = static_cast<unsigned>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                digit = static_cast<unsigned>(c - 'A' + 10);
            } else {
                return fail("expected four hex digits after \\u");
            }
            out = out * 16 + digit;
        }
        return true;
    }

    static void appendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }

    bool escape(std::string& out) {
        if (pos_ >= text_.size()) {
            return fail("unexpected end of text in an escape");
        }
        const char c = text_[pos_++];
        switch (c) {
        case '"':
        case '\\':
        case '/':
            out.push_back(c);
            return true;
        case 'b':
            out.push_back('\b');
            return true;
        case 'f':
            out.push_back('\f');
            return true;
        case 'n':
            out.push_back('\n');
            return true;
        case 'r':
            out.push_back('\r');
            return true;
        case 't':
            out.push_back('\t');
            return true;
        case 'u':
            break;
        default:
            --pos_;
            return fail("unknown escape");
        }
        unsigned code = 0;
        if (!hex4(code)) {
            return false;
        }
        if (code >= kHighSurrogateFirst && code < kLowSurrogateFirst) {
            unsigned low = 0;
            if (text_.substr(pos_, 2) != "\\u") {
                return fail("unpaired surrogate in an escape");
            }
            pos_ += 2;
            if (!hex4(low)) {
                return false;
            }
            if (low < kLowSurrogateFirst || low >= kSurrogateEnd) {
                return fail("unpaired surrogate in an escape");
            }
            code = 0x10000 + ((code - kHighSurrogateFirst) << 10) + (low - kLowSurrogateFirst);
        } else if (code >= kLowSurrogateFirst && code < kSurrogateEnd) {
            return fail("unpaired surrogate in an escape");
        }
        appendUtf8(out, code);
        return true;
    }

    bool string(std::string& out) {
        ++pos_; // the opening quote
        for (;;) {
            if (pos_ >= text_.size()) {
                return fail("unterminated string");
            }
            const char c = text_[pos_];
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (static_cast<unsigned char>(c) < kFirstPrintable) {
                return fail("control character in a string");
            }
            ++pos_;
            if (c == '\\') {
                if (!escape(out)) {
                    return false;
                }
            } else {
                out.push_back(c);
            }
        }
    }

    bool array(JsonValue& out, std::size_t depth) {
        ++pos_;
        JsonValue::Array items;
        skipSpace();
        if (at(']')) {
            ++pos_;
            out.value = std::move(items);
            return true;
        }
        for (;;) {
            JsonValue item;
            if (!value(item, depth + 1)) {
                return false;
            }
            items.push_back(std::move(item));
            skipSpace();
            if (at(',')) {
                ++pos_;
                continue;
            }
            if (at(']')) {
                ++pos_;
                out.value = std::move(items);
                return true;
            }
            return fail("expected ',' or ']'");
        }
    }

    bool object(JsonValue& out, std::size_t depth) {
        ++pos_;
        JsonValue::Object members;
        skipSpace();
        if (at('}')) {
            ++pos_;
            out.value = std::move(members);
            return true;
        }
        for (;;) {
            skipSpace();
            if (!at('"')) {
                return fail("expected a member name in quotes");
            }
            const auto keyAt = pos_;
            std::string key;
            if (!string(key)) {
                return false;
            }
            skipSpace();
            if (!at(':')) {
                return fail("expected ':'");
            }
            ++pos_;
            JsonValue member;
            if (!value(member, depth + 1)) {
                return false;
            }
            if (members.contains(key)) {
                pos_ = keyAt;
                return fail("duplicate member '" + key + "'");
            }
            members.emplace(std::move(key), std::move(member));
            skipSpace();
            if (at(',')) {
                ++pos_;
                continue;
            }
            if (at('}')) {
                ++pos_;
                out.value = std::move(members);
                return true;
            }
            return fail("expected ',' or '}'");
        }
    }

    std::string_view text_;
    std::vector<std::size_t> lineStarts_; // offsets where each line begins, for messages
    std::size_t pos_ = 0;
    std::string message_;
};

} // namespace

std::optional<JsonValue> parseJson(std::string_view text, std::string& error) {
    return Parser(text).document(error);
}

} // namespace kavrin::sim
