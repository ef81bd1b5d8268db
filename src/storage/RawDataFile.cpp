#include "storage/RawDataFile.h"

#include "platform/Format.h"
#include "platform/LeadingNumber.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

namespace dilato {

namespace {

constexpr const char* kFieldSeparator = ",     ";

bool StartsWith(const std::string& line, std::string_view prefix) {
    return line.compare(0, prefix.size(), prefix) == 0;
}

// A field of a reading line as a number: blanks around it allowed, nothing else.
float FieldNumber(std::string_view field) {
    const auto first = field.find_first_not_of(" \t");
    const auto last = field.find_last_not_of(" \t");
    if (first == std::string_view::npos) throw std::invalid_argument("empty field");
    const char* begin = field.data() + first;
    const char* end = field.data() + last + 1;
    if (*begin == '+') ++begin;
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    // A reading is single precision: a number beyond its range would be stored as infinity
    // and written back as a text no reader takes.
    const auto single = static_cast<float>(value);
    if (ec != std::errc() || ptr != end || !std::isfinite(single))
        throw std::invalid_argument("not a number");
    return single;
}

} // namespace

std::string RawReadingLine(const Reading& r) {
    return FormatSingle(r.elapsedMinutes, "0.0") + kFieldSeparator +
           FormatSingle(r.indicator, "0.000000") + kFieldSeparator +
           FormatSingle(r.temperature, "0.00") + kFieldSeparator + FormatSingle(r.liveSlope, "0") +
           kFieldSeparator + FormatSingle(r.projectedIndicator, "0.000000");
}

std::vector<Reading> RawFileReadings(std::span<const Reading> readings) {
    std::vector<Reading> kept;
    bool clockStarted = false;
    for (const Reading& r : readings) {
        clockStarted = clockStarted || r.elapsedMinutes > 0.01f;
        if (clockStarted) kept.push_back(r);
    }
    return kept;
}

std::vector<std::string> RawDataLines(const StepData& data, int steps, float sampleLength,
                                      int accuracyOption) {
    std::vector<std::string> lines;
    lines.push_back("Sample Length = " + FormatSingle(sampleLength, "0.000"));
    lines.push_back("Accuracy Option = " + FormatNumber(accuracyOption, "0"));
    for (int n = 1; n <= steps; ++n) {
        lines.push_back("Test #" + FormatNumber(n, "0"));
        lines.push_back(kRawColumnTitles);
        for (const Reading& reading : RawFileReadings(data.readings(n)))
            lines.push_back(RawReadingLine(reading));
    }
    return lines;
}

namespace {

// Fills `test` line by line; false at the first bad line (what came before stays).
bool ReadRawLines(const std::vector<std::string>& lines, StoredTest& test) {
    test.data.reset(StepData::kMaxSteps, 100);
    int slot = 1, expected = 0, step = 0;
    try {
        for (const std::string& line : lines) {
            if (StartsWith(line, "Sample Length = ")) {
                test.sampleLength = static_cast<float>(FileNumber(line.substr(16)));
                if (expected != 0) return false;
                expected = 1;
            } else if (StartsWith(line, "Accuracy Option = ")) {
                test.accuracyOption = static_cast<int>(std::lround(LeadingNumber(line.substr(18))));
            } else if (StartsWith(line, "Test #")) {
                step = static_cast<int>(std::lround(LeadingNumber(line.substr(6))));
                if (step != expected || step > StepData::kMaxSteps) return false;
                ++expected;
            } else if (StartsWith(line, "Elapsed (min.)")) {
                continue;
            } else {
                std::vector<std::string_view> fields;
                std::string_view rest(line);
                for (size_t comma;
                     fields.size() < 5 && (comma = rest.find(',')) != std::string_view::npos;) {
                    fields.push_back(rest.substr(0, comma));
                    rest.remove_prefix(comma + 1);
                }
                if (fields.size() < 5) fields.push_back(rest.substr(0, rest.find(',')));
                if (fields.size() < 5) return false;
                // The whole line or nothing of it: a bad field leaves no half reading.
                float values[5];
                for (size_t k = 0; k < 5; ++k) values[k] = FieldNumber(fields[k]);
                for (const ReadingColumn k : kReadingColumns)
                    test.data.set(step, k, slot, values[static_cast<size_t>(ColumnNumber(k) - 1)]);
                ++slot;
            }
        }
    } catch (const std::exception&) {
        return false; // a field that is no number, a reading before any step header
    }
    return step >= 2;
}

} // namespace

std::vector<Reading> StoredStepReadings(const StoredTest& test, int step) {
    std::vector<Reading> readings;
    if (step < 1 || step > test.data.stepCount()) return readings;
    // The readings of all steps share one numbering: the slots of the other steps' readings
    // are empty (all five columns 0) in this step.
    for (const Reading& r : test.data.readings(step))
        if (r.elapsedMinutes != 0 || r.indicator != 0 || r.temperature != 0 || r.liveSlope != 0 ||
            r.projectedIndicator != 0)
            readings.push_back(r);
    return readings;
}

std::optional<StoredTest> ParseRawData(const std::vector<std::string>& lines,
                                       StoredTest* partial) {
    StoredTest test;
    if (ReadRawLines(lines, test)) return test;
    if (partial) *partial = std::move(test);
    return std::nullopt;
}

} // namespace dilato
