// Instrument profiles: the shipped ones load, a malformed one is refused with its line and
// reason, names are found in the user's folder before the shipped one, and commands are written
// with their values as the instrument is to read them.
#include "instrument/instrument_profile.h"
#include "instrument/scpi_instrument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kavrin {
namespace {

// A valid profile, one function a line but measureSinad over several, and a description that
// holds the text "unit" so a key is never found inside a string.
constexpr const char* kValidProfile = R"({
    "format": 1, "description": "each \"unit\" is the reading's",
    "functions": {
        "identify": { "query": "*IDN?" },
        "reset": { "command": "*RST" },
        "errorQuery": { "query": "SYST:ERR?" },
        "setAnalyzerFrequency": { "command": "RFAN:FREQ {hz}" },
        "measurePower": { "query": "POW?", "field": 1, "unit": "dBm", "reliabilityField": 0 },
        "measureDeviation": { "query": "DEV?", "field": 0, "unit": "Hz", "invalidAtOrAbove": 9.91e37 },
        "setGeneratorFrequency": { "command": "RFG:FREQ {mhz}" },
        "setGeneratorLevel": { "command": "RFG:AMPL {dbm}" },
        "setGeneratorOn": { "command": "RFG:STAT {on}", "on": "1", "off": "0" },
        "measureSinad": {
            "query": "SINAD?",
            "field": 0,
            "unit": "dB",
            "invalidAtOrAbove": 9.91e37
        }
    }
}
)";

QByteArray edited(const char* from, const char* to) {
    QByteArray text(kValidProfile);
    const qsizetype at = text.indexOf(from);
    EXPECT_GE(at, 0) << "the fixture has no " << from;
    return text.replace(at, qsizetype(std::strlen(from)), to);
}

TEST(InstrumentProfile, TheFixtureIsValid) {
    const auto result = parseInstrumentProfile(kValidProfile, QStringLiteral("bench.json"));
    ASSERT_TRUE(result.profile) << result.error.toStdString();
    const auto& profile = *result.profile;
    EXPECT_EQ(profile.name, QStringLiteral("bench"));
    EXPECT_EQ(profile[monitorFunction::MeasurePower].field, 1);
    EXPECT_EQ(profile[monitorFunction::MeasurePower].unit, readingUnit::Dbm);
    EXPECT_EQ(profile[monitorFunction::MeasurePower].reliabilityField, 0);
    EXPECT_FALSE(profile[monitorFunction::MeasurePower].invalidAtOrAbove);
    EXPECT_EQ(profile[monitorFunction::MeasureSinad].invalidAtOrAbove, 9.91e37);
    EXPECT_FALSE(profile[monitorFunction::MeasureSinad].reliabilityField);
    EXPECT_EQ(profile[monitorFunction::SetGeneratorOn].onText, QStringLiteral("1"));
}

TEST(InstrumentProfile, ADocumentThatIsNoObjectIsRefused) {
    for (const char* text : {"[1, 2]", "\"cma-style\"", ""}) {
        const auto result = parseInstrumentProfile(text, QStringLiteral("odd.json"));
        EXPECT_FALSE(result.profile);
        EXPECT_TRUE(result.error.startsWith(QStringLiteral("odd.json:1: ")))
            << result.error.toStdString();
    }
}

struct malformedProfile {
    const char* name;
    const char* from;
    const char* to;
    int line;
    const char* reason;
};

class MalformedProfile : public ::testing::TestWithParam<malformedProfile> {};

TEST_P(MalformedProfile, IsRefusedWithLineAndReason) {
    const auto& row = GetParam();
    const auto result =
        parseInstrumentProfile(edited(row.from, row.to), QStringLiteral("bad.json"));
    ASSERT_FALSE(result.profile);
    const std::string error = result.error.toStdString();
    EXPECT_EQ(error.rfind("bad.json:" + std::to_string(row.line) + ": ", 0), 0u) << error;
    EXPECT_NE(error.find(row.reason), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MalformedProfile,
    ::testing::Values(
        // Syntax, told at the parser's offset.
        malformedProfile{"MissingComma", R"("*RST" },)", R"("*RST" })", 6, "unterminated object"},
        malformedProfile{"UnclosedObject", "    }\n}\n", "    }\n", 20, "unterminated object"},
        // The file as a whole.
        malformedProfile{"WrongFormat", R"("format": 1)", R"("format": 2)", 2, "\"format\": 1"},
        malformedProfile{"NoFormat", R"("format": 1, )", "", 1, "\"format\": 1"},
        malformedProfile{"UnknownTopKey", R"("format": 1, )", R"("format": 1, "model": "x", )", 2,
                         "unknown key \"model\""},
        malformedProfile{"MissingFunction",
                         "        \"setGeneratorLevel\": { \"command\": \"RFG:AMPL {dbm}\" },\n",
                         "", 3, "missing function \"setGeneratorLevel\""},
        malformedProfile{"UnknownFunction", R"("reset": {)", R"("rest": {)", 5,
                         "unknown function \"rest\""},
        malformedProfile{"FunctionNotObject", R"("reset": { "command": "*RST" })",
                         R"("reset": "*RST")", 5, "reset is to be an object"},
        // Command texts.
        malformedProfile{"QueryForCommand", R"({ "command": "*RST" })", R"({ "query": "*RST" })", 5,
                         "unknown key \"query\""},
        malformedProfile{"EmptyCommand", R"("*RST")", R"("  ")", 5, "command text is needed"},
        malformedProfile{"TwoLines", R"("*RST")", R"("*RST\n*CLS")", 5, "one line"},
        malformedProfile{"UnknownPlaceholder", "{hz}", "{freq}", 7, "unknown placeholder {freq}"},
        malformedProfile{"PlaceholderOfAnother", "RFG:AMPL {dbm}", "RFG:AMPL {hz}", 11,
                         "{hz} does not belong to setGeneratorLevel"},
        malformedProfile{"PlaceholderInQuery", R"("query": "POW?")", R"("query": "POW? {dbm}")", 8,
                         "does not belong to measurePower"},
        malformedProfile{"NoPlaceholder", "RFG:AMPL {dbm}", "RFG:AMPL -50", 11,
                         "needs a placeholder"},
        malformedProfile{"UnclosedPlaceholder", "RFAN:FREQ {hz}", "RFAN:FREQ {hz", 7,
                         "no placeholder"},
        malformedProfile{"SwitchTextNotText", R"("on": "1")", R"("on": 1)", 12,
                         "command text is needed"},
        // Measurements.
        malformedProfile{"NoField", R"("field": 1, )", "", 8, "measurePower has no \"field\""},
        malformedProfile{"NegativeField", R"("field": 1)", R"("field": -1)", 8, "bad field index"},
        malformedProfile{"FractionalField", R"("field": 1)", R"("field": 1.5)", 8,
                         "bad field index"},
        malformedProfile{"FieldAsText", R"("field": 1)", R"("field": "1")", 8, "bad field index"},
        malformedProfile{"FieldBeyondReply", R"("field": 1)", R"("field": 32)", 8,
                         "bad field index"},
        malformedProfile{"ReliabilityIsReading", R"("reliabilityField": 0)",
                         R"("reliabilityField": 1)", 8, "not the reading's field"},
        malformedProfile{"ValidValueWithoutField", R"("reliabilityField": 0)", R"("validValue": 0)",
                         8, "needs a \"reliabilityField\""},
        malformedProfile{"NoUnit", R"(, "unit": "Hz")", "", 9, "measureDeviation has no \"unit\""},
        malformedProfile{"UnknownUnit", R"("unit": "dBm")", R"("unit": "dBW")", 8,
                         "bad unit \"dBW\" for measurePower (it takes W, mW, dBm)"},
        malformedProfile{"UnitOfAnother", R"("unit": "Hz")", R"("unit": "W")", 9,
                         "bad unit \"W\" for measureDeviation"},
        malformedProfile{"UnitOnItsOwnLine", R"("unit": "dB")", R"("unit": "%")", 16,
                         "bad unit \"%\" for measureSinad"},
        malformedProfile{"TypoInKey", R"("reliabilityField")", R"("reliabilityfield")", 8,
                         "unknown key \"reliabilityfield\""},
        malformedProfile{"NoValidity", ",\n            \"invalidAtOrAbove\": 9.91e37", "", 13,
                         "invalid reading is recognised"},
        malformedProfile{"ThresholdAsText", R"("invalidAtOrAbove": 9.91e37 })",
                         R"("invalidAtOrAbove": "9.91e37" })", 9, "a number is needed"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(InstrumentProfile, ShippedProfilesLoadByName) {
    for (const char* name : {"cma-style", "classic-style"}) {
        const auto result = findInstrumentProfile(QString::fromUtf8(name));
        ASSERT_TRUE(result.profile) << result.error.toStdString();
        EXPECT_EQ(result.profile->name.toStdString(), name);
        EXPECT_TRUE(result.profile->path.startsWith(shippedProfilesDirectory()));
        EXPECT_FALSE(result.profile->description.isEmpty());
    }
}

// A private per-user data directory for one test.
class UserProfiles : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", home_.path().toLocal8Bit());
        ASSERT_TRUE(QDir().mkpath(userProfilesDirectory()));
        ASSERT_TRUE(userProfilesDirectory().startsWith(home_.path()));
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", previous_); }

    static QString write(const QString& path, const QByteArray& text) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }

    QTemporaryDir home_;
    QByteArray previous_;
};

TEST_F(UserProfiles, AUserProfileByNameComesBeforeAShippedOne) {
    write(QDir(userProfilesDirectory()).filePath(QStringLiteral("bench.json")), kValidProfile);
    write(QDir(userProfilesDirectory()).filePath(QStringLiteral("cma-style.json")),
          edited("RFAN:FREQ {hz}", "RFAN:FREQ {khz}"));

    const auto bench = findInstrumentProfile(QStringLiteral("bench"));
    ASSERT_TRUE(bench.profile) << bench.error.toStdString();
    const auto corrected = findInstrumentProfile(QStringLiteral("cma-style"));
    ASSERT_TRUE(corrected.profile) << corrected.error.toStdString();
    EXPECT_EQ(
        corrected.profile->path.toStdString(),
        QDir(userProfilesDirectory()).filePath(QStringLiteral("cma-style.json")).toStdString());
    EXPECT_EQ(corrected.profile->operator[](monitorFunction::SetAnalyzerFrequency).text,
              QStringLiteral("RFAN:FREQ {khz}"));
}

TEST_F(UserProfiles, AFileIsTakenByItsPathAndRefusedWithItsName) {
    const QString good = write(home_.filePath(QStringLiteral("mine.json")), kValidProfile);
    const auto byPath = findInstrumentProfile(good);
    ASSERT_TRUE(byPath.profile) << byPath.error.toStdString();
    EXPECT_EQ(byPath.profile->name, QStringLiteral("mine"));

    const QString bad =
        write(home_.filePath(QStringLiteral("broken.json")), edited("{hz}", "{freq}"));
    const auto refused = findInstrumentProfile(bad);
    EXPECT_FALSE(refused.profile);
    EXPECT_TRUE(refused.error.startsWith(bad + QStringLiteral(":7: ")))
        << refused.error.toStdString();
}

TEST_F(UserProfiles, AnUnknownNameOrMissingFileSaysWhereItWasLookedFor) {
    const auto unknown = findInstrumentProfile(QStringLiteral("no-such-monitor"));
    EXPECT_FALSE(unknown.profile);
    EXPECT_TRUE(unknown.error.contains(QStringLiteral("no-such-monitor")));
    EXPECT_TRUE(unknown.error.contains(userProfilesDirectory()));
    EXPECT_TRUE(unknown.error.contains(shippedProfilesDirectory()));

    const auto missing = findInstrumentProfile(home_.filePath(QStringLiteral("gone.json")));
    EXPECT_FALSE(missing.profile);
    EXPECT_TRUE(missing.error.contains(QStringLiteral("gone.json")));
}

struct expansion {
    monitorFunction function;
    const char* text;
    double value;
    const char* expected;
};

class CommandExpansion : public ::testing::TestWithParam<expansion> {};

TEST_P(CommandExpansion, WritesTheValueAsTheInstrumentReadsIt) {
    const auto& row = GetParam();
    functionProfile profile;
    profile.text = QString::fromUtf8(row.text);
    EXPECT_EQ(expandCommand(row.function, profile, row.value).toStdString(), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandExpansion,
    ::testing::Values(
        expansion{monitorFunction::SetGeneratorFrequency, "F {hz}", 451.0125, "F 451012500"},
        // 146.52 MHz is 146519999.99999997 Hz in binary; it must not be cut to ...999.
        expansion{monitorFunction::SetGeneratorFrequency, "F {hz}", 146.52, "F 146520000"},
        expansion{monitorFunction::SetAnalyzerFrequency, "F {khz} kHz", 451.0125, "F 451012.5 kHz"},
        expansion{monitorFunction::SetAnalyzerFrequency, "F {mhz}MHZ", 440.0, "F 440MHZ"},
        expansion{monitorFunction::SetAnalyzerFrequency, "F {mhz};F? {hz}", 136.000005,
                  "F 136.000005;F? 136000005"},
        expansion{monitorFunction::SetGeneratorLevel, "L {dbm}", -107.5, "L -107.5"},
        expansion{monitorFunction::SetGeneratorLevel, "L {dbm}", -0.001, "L 0"},
        expansion{monitorFunction::SetGeneratorLevel, "L {dbm}", 3.0, "L 3"},
        expansion{monitorFunction::SetGeneratorOn, "S {on}", 1.0, "S ON"},
        expansion{monitorFunction::SetGeneratorOn, "S {on}", 0.0, "S OFF"},
        expansion{monitorFunction::Reset, "*RST", 0.0, "*RST"}));

TEST(InstrumentProfile, ReadingsConvertToTheMonitorsUnits) {
    EXPECT_DOUBLE_EQ(toMonitorUnit(readingUnit::Dbm, 30.0), 1.0);
    EXPECT_NEAR(toMonitorUnit(readingUnit::Dbm, 36.98970004), 5.0, 1e-6);
    EXPECT_NEAR(toMonitorUnit(readingUnit::Dbm, 0.0), 1e-3, 1e-15);
    EXPECT_DOUBLE_EQ(toMonitorUnit(readingUnit::Milliwatt, 2500.0), 2.5);
    EXPECT_DOUBLE_EQ(toMonitorUnit(readingUnit::Watt, 4.5), 4.5);
    EXPECT_DOUBLE_EQ(toMonitorUnit(readingUnit::Hertz, 2875.0), 2.875);
    EXPECT_DOUBLE_EQ(toMonitorUnit(readingUnit::Kilohertz, 2.875), 2.875);
}

struct errorReply {
    const char* reply;
    std::optional<int> code;
    const char* text;
};

class ErrorQueueReply : public ::testing::TestWithParam<errorReply> {};

TEST_P(ErrorQueueReply, GivesCodeAndText) {
    const auto& row = GetParam();
    const auto error = parseScpiError(row.reply);
    ASSERT_EQ(error.has_value(), row.code.has_value());
    if (error) {
        EXPECT_EQ(error->code, *row.code);
        EXPECT_EQ(error->text.toStdString(), row.text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ErrorQueueReply,
    ::testing::Values(errorReply{R"(0,"No error")", 0, "No error"},
                      errorReply{R"(+0,"No error")", 0, "No error"},
                      errorReply{R"(-113,"Undefined header")", -113, "Undefined header"},
                      errorReply{R"(-222, "Data out of range, 2 GHz")", -222,
                                 "Data out of range, 2 GHz"},
                      errorReply{"0", 0, ""}, errorReply{R"("No error")", std::nullopt, ""},
                      errorReply{"", std::nullopt, ""}));

} // namespace
} // namespace kavrin
