// Fuzz target for the frame decoder: arbitrary bytes in arbitrary chunks must never make it
// read out of bounds, grow without limit, or deliver a frame that does not survive re-encoding.
#include "link/frame.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kavrin::wire;
    if (size == 0) {
        return 0;
    }
    // The first byte chooses how the rest arrives: byte by byte, or in larger chunks.
    const std::size_t chunk = 1 + data[0] % 64;
    const std::span<const std::uint8_t> input(data + 1, size - 1);

    FrameDecoder decoder;
    std::size_t fed = 0;
    while (fed < input.size()) {
        const auto piece = input.subspan(fed, std::min(chunk, input.size() - fed));
        decoder.feed(piece);
        fed += piece.size();
        Frame frame;
        for (DecodeResult result = decoder.next(frame); result != DecodeResult::NeedMore;
             result = decoder.next(frame)) {
            if (decoder.buffered() > fed) {
                std::abort();
            }
            if (result != DecodeResult::Frame) {
                continue;
            }
            if (frame.payload.size() > kMaxPayload) {
                std::abort();
            }
            FrameDecoder again;
            again.feed(encodeFrame(frame.sequence, frame.kind, frame.payload));
            Frame copy;
            if (again.next(copy) != DecodeResult::Frame || copy.payload != frame.payload ||
                copy.sequence != frame.sequence || copy.kind != frame.kind) {
                std::abort();
            }
        }
    }
    return 0;
}
