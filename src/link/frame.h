// Framing of the radio wire protocol: encoding a frame and one validated decode per frame.
// The layout is documented in docs/wire-protocol.md; the radio firmware and the virtual radio
// share this code path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kavrin::wire {

inline constexpr std::uint8_t kStart0 = 0xA5;
inline constexpr std::uint8_t kStart1 = 0x5A;
inline constexpr std::size_t kHeaderSize = 6;  // start marker, sequence, kind, length (2)
inline constexpr std::size_t kTrailerSize = 2; // CRC-16
inline constexpr std::size_t kMaxData = 1024;  // codeplug bytes carried by one frame
inline constexpr std::size_t kMaxPayload = kMaxData + 4;
inline constexpr std::size_t kMaxFrameSize = kHeaderSize + kMaxPayload + kTrailerSize;

// Request kinds sent by the host; a response carries the request's kind with kResponseBit set.
enum class Kind : std::uint8_t {
    Open = 0x01,
    Close = 0x02,
    Execute = 0x03,
    Read = 0x04,
    Write = 0x05,
};
inline constexpr std::uint8_t kResponseBit = 0x80;

// First payload byte of every response.
enum class Status : std::uint8_t {
    Ok = 0x00,
    UnknownRequest = 0x01,
    WrongMode = 0x02,
    NotInTestMode = 0x03,
    BadArgument = 0x04,
    Refused = 0x05,
    NotOpen = 0x06,
};

inline constexpr std::size_t kServiceRequestSize = 20;
inline constexpr std::size_t kReadRequestSize = 4;
inline constexpr std::size_t kWriteHeaderSize = 2;

struct Frame {
    std::uint8_t sequence = 0;
    std::uint8_t kind = 0;
    std::vector<std::uint8_t> payload;
};

std::vector<std::uint8_t> encodeFrame(std::uint8_t sequence, std::uint8_t kind,
                                      std::span<const std::uint8_t> payload);

enum class DecodeResult {
    NeedMore, // no complete frame in the buffer yet
    Frame,    // one frame delivered
    BadCrc,   // a candidate frame failed its CRC; its start marker was dropped
    TooLong,  // a header announced a payload over kMaxPayload; its start marker was dropped
};

std::string_view describe(DecodeResult result);

// Byte-stream decoder. Garbage between frames is skipped; after a bad candidate the search for
// the next start marker resumes one byte after the bad one, so a good frame hidden behind
// noise is still found. The buffer never grows beyond one maximal frame plus what was fed.
class FrameDecoder {
public:
    void feed(std::span<const std::uint8_t> bytes);
    DecodeResult next(Frame& frame);
    void reset() { buffer_.clear(); }
    // Gives up the frame being collected, keeping the bytes after its start marker. A damaged
    // length field would otherwise make the decoder wait for bytes that never come.
    void abandonCandidate();
    std::size_t buffered() const { return buffer_.size(); }

private:
    void dropLeadingGarbage();
    std::vector<std::uint8_t> buffer_;
};

std::string hexDump(std::span<const std::uint8_t> bytes);

inline std::uint16_t getLe16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

inline void putLe16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

} // namespace kavrin::wire
