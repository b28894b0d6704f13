// Softpot archive files: writer, validating reader and the file operations around them.
#include "data/archive.h"

#include "data/atomic_file.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <limits>
#include <span>
#include <stdexcept>
#include <system_error>

namespace kavrin {

namespace {

// What a record means to the writer, the reader and the validation.
enum class RecordRole {
    Point,       // a frequency point cell
    FamilyFirst, // a family's first softpot, or the unsupported marker
    FamilyRest,  // the family's other softpots, ignored when the family is unsupported
    Volume,      // never supported: written as the marker, ignored when read
    ArchiveCell, // kept for the file's sake only
    Ktd,         // KTD softpot, extended layout only
    Band,        // always the last record
};

struct RecordSlot {
    RecordRole role = RecordRole::Volume;
    Cell cell{0, 0};
    AlignmentFamily family = AlignmentFamily::TxPower;
};

inline constexpr std::uint32_t kMaxByteValue = std::numeric_limits<std::uint8_t>::max();
inline constexpr std::uint32_t kMaxBand = kBandCount - 1;
inline constexpr std::size_t kMaxKeyDigits = 5;
inline constexpr std::size_t kKtdCount = 3;

// The softpot cells of each family in file order. Tx modulation runs 25 kHz, 20 kHz, 12.5 kHz,
// which is the reverse of its rows in the grid.
constexpr std::size_t familyRecordCount(AlignmentFamily family) {
    switch (family) {
    case AlignmentFamily::TxPower:
        return 2 * kPointCount;
    case AlignmentFamily::TxModulation:
        return 3 * kPointCount;
    case AlignmentFamily::RxSquelch:
        break;
    }
    return 6 * kPointCount;
}

constexpr Cell familyCell(AlignmentFamily family, std::size_t index) {
    switch (family) {
    case AlignmentFamily::TxPower:
        return {1, index};
    case AlignmentFamily::TxModulation:
        return {2, 2 * kPointCount - kPointCount * (index / kPointCount) + index % kPointCount};
    case AlignmentFamily::RxSquelch:
        break;
    }
    return {3, index};
}

constexpr std::array<RecordSlot, kExtendedRecordCount> buildSlots(bool extended) {
    std::array<RecordSlot, kExtendedRecordCount> slots{};
    std::size_t n = 0;
    for (const PointGroup group :
         {PointGroup::TxPower, PointGroup::TxModulation, PointGroup::Receive}) {
        for (std::size_t i = 0; i < kPointCount; ++i) {
            slots[n++] = {RecordRole::Point, pointCell(group, i), AlignmentFamily::TxPower};
        }
    }
    for (const AlignmentFamily family :
         {AlignmentFamily::TxPower, AlignmentFamily::TxModulation, AlignmentFamily::RxSquelch}) {
        for (std::size_t i = 0; i < familyRecordCount(family); ++i) {
            slots[n++] = {i == 0 ? RecordRole::FamilyFirst : RecordRole::FamilyRest,
                          familyCell(family, i), family};
        }
    }
    slots[n++] = {RecordRole::Volume, {0, 0}, AlignmentFamily::TxPower};
    slots[n++] = {RecordRole::ArchiveCell, kArchiveCell, AlignmentFamily::TxPower};
    if (extended) {
        // 12.5 kHz, 25 kHz, 20 kHz: the order of the cells, not of the screens.
        for (std::size_t i = 0; i < kKtdCount; ++i) {
            slots[n++] = {RecordRole::Ktd, {2, 3 * kPointCount + i}, AlignmentFamily::TxModulation};
        }
    }
    slots[n++] = {RecordRole::Band, kBandCell, AlignmentFamily::TxPower};
    return slots;
}

constexpr auto kStandardSlots = buildSlots(false);
constexpr auto kExtendedSlots = buildSlots(true);

static_assert(kStandardSlots[kTxPowerFirstRecord - 1].role == RecordRole::FamilyFirst);
static_assert(kStandardSlots[kTxModulationFirstRecord - 1].role == RecordRole::FamilyFirst);
static_assert(kStandardSlots[kRxSquelchFirstRecord - 1].role == RecordRole::FamilyFirst);
static_assert(kStandardSlots[kVolumeRecord - 1].role == RecordRole::Volume);
static_assert(kStandardSlots[kArchiveCellRecord - 1].role == RecordRole::ArchiveCell);
static_assert(kStandardSlots[kStandardRecordCount - 1].role == RecordRole::Band);
static_assert(kExtendedSlots[kKtdFirstRecord - 1].role == RecordRole::Ktd);
static_assert(kExtendedSlots[kExtendedRecordCount - 1].role == RecordRole::Band);

std::span<const RecordSlot> recordSlots(bool extended) {
    if (extended) {
        return {kExtendedSlots.data(), kExtendedRecordCount};
    }
    return {kStandardSlots.data(), kStandardRecordCount};
}

std::size_t familyIndex(AlignmentFamily family) {
    return static_cast<std::size_t>(family);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::uint32_t digitValue(char c) {
    return static_cast<std::uint32_t>(c - '0');
}

bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// `count` decimal digits at `pos` (count is at most 9, so the number fits easily).
std::optional<std::int64_t> readNumber(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos > text.size() || text.size() - pos < count) {
        return std::nullopt;
    }
    std::int64_t number = 0;
    for (const char c : text.substr(pos, count)) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        number = number * 10 + c - '0';
    }
    return number;
}

// The first ':' of the text, any blanks after it, then the magic. The later fields are still
// taken from their fixed offsets, so a file with anything in front of the ':' is shifted and
// fails the rest of the validation.
bool hasMagic(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    const auto start = text.find_first_not_of(' ', colon + 1);
    if (start == std::string_view::npos) {
        return false;
    }
    // The magic holds no line break, so a line break inside the six characters never matches.
    return text.substr(start, std::string_view(kArchiveMagic).size()) == kArchiveMagic;
}

// Whether a record's value may go where the load puts it. Tracks the unsupported markers, since
// they decide whether the rest of a family counts.
bool valueFits(const RecordSlot& slot, std::int64_t value, std::array<bool, kFamilyCount>& marked) {
    switch (slot.role) {
    case RecordRole::Point:
    case RecordRole::Ktd:
        return value <= kMaxByteValue;
    case RecordRole::FamilyFirst:
        if (value == kUnsupportedMarker) {
            marked[familyIndex(slot.family)] = true;
            return true;
        }
        return value <= kMaxByteValue;
    case RecordRole::FamilyRest:
        return marked[familyIndex(slot.family)] || value <= kMaxByteValue;
    case RecordRole::Volume:
        return true;
    case RecordRole::ArchiveCell:
        return value <= kMaxArchiveCellValue;
    case RecordRole::Band:
        break;
    }
    return value <= kMaxBand;
}

std::string fitted(const std::string& text, std::size_t size) {
    std::string result = text.substr(0, size);
    result.resize(size, ' ');
    return result;
}

// Its digit count, then the number: how the key and every record are written.
void appendCounted(std::string& text, std::uint64_t number) {
    const std::string digits = std::to_string(number);
    text += std::to_string(digits.size());
    text += digits;
}

} // namespace

std::string textScramble(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        const unsigned base = (b & 1u) != 0 ? 0x80u : 0x28u;
        result += static_cast<char>(static_cast<unsigned char>((base - b) & 0xFFu));
    }
    return result;
}

std::uint16_t drawArchiveKey() {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    return static_cast<std::uint16_t>(std::rand() % (kMaxArchiveKey + 1));
}

std::string encodeArchive(const radioRecord& record, std::uint16_t key) {
    std::string text = ":";
    text += kArchiveMagic;
    text += textScramble(fitted(record.serialNo(), kSerialNoSize));
    text += textScramble(fitted(record.modelNo(), kModelNoSize));
    text += std::to_string(record.getCell(kLayoutCodeCell));
    text += '0';
    text += std::to_string(record.getCell(kChannelOptionCell));
    text += std::to_string(record.getCell(kArchiveCell2));
    appendCounted(text, key);

    for (const RecordSlot& slot : recordSlots(record.codeplugLayout() == 1)) {
        std::uint32_t value = 0;
        if (slot.role == RecordRole::Volume ||
            (slot.role == RecordRole::FamilyFirst && !record.isSupported(slot.family))) {
            value = kUnsupportedMarker;
        } else {
            value = record.getCell(slot.cell);
        }
        appendCounted(text, std::uint64_t{value} + key);
    }
    return text;
}

std::optional<ArchiveContents> decodeArchive(std::string_view text) {
    text = text.substr(0, std::min(text.size(), kMaxArchiveBytes));
    if (!hasMagic(text) || text.size() <= kArchiveKeyLengthOffset) {
        return std::nullopt;
    }
    for (std::size_t pos = kArchiveLayoutCodeOffset; pos <= kArchiveKeyLengthOffset; ++pos) {
        if (!isDigit(text[pos])) {
            return std::nullopt;
        }
    }
    const std::size_t keyDigits = digitValue(text[kArchiveKeyLengthOffset]);
    if (keyDigits < 1 || keyDigits > kMaxKeyDigits) {
        return std::nullopt;
    }
    const auto key = readNumber(text, kArchiveKeyOffset, keyDigits);
    if (!key) {
        return std::nullopt;
    }

    ArchiveContents contents;
    contents.serialNo = textScramble(text.substr(kArchiveSerialOffset, kSerialNoSize));
    contents.modelNo = textScramble(text.substr(kArchiveModelOffset, kModelNoSize));
    contents.layoutCode = digitValue(text[kArchiveLayoutCodeOffset]);
    contents.channelOption = digitValue(text[kArchiveChannelOptionOffset]);
    contents.archiveCell2 = digitValue(text[kArchiveCell2Offset]);

    const auto slots = recordSlots(contents.layoutCode != kStandardLayoutCode);
    contents.records.reserve(slots.size());
    std::array<bool, kFamilyCount> marked{};
    std::size_t pos = kArchiveKeyOffset + keyDigits;
    for (const RecordSlot& slot : slots) {
        if (pos >= text.size() || !isDigit(text[pos]) || text[pos] == '0') {
            return std::nullopt;
        }
        const std::size_t length = digitValue(text[pos]);
        const auto number = readNumber(text, pos + 1, length);
        if (!number) {
            return std::nullopt;
        }
        pos += 1 + length;
        const std::int64_t value = *number - *key;
        if (value < 0 || !valueFits(slot, value, marked)) {
            return std::nullopt;
        }
        contents.records.push_back(static_cast<std::uint32_t>(value));
    }
    for (; pos < text.size(); ++pos) {
        if (!isWhiteSpace(text[pos])) {
            return std::nullopt;
        }
    }
    return contents;
}

void applyArchive(const ArchiveContents& contents, radioRecord& record) {
    const bool extended = contents.layoutCode != kStandardLayoutCode;
    const auto slots = recordSlots(extended);
    if (contents.records.size() != slots.size()) {
        throw std::invalid_argument("archive contents do not match their layout code");
    }
    record.setSerialNo(contents.serialNo);
    record.setModelNo(contents.modelNo);
    record.setLayoutCode(contents.layoutCode);
    record.setChannelOption(contents.channelOption);
    record.setArchiveCell2(contents.archiveCell2);

    std::array<bool, kFamilyCount> marked{};
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const RecordSlot& slot = slots[i];
        const std::uint32_t value = contents.records[i];
        switch (slot.role) {
        case RecordRole::FamilyFirst:
            if (value == kUnsupportedMarker) {
                record.clearSupported(slot.family);
                marked[familyIndex(slot.family)] = true;
            } else {
                record.setCell(slot.cell, value);
            }
            break;
        case RecordRole::FamilyRest:
            if (!marked[familyIndex(slot.family)]) {
                record.setCell(slot.cell, value);
            }
            break;
        case RecordRole::Volume:
            break;
        case RecordRole::Band:
            record.setBand(value);
            break;
        case RecordRole::Point:
        case RecordRole::ArchiveCell:
        case RecordRole::Ktd:
            record.setCell(slot.cell, value);
            break;
        }
    }
}

ArchiveLoad loadArchive(const std::filesystem::path& path, radioRecord& record) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return ArchiveLoad::CannotOpen;
    }
    std::string text(kMaxArchiveBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    // A short file sets eof and fail; only bad means the read itself broke (a directory, say).
    if (in.bad()) {
        return ArchiveLoad::CannotOpen;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    const auto contents = decodeArchive(text);
    if (!contents) {
        return ArchiveLoad::InvalidFormat;
    }
    applyArchive(*contents, record);
    return ArchiveLoad::Loaded;
}

bool saveArchive(const std::filesystem::path& path, const radioRecord& record, std::uint16_t key) {
    const std::string text = encodeArchive(record, key);
    if (!decodeArchive(text)) {
        return false;
    }
    return writeFileAtomically(path, text);
}

} // namespace kavrin
