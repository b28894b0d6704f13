// Frame encoding and the validated decoder of the radio wire protocol.
#include "link/frame.h"

#include "link/crc16.h"

#include <algorithm>
#include <string>

namespace kavrin::wire {

std::vector<std::uint8_t> encodeFrame(std::uint8_t sequence, std::uint8_t kind,
                                      std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> out;
    out.reserve(kHeaderSize + payload.size() + kTrailerSize);
    out.push_back(kStart0);
    out.push_back(kStart1);
    out.push_back(sequence);
    out.push_back(kind);
    putLe16(out, static_cast<std::uint16_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    const auto crc = crc16(std::span(out).subspan(2));
    putLe16(out, crc);
    return out;
}

std::string_view describe(DecodeResult result) {
    switch (result) {
    case DecodeResult::NeedMore:
        return "incomplete";
    case DecodeResult::Frame:
        return "frame";
    case DecodeResult::BadCrc:
        return "CRC mismatch";
    case DecodeResult::TooLong:
        return "frame too long";
    }
    return "unknown";
}

void FrameDecoder::feed(std::span<const std::uint8_t> bytes) {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    dropLeadingGarbage();
}

void FrameDecoder::dropLeadingGarbage() {
    // Keep a lone trailing kStart0: it may be the first half of a marker still in flight.
    std::size_t i = 0;
    while (i < buffer_.size()) {
        if (buffer_[i] == kStart0 && (i + 1 == buffer_.size() || buffer_[i + 1] == kStart1)) {
            break;
        }
        ++i;
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(i));
}

void FrameDecoder::abandonCandidate() {
    if (!buffer_.empty()) {
        buffer_.erase(buffer_.begin());
    }
    dropLeadingGarbage();
}

DecodeResult FrameDecoder::next(Frame& frame) {
    dropLeadingGarbage();
    if (buffer_.size() < kHeaderSize) {
        return DecodeResult::NeedMore;
    }
    const std::size_t length = getLe16(buffer_, 4);
    if (length > kMaxPayload) {
        buffer_.erase(buffer_.begin());
        return DecodeResult::TooLong;
    }
    const std::size_t total = kHeaderSize + length + kTrailerSize;
    if (buffer_.size() < total) {
        return DecodeResult::NeedMore;
    }
    const std::span<const std::uint8_t> whole(buffer_.data(), total);
    const auto expected = getLe16(whole, kHeaderSize + length);
    if (crc16(whole.subspan(2, kHeaderSize - 2 + length)) != expected) {
        buffer_.erase(buffer_.begin());
        return DecodeResult::BadCrc;
    }
    frame.sequence = whole[2];
    frame.kind = whole[3];
    frame.payload.assign(whole.begin() + kHeaderSize,
                         whole.begin() + static_cast<std::ptrdiff_t>(kHeaderSize + length));
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(total));
    return DecodeResult::Frame;
}

std::string hexDump(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i != 0) {
            out.push_back(' ');
        }
        out.push_back(kDigits[bytes[i] >> 4]);
        out.push_back(kDigits[bytes[i] & 0x0F]);
    }
    return out;
}

} // namespace kavrin::wire
