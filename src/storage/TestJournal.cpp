#include "storage/TestJournal.h"

#include "platform/Files.h"
#include "platform/TextFile.h"

#include <charconv>
#include <cstdio>
#include <stdexcept>

namespace dilato {

namespace {

constexpr char kSep = '\t';

std::string Number(float value) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

std::string Number(long value) {
    return std::to_string(value);
}

std::string Number(double value) {
    char buffer[40];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

// A text field: no tab or line end may split the record.
std::string Text(std::string_view text) {
    std::string s = OneLineText(text);
    for (char& c : s)
        if (c == kSep) c = ' ';
    return s;
}

std::string Sealed(std::string line) {
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08x", static_cast<unsigned>(Crc32(line)));
    return line + kSep + crc;
}

std::string Record(char kind, const std::vector<std::string>& fields) {
    std::string line(1, kind);
    for (const auto& f : fields) line += kSep + f;
    return Sealed(std::move(line));
}

std::vector<std::string> ReadingFields(const Reading& r) {
    return {Number(r.elapsedMinutes), Number(r.indicator), Number(r.temperature),
            Number(r.liveSlope), Number(r.projectedIndicator)};
}

// The fields of a sealed line without its check; nullopt when the check fails.
std::optional<std::vector<std::string>> Unseal(std::string_view line) {
    const auto tab = line.rfind(kSep);
    if (tab == std::string_view::npos || line.size() - tab - 1 != 8) return std::nullopt;
    unsigned crc = 0;
    const auto digits = line.substr(tab + 1);
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + 8, crc, 16);
    if (ec != std::errc() || ptr != digits.data() + 8) return std::nullopt;
    const auto body = line.substr(0, tab);
    if (Crc32(body) != crc) return std::nullopt;
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const auto next = body.find(kSep, start);
        fields.emplace_back(body.substr(start, next - start));
        if (next == std::string_view::npos) break;
        start = next + 1;
    }
    return fields;
}

// A number field written by this file: all of it a number, nothing around it.
template <typename T> T NumberField(const std::string& text) {
    T value{};
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size())
        throw std::invalid_argument("not a number: " + text);
    return value;
}

float FloatField(const std::string& text) {
    return NumberField<float>(text);
}

double DoubleField(const std::string& text) {
    return NumberField<double>(text);
}

int IntField(const std::string& text) {
    return NumberField<int>(text);
}

Reading ReadingOf(const std::vector<std::string>& f, size_t first) {
    Reading r;
    for (const ReadingColumn k : kReadingColumns)
        r.column(k) = FloatField(f.at(first + static_cast<size_t>(ColumnNumber(k)) - 1));
    return r;
}

std::vector<Reading>& StepSlot(JournalContent& c, int step) {
    if (step < 1 || step > StepData::kMaxSteps) throw std::out_of_range("step");
    if (c.readings.size() <= static_cast<size_t>(step)) c.readings.resize(step + 1);
    return c.readings[static_cast<size_t>(step)];
}

void ApplyRecord(JournalContent& c, const std::vector<std::string>& f) {
    const std::string& kind = f.at(0);
    if (kind == "S") {
        JournalStart s;
        s.time = f.at(1);
        s.dataFolder = f.at(2);
        s.testName = f.at(3);
        s.sampleId = f.at(4);
        s.lengthBox = f.at(5);
        s.sampleLength = FloatField(f.at(6));
        s.unitsInches = IntField(f.at(7)) != 0;
        s.accuracyOption = IntField(f.at(8));
        s.batchTests = IntField(f.at(9));
        s.roundTrip = IntField(f.at(10));
        for (size_t i = 0; i < s.plan.size(); ++i) s.plan[i] = f.at(11 + i);
        s.initial.time = IntField(f.at(20));
        s.initial.sampleLength = FloatField(f.at(21));
        s.initial.indicator = FloatField(f.at(22));
        s.initial.sampleTemp = FloatField(f.at(23));
        // A class this program does not know (a newer one's) goes on as "unknown".
        if (f.size() > 24)
            s.materialClass = ParseMaterialClass(f[24]).value_or(MaterialClass::Unknown);
        if (f.size() > 26) {
            s.correctionRecord = IntField(f[25]);
            s.correctionOutOfControl = IntField(f[26]) != 0;
        }
        for (size_t i = 27; i < f.size(); ++i) s.correctionWarnings.push_back(f[i]);
        c.start = std::move(s);
    } else if (kind == "R") {
        StepSlot(c, IntField(f.at(2))).push_back(ReadingOf(f, 3));
    } else if (kind == "W") {
        JournalStepSave save;
        save.time = f.at(1);
        save.step = IntField(f.at(2));
        save.projection.projectedIndicator = FloatField(f.at(3));
        save.projection.projectedCte = FloatField(f.at(4));
        save.projection.stabilityThreshold = FloatField(f.at(5));
        // A step saved again (its save journalled twice) counts once. A save record that
        // was lost (damaged) before this one is made up from the one before it.
        if (save.step > StepData::kMaxSteps) throw std::out_of_range("step");
        while (save.step > c.stepsSaved() + 1) {
            JournalStepSave gap = c.saves.empty() ? JournalStepSave{} : c.saves.back();
            gap.step = c.stepsSaved() + 1;
            c.saves.push_back(gap);
        }
        if (save.step == c.stepsSaved() + 1) c.saves.push_back(save);
    } else if (kind == "H") {
        const int step = IntField(f.at(2));
        if (step < 1 || step > StepData::kMaxSteps) throw std::out_of_range("step");
        HoldFacts h;
        h.setPoint = IntField(f.at(3));
        h.stepMinutes = DoubleField(f.at(4));
        h.holdStartMinutes = DoubleField(f.at(5));
        h.averageSlope = FloatField(f.at(6));
        h.liveSlope = FloatField(f.at(7));
        h.threshold = FloatField(f.at(8));
        h.steadyTicks = IntField(f.at(9));
        const int ending = IntField(f.at(10));
        if (ending < 0 || ending > static_cast<int>(StepEnding::Operator))
            throw std::invalid_argument("ending");
        h.ending = static_cast<StepEnding>(ending);
        if (c.holds.size() <= static_cast<size_t>(step)) c.holds.resize(step + 1);
        c.holds[static_cast<size_t>(step)] = h;
    } else if (kind == "U") {
        auto& readings = StepSlot(c, IntField(f.at(2)));
        if (!readings.empty()) c.abandoned.emplace_back(IntField(f.at(2)), std::move(readings));
        readings.clear();
        ++c.resumptions;
    } else if (kind == "E") {
        c.endedHow = f.at(2);
    } else if (kind != "C") {
        throw std::invalid_argument("unknown record " + kind);
    }
    c.lastTime = f.at(1);
}

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

} // namespace

std::uint32_t Crc32(std::string_view bytes) {
    static constexpr auto kTable = MakeCrcTable();
    std::uint32_t c = 0xFFFFFFFFu;
    for (const char ch : bytes) c = kTable[(c ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

const std::vector<Reading>& JournalContent::stepReadings(int step) const {
    static const std::vector<Reading> kNone;
    return step >= 0 && static_cast<size_t>(step) < readings.size()
               ? readings[static_cast<size_t>(step)]
               : kNone;
}

std::optional<HoldFacts> JournalContent::holdFacts(int step) const {
    return step >= 0 && static_cast<size_t>(step) < holds.size()
               ? holds[static_cast<size_t>(step)]
               : std::nullopt;
}

std::string JournalStartLine(const JournalStart& s) {
    std::vector<std::string> f{s.time,
                               Text(s.dataFolder),
                               Text(s.testName),
                               Text(s.sampleId),
                               Text(s.lengthBox),
                               Number(s.sampleLength),
                               Number(long{s.unitsInches}),
                               Number(long{s.accuracyOption}),
                               Number(long{s.batchTests}),
                               Number(long{s.roundTrip})};
    for (const auto& t : s.plan) f.push_back(Text(t));
    f.push_back(Number(long{s.initial.time}));
    f.push_back(Number(s.initial.sampleLength));
    f.push_back(Number(s.initial.indicator));
    f.push_back(Number(s.initial.sampleTemp));
    f.push_back(MaterialClassName(s.materialClass));
    f.push_back(Number(long{s.correctionRecord}));
    f.push_back(Number(long{s.correctionOutOfControl}));
    for (const auto& w : s.correctionWarnings) f.push_back(Text(w));
    return Record('S', f);
}

std::string JournalReadingLine(const std::string& time, int step, const Reading& r) {
    std::vector<std::string> f{time, Number(long{step})};
    for (auto& v : ReadingFields(r)) f.push_back(std::move(v));
    return Record('R', f);
}

std::string JournalSaveLine(const JournalStepSave& s) {
    return Record('W', {s.time, Number(long{s.step}), Number(s.projection.projectedIndicator),
                        Number(s.projection.projectedCte),
                        Number(s.projection.stabilityThreshold)});
}

std::string JournalResultLine(const std::string& time, int row,
                              const std::array<float, 5>& values) {
    std::vector<std::string> f{time, Number(long{row})};
    for (const float v : values) f.push_back(Number(v));
    return Record('C', f);
}

std::string JournalHoldLine(const std::string& time, int step, const HoldFacts& h) {
    return Record('H', {time, Number(long{step}), Number(long{h.setPoint}), Number(h.stepMinutes),
                        Number(h.holdStartMinutes), Number(h.averageSlope), Number(h.liveSlope),
                        Number(h.threshold), Number(long{h.steadyTicks}),
                        Number(static_cast<long>(h.ending))});
}

std::string JournalResumeLine(const std::string& time, int step) {
    return Record('U', {time, Number(long{step})});
}

std::string JournalEndLine(const std::string& time, const std::string& how) {
    return Record('E', {time, Text(how)});
}

JournalContent ParseJournal(const std::vector<std::string>& lines) {
    JournalContent c;
    for (const auto& line : lines) {
        if (line.empty()) continue;
        const auto fields = Unseal(line);
        if (!fields) {
            ++c.badLines;
            continue;
        }
        try {
            // A record of a test before the start record belongs to no test.
            if (fields->at(0) != "S" && !c.start) throw std::invalid_argument("no start");
            ApplyRecord(c, *fields);
            ++c.goodLines;
        } catch (const std::exception&) {
            ++c.badLines;
        }
    }
    return c;
}

std::vector<std::string> SplitJournalLines(std::string_view bytes) {
    // Every record carries its own check, so a line end of any kind can be trusted to
    // separate records; a record never holds a CR or LF of its own.
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n') continue;
        if (i > start) lines.emplace_back(bytes.substr(start, i - start));
        start = i + 1;
    }
    return lines;
}

std::optional<JournalContent> ReadJournal(const std::string& path) {
    const auto bytes = ReadFileBytes(path);
    if (!bytes) return std::nullopt;
    return ParseJournal(SplitJournalLines(*bytes));
}

void JournalFile::append(const std::string& line) {
    pending_.push_back(line);
    flush();
}

void JournalFile::flush() {
    if (pending_.empty()) return;
    std::string bytes;
    // A torn last line left by a crash is ended first: the next record starts a line.
    if (!tailChecked_ && IsFile(path_) && !EndsWithLineEnd(path_)) bytes = "\r\n";
    for (const auto& line : pending_) bytes += line + "\r\n";
    AppendDurably(path_, bytes, "journal-write");
    tailChecked_ = true;
    pending_.clear();
}

} // namespace dilato
