// Softpot archive files: the stored form of every field, round trips through real files, the
// refusal of damaged files, and saves that must not destroy the previous file.
#include "data/archive.h"
#include "data/radio_record.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace kavrin {
namespace {

namespace fs = std::filesystem;

// Everything a load could change, for before/after comparisons.
struct RecordState {
    std::string serialNo;
    std::string modelNo;
    std::int32_t codeplugLayout = 0;
    std::array<std::array<std::uint32_t, kGridSize>, kGridSize> cells{};
    std::array<bool, kFamilyCount> supported{};

    bool operator==(const RecordState&) const = default;
};

std::ostream& operator<<(std::ostream& out, const RecordState& state) {
    out << "serial '" << state.serialNo << "' model '" << state.modelNo << "' layout "
        << state.codeplugLayout << " supported " << state.supported[0] << state.supported[1]
        << state.supported[2] << " cells";
    for (std::size_t row = 0; row < kGridSize; ++row) {
        for (std::size_t column = 0; column < kGridSize; ++column) {
            if (state.cells[row][column] != 0) {
                out << " (" << row << "," << column << ")=" << state.cells[row][column];
            }
        }
    }
    return out;
}

RecordState stateOf(const radioRecord& record) {
    RecordState state{record.serialNo(), record.modelNo(), record.codeplugLayout(), {}, {}};
    for (std::size_t row = 0; row < kGridSize; ++row) {
        for (std::size_t column = 0; column < kGridSize; ++column) {
            state.cells[row][column] = record.getCell(row, column);
        }
    }
    for (std::size_t family = 0; family < kFamilyCount; ++family) {
        state.supported[family] = record.isSupported(static_cast<AlignmentFamily>(family));
    }
    return state;
}

// Every cell of the record table filled with its own value (1, 2, 3, ... in grid order), so
// that two swapped cells show up.
radioRecord fullRecord(bool extended) {
    radioRecord record;
    record.setSerialNo("0123456789");
    record.setModelNo("AB12CD34EF56GH78");
    record.setLayoutCode(extended ? kExtendedLayoutCode : kStandardLayoutCode);
    record.setChannelOption(7);
    record.setArchiveCell2(9);
    record.setCell(kArchiveCell, 123456);
    std::uint32_t next = 1;
    const auto fill = [&](std::size_t row, std::size_t first, std::size_t last) {
        for (std::size_t column = first; column <= last; ++column) {
            record.setCell(row, column, next++);
        }
    };
    fill(0, 5, 19);
    fill(1, 0, 9);
    fill(2, 0, extended ? 17 : 14);
    fill(3, 0, 29);
    record.setBand(11);
    return record;
}

// The file's record table written out on its own, so that a mix-up shared by the writer and the
// reader cannot pass as a round trip. All families supported.
std::vector<std::uint32_t> expectedRecordValues(const radioRecord& record, bool extended) {
    std::vector<std::uint32_t> values;
    const auto cells = [&](std::size_t row, std::size_t first, std::size_t last) {
        for (std::size_t column = first; column <= last; ++column) {
            values.push_back(record.getCell(row, column));
        }
    };
    cells(0, 5, 19);  // points
    cells(1, 0, 9);   // Tx high, then low power
    cells(2, 10, 14); // Tx modulation 25 kHz
    cells(2, 5, 9);   // 20 kHz
    cells(2, 0, 4);   // 12.5 kHz
    cells(3, 0, 29);  // Rx squelch
    values.push_back(kUnsupportedMarker);
    values.push_back(record.getCell(kArchiveCell));
    if (extended) {
        cells(2, 15, 17);
    }
    values.push_back(record.getCell(kBandCell));
    return values;
}

// A record as stored: its digit count, then the number.
std::string stored(std::uint64_t number) {
    const std::string digits = std::to_string(number);
    return std::to_string(digits.size()) + digits;
}

struct StoredRecord {
    std::size_t offset;
    std::size_t length;
};

// Where each record of a well-formed text lies; only for texts the writer produced.
std::vector<StoredRecord> locateRecords(std::string_view text) {
    std::vector<StoredRecord> records;
    std::size_t pos =
        kArchiveKeyOffset + static_cast<std::size_t>(text[kArchiveKeyLengthOffset] - '0');
    while (pos < text.size()) {
        const auto length = 1 + static_cast<std::size_t>(text[pos] - '0');
        records.push_back({pos, length});
        pos += length;
    }
    return records;
}

std::vector<std::string> recordTexts(std::string_view text) {
    std::vector<std::string> texts;
    for (const auto& record : locateRecords(text)) {
        texts.emplace_back(text.substr(record.offset, record.length));
    }
    return texts;
}

// Replaces record n (from 1) of a well-formed text.
std::string withRecord(std::string text, std::size_t n, const std::string& replacement) {
    const auto record = locateRecords(text).at(n - 1);
    return text.replace(record.offset, record.length, replacement);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const fs::path& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

std::vector<std::string> listing(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A private directory per test; ctest may run the release and sanitizer trees side by side.
class ArchiveFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device entropy;
        dir_ = fs::temp_directory_path() /
               ("kavrin_archive_" + std::to_string(entropy()) + "_" + std::to_string(entropy()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    fs::path dir_;
};

// --- The stored form of single fields ----------------------------------------------------------

TEST(ArchiveScrambleTest, StoresDigitsAndBlanksAsKnownBytesAndUndoesItself) {
    EXPECT_EQ(textScramble("0123456789"), "\xF8\x4F\xF6\x4D\xF4\x4B\xF2\x49\xF0\x47");
    EXPECT_EQ(textScramble(" "), "\x08");
    std::string every;
    for (int b = 0; b < 256; ++b) {
        every += static_cast<char>(b);
    }
    EXPECT_EQ(textScramble(textScramble(every)), every);
}

TEST(ArchiveEncodeTest, WritesEveryNumberAsDigitCountAndValuePlusKey) {
    radioRecord record;
    record.setLayoutCode(kStandardLayoutCode);
    record.setCell(1, 1, 40);
    record.setCell(1, 2, 5);
    record.clearSupported(AlignmentFamily::TxModulation);

    const std::string text = encodeArchive(record, 123);
    EXPECT_EQ(text.substr(kArchiveKeyLengthOffset, 4), "3123");
    auto records = recordTexts(text);
    ASSERT_EQ(records.size(), kStandardRecordCount);
    EXPECT_EQ(records[0], "3123");                             // a cell holding 0
    EXPECT_EQ(records[kTxPowerFirstRecord], "3163");           // (1,1) holding 40
    EXPECT_EQ(records[kTxModulationFirstRecord - 1], "44218"); // unsupported family
    EXPECT_EQ(records[kVolumeRecord - 1], "44218");

    const std::string keyless = encodeArchive(record, 0);
    EXPECT_EQ(keyless.substr(kArchiveKeyLengthOffset, 2), "10");
    records = recordTexts(keyless);
    EXPECT_EQ(records[kTxPowerFirstRecord + 1], "15"); // (1,2) holding 5
}

TEST(ArchiveEncodeTest, HeaderHoldsMagicScrambledIdentityAndHeaderDigits) {
    const radioRecord record = fullRecord(false);
    const std::string text = encodeArchive(record, 4321);
    EXPECT_EQ(text.substr(0, 7), ":PELION");
    EXPECT_EQ(text.substr(kArchiveSerialOffset, kSerialNoSize),
              "\xF8\x4F\xF6\x4D\xF4\x4B\xF2\x49\xF0\x47");
    EXPECT_EQ(text.substr(kArchiveModelOffset, kModelNoSize), textScramble("AB12CD34EF56GH78"));
    // Layout code 1, the spare 0, channelOption 7, archiveCell2 9, then the key with its length.
    EXPECT_EQ(text.substr(kArchiveLayoutCodeOffset, 9), "107944321");
}

TEST(ArchiveEncodeTest, IdentityAlwaysFillsItsFields) {
    const struct {
        const char* serial;
        const char* model;
        const char* loadedSerial;
        const char* loadedModel;
    } cases[] = {
        {"Invalid", "AB12", "Invalid   ", "AB12            "},
        {"0123456789XYZ", "AB12CD34EF56GH78IJKL", "0123456789", "AB12CD34EF56GH78"},
        {"", "", "          ", "                "},
    };
    const std::size_t size = encodeArchive(fullRecord(false), 123).size();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.serial);
        radioRecord record = fullRecord(false);
        record.setSerialNo(c.serial);
        record.setModelNo(c.model);
        const std::string text = encodeArchive(record, 123);
        EXPECT_EQ(text.size(), size);
        const auto contents = decodeArchive(text);
        ASSERT_TRUE(contents);
        EXPECT_EQ(contents->serialNo, c.loadedSerial);
        EXPECT_EQ(contents->modelNo, c.loadedModel);
    }
}

class ArchiveRecordOrderTest : public ::testing::TestWithParam<bool> {};

TEST_P(ArchiveRecordOrderTest, FollowsTheFileTable) {
    const bool extended = GetParam();
    const radioRecord record = fullRecord(extended);
    std::vector<std::string> expected;
    for (const std::uint32_t value : expectedRecordValues(record, extended)) {
        expected.push_back(stored(value));
    }
    EXPECT_EQ(recordTexts(encodeArchive(record, 0)), expected);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ArchiveRecordOrderTest, ::testing::Values(false, true),
                         [](const auto& tested) { return tested.param ? "Extended" : "Standard"; });

// --- Round trips through files -----------------------------------------------------------------

struct RoundTripCase {
    const char* name;
    bool extended;
    std::optional<std::uint16_t> key; // none: a freshly drawn key
};

void PrintTo(const RoundTripCase& c, std::ostream* out) {
    *out << c.name;
}

class ArchiveRoundTripTest : public ArchiveFileTest,
                             public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(ArchiveRoundTripTest, RestoresTheWholeRecordAndTheCurrentBand) {
    const auto& param = GetParam();
    const radioRecord source = fullRecord(param.extended);
    const std::uint16_t key = param.key.value_or(drawArchiveKey());
    ASSERT_LE(key, kMaxArchiveKey);
    const fs::path path = dir_ / "radio.spa";
    ASSERT_TRUE(saveArchive(path, source, key));
    EXPECT_EQ(readFile(path), encodeArchive(source, key));

    radioRecord loaded;
    ASSERT_EQ(loadArchive(path, loaded), ArchiveLoad::Loaded);
    EXPECT_EQ(stateOf(loaded), stateOf(source));
    EXPECT_EQ(loaded.band(), 11u);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ArchiveRoundTripTest,
                         ::testing::Values(RoundTripCase{"StandardDrawnKey", false, std::nullopt},
                                           RoundTripCase{"ExtendedDrawnKey", true, std::nullopt},
                                           RoundTripCase{"StandardKeyZero", false, 0},
                                           RoundTripCase{"ExtendedLargestKey", true,
                                                         kMaxArchiveKey}),
                         [](const auto& tested) { return tested.param.name; });

class ArchiveUnsupportedFamilyTest : public ArchiveFileTest,
                                     public ::testing::WithParamInterface<AlignmentFamily> {};

TEST_P(ArchiveUnsupportedFamilyTest, MarkerClearsTheFlagForGoodAndSparesTheFamilysCells) {
    const AlignmentFamily family = GetParam();
    const std::size_t row = 1 + static_cast<std::size_t>(family);
    radioRecord source = fullRecord(true);
    source.clearSupported(family);
    const fs::path path = dir_ / "unsupported.spa";
    ASSERT_TRUE(saveArchive(path, source, 500));
    const std::size_t firstRecord[] = {kTxPowerFirstRecord, kTxModulationFirstRecord,
                                       kRxSquelchFirstRecord};
    EXPECT_EQ(recordTexts(readFile(path))[firstRecord[row - 1] - 1], stored(4095 + 500));

    // The target holds other softpots; those of the unsupported family must survive the load.
    radioRecord target;
    for (std::size_t column = 0; column < kGridSize; ++column) {
        target.setCell(row, column, 200);
    }
    ASSERT_EQ(loadArchive(path, target), ArchiveLoad::Loaded);
    RecordState expected = stateOf(source);
    for (std::size_t column = 0; column < kGridSize; ++column) {
        expected.cells[row][column] = 200;
    }
    if (family == AlignmentFamily::TxModulation) {
        // The KTD softpots come from their own records, whatever the family's flag.
        for (std::size_t column = 15; column <= 17; ++column) {
            expected.cells[row][column] = source.getCell(row, column);
        }
    }
    EXPECT_EQ(stateOf(target), expected);

    // A later archive with the family supported does not bring the flag back.
    ASSERT_TRUE(saveArchive(path, fullRecord(true), 500));
    ASSERT_EQ(loadArchive(path, target), ArchiveLoad::Loaded);
    EXPECT_FALSE(target.isSupported(family));
}

std::string familyName(const ::testing::TestParamInfo<AlignmentFamily>& tested) {
    switch (tested.param) {
    case AlignmentFamily::TxPower:
        return "TxPower";
    case AlignmentFamily::TxModulation:
        return "TxModulation";
    case AlignmentFamily::RxSquelch:
        break;
    }
    return "RxSquelch";
}

INSTANTIATE_TEST_SUITE_P(Families, ArchiveUnsupportedFamilyTest,
                         ::testing::Values(AlignmentFamily::TxPower, AlignmentFamily::TxModulation,
                                           AlignmentFamily::RxSquelch),
                         familyName);

TEST_F(ArchiveFileTest, StandardLoadLeavesCellsOutsideTheFileAlone) {
    const fs::path path = dir_ / "standard.spa";
    ASSERT_TRUE(saveArchive(path, fullRecord(false), 77));
    radioRecord target = fullRecord(true);
    target.setCell(2, 15, 41);
    target.setCell(2, 16, 42);
    target.setCell(2, 17, 43);
    target.setCell(5, 5, 99);

    ASSERT_EQ(loadArchive(path, target), ArchiveLoad::Loaded);
    EXPECT_EQ(target.codeplugLayout(), 0);
    EXPECT_EQ(target.getCell(2, 15), 41u);
    EXPECT_EQ(target.getCell(2, 16), 42u);
    EXPECT_EQ(target.getCell(2, 17), 43u);
    EXPECT_EQ(target.getCell(5, 5), 99u);
}

// --- Files that are refused or still taken -----------------------------------------------------

struct TextCase {
    const char* name;
    bool extended;
    std::function<std::string(std::string)> change; // of a valid archive with key 123
};

void PrintTo(const TextCase& c, std::ostream* out) {
    *out << c.name;
}

std::string validText(bool extended) {
    return encodeArchive(fullRecord(extended), 123);
}

std::string reportText() {
    return "\r\n\r\n\t   \t\t**********    R A D I O   S O F T P O T   D A T A  **********\r\n"
           "\r\n\r\nRadio Serial No: PELION0001  \t\t \t         Radio Model No: AB12CD34EF56GH78"
           "\r\n\r\n";
}

std::string setAt(std::string text, std::size_t pos, char c) {
    text.at(pos) = c;
    return text;
}

const TextCase kDamagedCases[] = {
    {"Empty", false, [](std::string) { return std::string(); }},
    {"CutInHeader", false, [](std::string t) { return t.substr(0, 30); }},
    {"CutInLastRecord", false, [](std::string t) { return t.substr(0, t.size() - 1); }},
    {"MissingRecord", false,
     [](std::string t) { return t.substr(0, locateRecords(t).back().offset); }},
    {"ExtraRecord", false, [](std::string t) { return t + "3123"; }},
    {"TrailingGarbage", false, [](std::string t) { return t + " x"; }},
    {"JunkJustInsideTheReadLimit", false,
     [](std::string t) { return t + std::string(kMaxArchiveBytes - 1 - t.size(), ' ') + "x"; }},
    {"NonDigitInRecord", false, [](std::string t) { return withRecord(t, 5, "31x3"); }},
    {"LengthDigitZero", false, [](std::string t) { return withRecord(t, 5, "0"); }},
    {"LayoutCodeNotDigit", false, [](std::string t) { return setAt(t, 33, 'A'); }},
    {"SpareDigitBlank", false, [](std::string t) { return setAt(t, 34, ' '); }},
    {"ChannelOptionNotDigit", false, [](std::string t) { return setAt(t, 35, '-'); }},
    {"KeyLengthZero", false, [](std::string t) { return setAt(t, 37, '0'); }},
    {"KeyLengthSix", false, [](std::string t) { return setAt(t, 37, '6'); }},
    {"KeyNotDigit", false, [](std::string t) { return setAt(t, 39, 'O'); }},
    {"NegativeAfterKey", false, [](std::string t) { return withRecord(t, 5, stored(122)); }},
    {"PointOf256", false, [](std::string t) { return withRecord(t, 1, stored(256 + 123)); }},
    {"SoftpotOf256", false, [](std::string t) { return withRecord(t, 17, stored(256 + 123)); }},
    {"FamilyFirstOf256", false, [](std::string t) { return withRecord(t, 41, stored(256 + 123)); }},
    {"KtdOf256", true, [](std::string t) { return withRecord(t, 74, stored(256 + 123)); }},
    {"ArchiveCellTooLarge", false,
     [](std::string t) { return withRecord(t, 72, stored(kMaxArchiveCellValue + 1 + 123)); }},
    {"Band13", false, [](std::string t) { return withRecord(t, 73, stored(13 + 123)); }},
    {"StandardCodeWithExtendedRecords", true, [](std::string t) { return setAt(t, 33, '1'); }},
    {"ExtendedCodeWithStandardRecords", false, [](std::string t) { return setAt(t, 33, '2'); }},
    {"WrongMagic", false, [](std::string t) { return setAt(t, 6, 'M'); }},
    {"NoColon", false, [](std::string t) { return setAt(t, 0, ';'); }},
    {"ReportFile", false, [](std::string) { return reportText(); }},
};

class ArchiveDamagedTest : public ArchiveFileTest,
                           public ::testing::WithParamInterface<TextCase> {};

TEST_P(ArchiveDamagedTest, IsRefusedWithTheRecordUntouched) {
    const std::string text = GetParam().change(validText(GetParam().extended));
    EXPECT_FALSE(decodeArchive(text));

    const fs::path path = dir_ / "damaged.spa";
    writeFile(path, text);
    radioRecord record = fullRecord(true);
    record.clearSupported(AlignmentFamily::RxSquelch);
    record.setCell(5, 5, 99);
    record.setBand(3);
    const RecordState before = stateOf(record);
    EXPECT_EQ(loadArchive(path, record), ArchiveLoad::InvalidFormat);
    EXPECT_EQ(stateOf(record), before);
    EXPECT_EQ(record.band(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Cases, ArchiveDamagedTest, ::testing::ValuesIn(kDamagedCases),
                         [](const auto& tested) { return tested.param.name; });

const TextCase kTakenCases[] = {
    {"LineFeedAfter", false, [](std::string t) { return t + "\n"; }},
    {"CrLfAfter", true, [](std::string t) { return t + "\r\n"; }},
    {"BlanksAndTabsAfter", false, [](std::string t) { return t + "  \t "; }},
    {"JunkBeyondTheReadLimit", false,
     [](std::string t) { return t + std::string(kMaxArchiveBytes - t.size(), ' ') + "x"; }},
    {"VolumeRecordAnyValue", false,
     [](std::string t) { return withRecord(t, kVolumeRecord, stored(5000 + 123)); }},
    {"UnsupportedFamilyRestIgnored", false,
     [](std::string t) {
         t = withRecord(t, kTxPowerFirstRecord, stored(kUnsupportedMarker + 123));
         return withRecord(t, kTxPowerFirstRecord + 1, stored(999 + 123));
     }},
    {"AnyLayoutCodeButOneIsExtended", true, [](std::string t) { return setAt(t, 33, '0'); }},
};

class ArchiveTakenTest : public ArchiveFileTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(ArchiveTakenTest, Loads) {
    const fs::path path = dir_ / "taken.spa";
    writeFile(path, GetParam().change(validText(GetParam().extended)));
    radioRecord record;
    EXPECT_EQ(loadArchive(path, record), ArchiveLoad::Loaded);
    EXPECT_EQ(record.codeplugLayout(), GetParam().extended ? 1 : 0);
    EXPECT_EQ(record.band(), 11u);
}

INSTANTIATE_TEST_SUITE_P(Cases, ArchiveTakenTest, ::testing::ValuesIn(kTakenCases),
                         [](const auto& tested) { return tested.param.name; });

TEST_F(ArchiveFileTest, UnreadablePathCannotBeOpened) {
    fs::create_directory(dir_ / "folder.spa");
    for (const fs::path& path : {dir_ / "missing.spa", dir_ / "folder.spa"}) {
        SCOPED_TRACE(path.string());
        radioRecord record = fullRecord(false);
        const RecordState before = stateOf(record);
        EXPECT_EQ(loadArchive(path, record), ArchiveLoad::CannotOpen);
        EXPECT_EQ(stateOf(record), before);
    }
}

// --- Saving ------------------------------------------------------------------------------------

TEST_F(ArchiveFileTest, SaveReplacesTheOldFileAndLeavesNothingElse) {
    const fs::path path = dir_ / "radio.spa";
    writeFile(path, "an older, much longer file that must be gone completely afterwards");
    ASSERT_TRUE(saveArchive(path, fullRecord(true), 99));
    EXPECT_EQ(readFile(path), encodeArchive(fullRecord(true), 99));
    EXPECT_EQ(listing(dir_), std::vector<std::string>{"radio.spa"});
}

TEST_F(ArchiveFileTest, FailedSaveKeepsTheOldFile) {
    const struct {
        const char* name;
        std::function<void(radioRecord&)> spoil;
    } unsavable[] = {
        {"ChannelOptionAboveNine", [](radioRecord& r) { r.setChannelOption(10); }},
        {"SoftpotAbove255", [](radioRecord& r) { r.setCell(3, 7, 300); }},
        {"BandAbove12", [](radioRecord& r) { r.setCell(kBandCell, 13); }},
        {"LayoutCodeDisagreesWithLayout", [](radioRecord& r) { r.setCell(kLayoutCodeCell, 0); }},
        {"ArchiveCellTooLarge",
         [](radioRecord& r) { r.setCell(kArchiveCell, kMaxArchiveCellValue + 1); }},
    };
    const fs::path path = dir_ / "radio.spa";
    const std::string old = "the previous archive";
    for (const auto& c : unsavable) {
        SCOPED_TRACE(c.name);
        writeFile(path, old);
        radioRecord record = fullRecord(false);
        c.spoil(record);
        EXPECT_FALSE(saveArchive(path, record, 0));
        EXPECT_EQ(readFile(path), old);
        EXPECT_EQ(listing(dir_), std::vector<std::string>{"radio.spa"});
    }
}

TEST_F(ArchiveFileTest, SaveToAPlaceThatCannotTakeTheFileFails) {
    // Both fail for root as well: a folder in the way, and a folder that does not exist.
    const fs::path folder = dir_ / "taken.spa";
    fs::create_directory(folder);
    writeFile(folder / "inside.txt", "keep me");
    EXPECT_FALSE(saveArchive(folder, fullRecord(false), 5));
    EXPECT_EQ(readFile(folder / "inside.txt"), "keep me");
    EXPECT_EQ(listing(folder), std::vector<std::string>{"inside.txt"});

    EXPECT_FALSE(saveArchive(dir_ / "missing" / "radio.spa", fullRecord(false), 5));
    EXPECT_EQ(listing(dir_), std::vector<std::string>{"taken.spa"});
}

} // namespace
} // namespace kavrin
