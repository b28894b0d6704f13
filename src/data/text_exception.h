// The failure of an identity check or a point mapping: a detail text for logs; the user sees the
// fixed message of the flow that catches it.
#pragma once

#include <string>

namespace kavrin {

class textException {
public:
    explicit textException(std::string text) : text_(std::move(text)) {}
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

} // namespace kavrin
