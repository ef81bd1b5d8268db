#include "calibration/CorrectionRecord.h"

#include "analysis/ReferenceMaterial.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace dilato {

namespace fs = std::filesystem;

namespace {

constexpr const char* kHeaderStart = "Reference run of CTE Tester serial #: ";
constexpr const char* kEndLine = "End of record";
constexpr const char* kDateFormat = "yyyy-MM-ddTHH:mm:ss";
constexpr size_t kMaxPoints = 10;
constexpr size_t kLongestText = 80;
constexpr std::uintmax_t kLargestRecord = 16 * 1024;

std::string Fixed(double value, int decimals) {
    return FormatFixed(value, decimals);
}

// The numbers of a value, each strictly read; nothing unless there are exactly `count`.
std::optional<std::vector<double>> Numbers(const std::string& value, size_t count) {
    std::istringstream in(value);
    std::vector<double> out;
    std::string word;
    while (in >> word) {
        const auto n = StrictNumber(word);
        if (!n) return std::nullopt;
        out.push_back(*n);
    }
    if (out.size() != count) return std::nullopt;
    return out;
}

bool PlainText(const std::string& text) {
    if (text.empty() || text.size() > kLongestText) return false;
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return true;
}

// Walks the record's lines in their fixed order.
class LineReader {
  public:
    explicit LineReader(std::span<const std::string> lines) : lines_(lines) {}

    // The value of the next line, which must be "key: value".
    std::optional<std::string> take(const std::string& key) {
        if (at_ >= lines_.size()) return fail("ends before \"" + key + "\"");
        const std::string& line = lines_[at_];
        const std::string start = key + ": ";
        if (line.compare(0, start.size(), start) != 0)
            return fail("line " + std::to_string(at_ + 1) + " is not \"" + key + "\"");
        ++at_;
        return line.substr(start.size());
    }
    [[nodiscard]] bool next(const std::string& key) const {
        return at_ < lines_.size() && lines_[at_].compare(0, key.size() + 2, key + ": ") == 0;
    }
    bool takeLine(const std::string& exact) {
        if (at_ >= lines_.size() || lines_[at_] != exact) {
            (void)fail("line " + std::to_string(at_ + 1) + " is not \"" + exact + "\"");
            return false;
        }
        ++at_;
        return true;
    }
    [[nodiscard]] bool atEnd() const { return at_ == lines_.size(); }
    std::nullopt_t fail(const std::string& why) {
        if (error.empty()) error = why;
        return std::nullopt;
    }
    std::string error;

  private:
    std::span<const std::string> lines_;
    size_t at_ = 0;
};

} // namespace

std::optional<ColumnCorrection> CorrectionRecordData::curve() const {
    return ColumnCorrection::Fit(points, sampleLength, alphaUncertainty, certifiedCte);
}

std::vector<std::string> CorrectionRecordLines(const CorrectionRecordData& r) {
    const std::string header = kHeaderStart + OneLineText(r.serial) + "  " +
                               FormatDateMDY(r.made.date()) + "  " + FormatTime24(r.made.time());
    std::vector<std::string> lines{header, std::string(header.size(), '-')};
    lines.push_back("Record: " + std::to_string(r.number));
    lines.push_back("Date: " + r.made.toString(kDateFormat).toStdString());
    lines.push_back("Serial: " + OneLineText(r.serial));
    lines.push_back("Reference: " + OneLineText(r.reference));
    lines.push_back("Certificate: " + OneLineText(r.certificate));
    lines.push_back("Test: " + OneLineText(r.test));
    lines.push_back("Sample Length: " + Fixed(r.sampleLength, 4));
    lines.push_back("Alpha Uncertainty: " + Fixed(r.alphaUncertainty, 4));
    std::string scales = "Stage Scales:";
    for (const float s : r.scales)
        scales += " " + Fixed(s, 7);
    lines.push_back(scales);
    for (const CorrectionPoint& p : r.points)
        lines.push_back("Point: " + Fixed(p.temp, 3) + " " + Fixed(p.column, 10) + " " +
                        Fixed(p.sigma, 10));
    lines.push_back("Check Range: " + Fixed(r.fromTemp, 2) + " " + Fixed(r.toTemp, 2));
    lines.push_back("Measured CTE: " + Fixed(r.measuredCte, 4) + " " + Fixed(r.measuredU, 4));
    lines.push_back("Certified CTE: " + Fixed(r.certifiedCte, 4) + " " + Fixed(r.certifiedU, 4));
    lines.push_back("Used Correction: " + std::to_string(r.usedRecord));
    lines.emplace_back(kEndLine);
    return lines;
}

std::optional<CorrectionRecordData> ParseCorrectionRecord(std::span<const std::string> lines,
                                                          std::string& error) {
    LineReader in(lines);
    CorrectionRecordData r;
    const auto done = [&](std::optional<CorrectionRecordData> result) {
        error = in.error;
        return result;
    };
    if (lines.size() < 2 || lines[0].rfind(kHeaderStart, 0) != 0 ||
        lines[1].find_first_not_of('-') != std::string::npos)
        return done(in.fail("no record header"));
    (void)in.takeLine(lines[0]);
    (void)in.takeLine(lines[1]);

    const auto number = in.take("Record");
    const auto n = number ? StrictNumber(*number) : std::nullopt;
    if (!n || *n < 1 || *n > 1e6 || *n != static_cast<int>(*n))
        return done(in.fail("the record number is not a whole number"));
    r.number = static_cast<int>(*n);

    const auto date = in.take("Date");
    if (!date) return done(std::nullopt);
    r.made = QDateTime::fromString(QString::fromStdString(*date), kDateFormat);
    if (!r.made.isValid()) return done(in.fail("the date is not a date"));

    for (auto [key, field] : {std::pair{"Serial", &r.serial}, std::pair{"Reference", &r.reference},
                              std::pair{"Certificate", &r.certificate},
                              std::pair{"Test", &r.test}}) {
        const auto value = in.take(key);
        if (!value) return done(std::nullopt);
        if (!PlainText(*value)) return done(in.fail(std::string("the ") + key + " is not a text"));
        *field = *value;
    }
    const auto length = in.take("Sample Length");
    const auto lengthValue = length ? Numbers(*length, 1) : std::nullopt;
    if (!lengthValue || !((*lengthValue)[0] > 0.05 && (*lengthValue)[0] < 20))
        return done(in.fail("the sample length is not a length"));
    r.sampleLength = (*lengthValue)[0];
    const auto alphaU = in.take("Alpha Uncertainty");
    const auto alphaValue = alphaU ? Numbers(*alphaU, 1) : std::nullopt;
    if (!alphaValue || !((*alphaValue)[0] >= 0 && (*alphaValue)[0] <= 10))
        return done(in.fail("the certificate's uncertainty is not a number"));
    r.alphaUncertainty = (*alphaValue)[0];
    const auto scales = in.take("Stage Scales");
    const auto scaleValues = scales ? Numbers(*scales, 4) : std::nullopt;
    if (!scaleValues) return done(in.fail("the stage scales are not four numbers"));
    for (size_t i = 0; i < 4; ++i)
        r.scales[i] = static_cast<float>((*scaleValues)[i]);

    while (in.next("Point")) {
        const auto value = Numbers(*in.take("Point"), 3);
        if (!value || std::fabs((*value)[0]) > 200 || std::fabs((*value)[1]) > 0.1 ||
            (*value)[2] < 0 || (*value)[2] > 0.01)
            return done(in.fail("a point is not a temperature, a column change and its "
                                "uncertainty"));
        if (r.points.size() >= kMaxPoints) return done(in.fail("too many points"));
        r.points.push_back({(*value)[0], (*value)[1], (*value)[2]});
    }
    if (r.points.size() < 2) return done(in.fail("fewer than two points"));

    const auto range = in.take("Check Range");
    const auto rangeValues = range ? Numbers(*range, 2) : std::nullopt;
    const auto measured = in.take("Measured CTE");
    const auto measuredValues = measured ? Numbers(*measured, 2) : std::nullopt;
    const auto certified = in.take("Certified CTE");
    const auto certifiedValues = certified ? Numbers(*certified, 2) : std::nullopt;
    if (!rangeValues || !measuredValues || !certifiedValues)
        return done(in.fail("the check is not numbers"));
    r.fromTemp = (*rangeValues)[0];
    r.toTemp = (*rangeValues)[1];
    r.measuredCte = (*measuredValues)[0];
    r.measuredU = (*measuredValues)[1];
    r.certifiedCte = (*certifiedValues)[0];
    r.certifiedU = (*certifiedValues)[1];
    if (r.measuredU < 0 || r.certifiedU < 0 || std::fabs(r.toTemp - r.fromTemp) < 1)
        return done(in.fail("the check's uncertainties or range are not possible"));
    const auto used = in.take("Used Correction");
    const auto usedValue = used ? StrictNumber(*used) : std::nullopt;
    if (!usedValue || *usedValue < 0 || *usedValue >= r.number ||
        *usedValue != static_cast<int>(*usedValue))
        return done(in.fail("the correction used is not an earlier record"));
    r.usedRecord = static_cast<int>(*usedValue);
    if (!in.takeLine(kEndLine)) return done(std::nullopt);
    if (!in.atEnd()) return done(in.fail("lines after the end of the record"));
    if (!r.curve()) return done(in.fail("the points give no correction curve"));
    return done(r);
}

std::string WriteCorrectionRecord(const std::string& folder, CorrectionRecordData& record) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    const std::string base = WithTrailingSeparator(folder);
    for (int n = 1; n < 1000000; ++n) {
        const std::string path = base + kCorrectionRecordPrefix + std::to_string(n) + ".txt";
        if (fs::exists(fs::symlink_status(path, ec))) continue;
        record.number = n;
        const std::string bytes = EncodeTextLines(CorrectionRecordLines(record));
        // "x": created here or not at all, so a record someone else wrote meanwhile stays.
        std::FILE* file = std::fopen(path.c_str(), "wbx");
        if (!file) {
            if (fs::exists(fs::symlink_status(path, ec))) continue;
            throw FileError("Cannot create " + path);
        }
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                             std::fflush(file) == 0;
        const bool closed = std::fclose(file) == 0;
        if (!written || !closed) {
            fs::remove(path, ec); // ours, and incomplete
            throw FileError("Cannot write " + path);
        }
        SyncFolderOf(path);
        return path;
    }
    throw FileError("No free record number in " + folder);
}

std::vector<StoredCorrection> ReadCorrectionRecords(const std::string& folder,
                                                    const QDateTime& now) {
    std::vector<StoredCorrection> out;
    const std::string prefix = kCorrectionRecordPrefix;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - 4, 4, ".txt") != 0)
            continue;
        const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        if (digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos ||
            digits[0] == '0')
            continue;
        StoredCorrection s;
        s.number = std::stoi(digits);
        s.path = entry.path().string();
        // Only a regular file of the folder itself: a link could lead anywhere.
        const fs::file_status status = fs::symlink_status(entry.path(), ec);
        if (ec || !fs::is_regular_file(status)) {
            s.refused = "it is not a plain file";
        } else if (fs::file_size(entry.path(), ec) > kLargestRecord || ec) {
            s.refused = "it is too large to be a record";
        } else if (const auto lines = ReadTextLines(s.path); !lines) {
            s.refused = "it cannot be read";
        } else {
            std::string why;
            auto record = ParseCorrectionRecord(*lines, why);
            if (!record)
                s.refused = "it is damaged (" + why + ")";
            else if (record->number != s.number)
                s.refused = "it calls itself record " + std::to_string(record->number);
            else if (record->made > now)
                s.refused = "it is dated " + FormatDateMDY(record->made.date()) + ", in the future";
            else
                s.record = std::move(record);
        }
        out.push_back(std::move(s));
    }
    std::sort(out.begin(), out.end(),
              [](const StoredCorrection& a, const StoredCorrection& b) { return a.number < b.number; });
    return out;
}

} // namespace dilato
