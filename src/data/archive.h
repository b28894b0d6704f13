// Softpot archive files ("*.spa"): the one-line text format that keeps a radio record on disk,
// with its writer, its validating reader and the file operations around them. Nothing here talks
// to the user; callers turn the results into messages.
#pragma once

#include "data/radio_record.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavrin {

inline constexpr const char* kArchiveMagic = "PELION";

// Byte offsets of the fixed header fields, counted from the start of the file.
inline constexpr std::size_t kArchiveColonOffset = 0;
inline constexpr std::size_t kArchiveMagicOffset = 1;
inline constexpr std::size_t kArchiveSerialOffset = 7;
inline constexpr std::size_t kArchiveModelOffset = 17;
inline constexpr std::size_t kArchiveLayoutCodeOffset = 33;
inline constexpr std::size_t kArchiveSpareDigitOffset = 34; // written as '0', never used
inline constexpr std::size_t kArchiveChannelOptionOffset = 35;
inline constexpr std::size_t kArchiveCell2Offset = 36;
inline constexpr std::size_t kArchiveKeyLengthOffset = 37;
inline constexpr std::size_t kArchiveKeyOffset = 38;

// A reader never looks further than this into a file.
inline constexpr std::size_t kMaxArchiveBytes = 2000;
inline constexpr std::uint16_t kMaxArchiveKey = 32767;
inline constexpr std::uint32_t kUnsupportedMarker = 4095;

inline constexpr std::size_t kStandardRecordCount = 73;
inline constexpr std::size_t kExtendedRecordCount = 76;

// Record numbers, counted from 1 as in the file.
inline constexpr std::size_t kTxPowerFirstRecord = 16;
inline constexpr std::size_t kTxModulationFirstRecord = 26;
inline constexpr std::size_t kRxSquelchFirstRecord = 41;
inline constexpr std::size_t kVolumeRecord = 71; // always the unsupported marker
inline constexpr std::size_t kArchiveCellRecord = 72;
inline constexpr std::size_t kKtdFirstRecord = 73; // extended layout only

// A record holds at most nine digits. The reader keeps archiveCell small enough that the record
// can be saved again with any key.
inline constexpr std::uint32_t kMaxArchiveCellValue = 999'999'999u - kMaxArchiveKey;

// Everything a load puts into the record, as read from a file that passed validation.
struct ArchiveContents {
    std::string serialNo; // kSerialNoSize characters, unscrambled
    std::string modelNo;  // kModelNoSize characters, unscrambled
    std::uint32_t layoutCode = 0;
    std::uint32_t channelOption = 0;
    std::uint32_t archiveCell2 = 0;
    // The values with the key taken off; record n at index n - 1. kStandardRecordCount of them
    // for layout code 1, kExtendedRecordCount for any other code.
    std::vector<std::uint32_t> records;

    bool operator==(const ArchiveContents&) const = default;
};

// Odd bytes b become 0x80 - b, even bytes 0x28 - b (modulo 256). Its own inverse.
std::string textScramble(std::string_view text);

// A fresh key for one save: the C library generator seeded with the time in seconds.
std::uint16_t drawArchiveKey();

// The exact text a save writes for the record. Serial and model number always fill their 10 and
// 16 characters (blank padded or cut). The key should be 0-kMaxArchiveKey. A record that the
// format cannot carry (a header value above 9, a softpot above 255, a layout code that disagrees
// with codeplugLayout, ...) still gets a text, but one that decodeArchive refuses.
std::string encodeArchive(const radioRecord& record, std::uint16_t key);

// Validates the whole text (only its first kMaxArchiveBytes count) and returns what a load
// would apply, or nothing when the text is not a complete, well-formed archive whose values fit
// the cells they go to.
std::optional<ArchiveContents> decodeArchive(std::string_view text);

// Puts decoded contents into the record: identity, header cells, points, softpots, archiveCell,
// the KTD softpots of the extended layout and the band. A family
// whose first record is the unsupported marker has its flag cleared and its cells left alone;
// no flag is ever set. Throws std::invalid_argument, before touching the record, when the record
// count does not match the layout code (contents that did not come from decodeArchive).
void applyArchive(const ArchiveContents& contents, radioRecord& record);

enum class ArchiveLoad { Loaded, CannotOpen, InvalidFormat };

// Reads at most kMaxArchiveBytes of the file and applies it only when it decodes; on any other
// outcome the record is untouched.
ArchiveLoad loadArchive(const std::filesystem::path& path, radioRecord& record);

// Writes the archive to a temporary file beside the target and renames it into place, so that a
// failed save leaves any previous file as it was. Returns false without writing anything when
// the record cannot be saved so that it loads again, and false on any file error.
bool saveArchive(const std::filesystem::path& path, const radioRecord& record, std::uint16_t key);

} // namespace kavrin
