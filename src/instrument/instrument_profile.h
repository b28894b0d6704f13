// How one family of service monitors is spoken to: for each function of IServiceMonitor the
// command text with its placeholders, and for a measurement the reply field to take, its unit and
// how the instrument marks a reading invalid. Profiles are JSON files (their format is in
// docs/architecture.md, "Instruments"): shipped ones in the folder "instruments" beside the
// program, the user's own in the per-user data directory's "instruments".
#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace kavrin {

// The profile's functions, in the order of the function table.
enum class monitorFunction : std::size_t {
    Identify,
    Reset,
    ErrorQuery,
    SetAnalyzerFrequency,
    MeasurePower,
    MeasureDeviation,
    SetGeneratorFrequency,
    SetGeneratorLevel,
    SetGeneratorOn,
    MeasureSinad,
};
inline constexpr std::size_t kMonitorFunctionCount = 10;

enum class functionKind {
    Query,       // a reply taken as text: *IDN?, the error queue
    Command,     // no reply; the error queue is asked after it
    Measurement, // a reply with a number in one of its fields
};

// What a placeholder in a command stands for.
enum class placeholderValue { Frequency, Level, Switch };

// The units a measurement's field may be given in; each converts to its function's own unit.
enum class readingUnit { Watt, Milliwatt, Dbm, Hertz, Kilohertz, Decibel };

struct functionRow {
    monitorFunction function;
    std::string_view key; // the function's name in a profile file
    functionKind kind;
    std::optional<placeholderValue> value; // what the command's placeholder carries, if any
};

inline constexpr std::array<functionRow, kMonitorFunctionCount> kMonitorFunctions{{
    {monitorFunction::Identify, "identify", functionKind::Query, std::nullopt},
    {monitorFunction::Reset, "reset", functionKind::Command, std::nullopt},
    {monitorFunction::ErrorQuery, "errorQuery", functionKind::Query, std::nullopt},
    {monitorFunction::SetAnalyzerFrequency, "setAnalyzerFrequency", functionKind::Command,
     placeholderValue::Frequency},
    {monitorFunction::MeasurePower, "measurePower", functionKind::Measurement, std::nullopt},
    {monitorFunction::MeasureDeviation, "measureDeviation", functionKind::Measurement,
     std::nullopt},
    {monitorFunction::SetGeneratorFrequency, "setGeneratorFrequency", functionKind::Command,
     placeholderValue::Frequency},
    {monitorFunction::SetGeneratorLevel, "setGeneratorLevel", functionKind::Command,
     placeholderValue::Level},
    {monitorFunction::SetGeneratorOn, "setGeneratorOn", functionKind::Command,
     placeholderValue::Switch},
    {monitorFunction::MeasureSinad, "measureSinad", functionKind::Measurement, std::nullopt},
}};

constexpr const functionRow& rowOf(monitorFunction function) {
    return kMonitorFunctions[static_cast<std::size_t>(function)];
}

// The placeholders a command may hold, each with what it stands for and how it is written.
struct placeholderRow {
    std::string_view name; // written {name}
    placeholderValue value;
};

inline constexpr std::array<placeholderRow, 5> kPlaceholders{{
    {"hz", placeholderValue::Frequency},  // whole hertz
    {"khz", placeholderValue::Frequency}, // kilohertz, up to three decimals
    {"mhz", placeholderValue::Frequency}, // megahertz, up to six decimals
    {"dbm", placeholderValue::Level},     // dBm, up to two decimals
    {"on", placeholderValue::Switch},     // the profile's "on" or "off" text
}};

// The units each measurement's reply field may be in; the reading is converted to the unit of
// IServiceMonitor (W, kHz, dB).
struct unitRow {
    std::string_view name;
    readingUnit unit;
    monitorFunction function;
};

inline constexpr std::array<unitRow, 6> kReadingUnits{{
    {"W", readingUnit::Watt, monitorFunction::MeasurePower},
    {"mW", readingUnit::Milliwatt, monitorFunction::MeasurePower},
    {"dBm", readingUnit::Dbm, monitorFunction::MeasurePower},
    {"Hz", readingUnit::Hertz, monitorFunction::MeasureDeviation},
    {"kHz", readingUnit::Kilohertz, monitorFunction::MeasureDeviation},
    {"dB", readingUnit::Decibel, monitorFunction::MeasureSinad},
}};

double toMonitorUnit(readingUnit unit, double reading);

inline constexpr int kProfileFormat = 1;

// A reply field is found by its index among the comma-separated fields; more than this many
// fields is no reply of a service monitor.
inline constexpr int kMaxReplyFields = 32;

struct functionProfile {
    QString text; // the command or query, placeholders still in it
    // Measurements only.
    int field = 0;
    readingUnit unit = readingUnit::Watt;
    std::optional<int> reliabilityField;    // the field that says whether the reading is valid
    int validValue = 0;                     // ... and its value when it is
    std::optional<double> invalidAtOrAbove; // a reading this large means "no reading"
    // setGeneratorOn only: what {on} becomes.
    QString onText = QStringLiteral("ON");
    QString offText = QStringLiteral("OFF");
};

struct instrumentProfile {
    QString name;
    QString description;
    QString path; // the file it was read from
    std::array<functionProfile, kMonitorFunctionCount> functions;

    const functionProfile& operator[](monitorFunction function) const {
        return functions[static_cast<std::size_t>(function)];
    }
};

struct instrumentProfileResult {
    std::optional<instrumentProfile> profile;
    QString error; // "FILE:LINE: reason" when the profile was refused; empty when it is set
};

// Reads and validates a whole profile; `path` names it in the messages.
instrumentProfileResult parseInstrumentProfile(const QByteArray& json, const QString& path);
instrumentProfileResult loadInstrumentProfile(const QString& path);

// A text that names a file (it has a '/' or ends in ".json") is loaded from there; any other is
// the name of a profile in the user's folder or, if it is not there, the shipped folder, so a
// user can put a corrected copy of a shipped profile under its own name.
instrumentProfileResult findInstrumentProfile(const QString& nameOrFile);

// The shipped profiles: "instruments" beside the program, or the source tree's res/instruments
// for a program run from its build tree without them.
QString shippedProfilesDirectory();
// AppDataLocation + "/instruments".
QString userProfilesDirectory();

// The function's command with its placeholders replaced by `value` (MHz for a frequency, dBm for
// a level, non-zero for on).
QString expandCommand(monitorFunction function, const functionProfile& profile, double value);

} // namespace kavrin
