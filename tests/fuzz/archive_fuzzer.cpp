// Fuzz target for the archive reader: arbitrary bytes must never make it read out of bounds, and
// whatever it accepts must load, save and load again to the very same contents.
#include "data/archive.h"
#include "data/radio_record.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace kavrin;

// What a save of the loaded record writes back: the records a load ignores come back as the
// fresh record's zeros, and the volume record as the marker.
ArchiveContents asSavedAgain(ArchiveContents contents) {
    const std::size_t families[][2] = {{kTxPowerFirstRecord, kTxModulationFirstRecord},
                                       {kTxModulationFirstRecord, kRxSquelchFirstRecord},
                                       {kRxSquelchFirstRecord, kVolumeRecord}};
    for (const auto& family : families) {
        if (contents.records[family[0] - 1] == kUnsupportedMarker) {
            for (std::size_t n = family[0] + 1; n < family[1]; ++n) {
                contents.records[n - 1] = 0;
            }
        }
    }
    contents.records[kVolumeRecord - 1] = kUnsupportedMarker;
    return contents;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto contents = decodeArchive(text);
    if (!contents) {
        return 0;
    }
    radioRecord loaded;
    applyArchive(*contents, loaded);
    const ArchiveContents expected = asSavedAgain(*contents);
    // The smallest and the largest key: a loaded record must be savable with any of them.
    for (const std::uint16_t key : {std::uint16_t{0}, kMaxArchiveKey}) {
        const std::string saved = encodeArchive(loaded, key);
        const auto again = decodeArchive(saved);
        if (!again || *again != expected) {
            std::abort();
        }
        radioRecord reloaded;
        applyArchive(*again, reloaded);
        if (encodeArchive(reloaded, key) != saved) {
            std::abort();
        }
    }
    return 0;
}
