#include "storage/SystemParameterFile.h"

#include "platform/Desktop.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/LeadingNumber.h"
#include "platform/TextFile.h"
#include "storage/ProfileDocument.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <stdexcept>

namespace dilato {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPlace = "modFileUtils.ReadWriteSysFile";
constexpr const char* kBackupPrefix = "CTESysParam";
constexpr const char* kBackupEnding = ".bak";
constexpr const char* kAllZeroBatch = "0/0/0/0/0/0/0/0/0";
constexpr int kBatchFields = slot::LastBatchTemp - slot::FirstBatchTemp + 1;

enum class Held { Number, Text };
struct KeySlot {
    const char* key;
    int slot;
    Held held;
};

// Processing order; note that slots 10 and 11 come before slot 9.
constexpr KeySlot kKeys[] = {
    {"TesterModel", slot::TesterModel, Held::Number},
    {"SerialNumber", slot::SerialNumber, Held::Number},
    {"CalibrationDate", slot::CalibrationDate, Held::Text},
    {"Units", slot::Units, Held::Number},
    {"Password", slot::Password, Held::Text},
    {"PDFdataWrite", slot::PdfDataWrite, Held::Number},
    {"AccuracyOption", slot::AccuracyOption, Held::Number},
    {"OptimumTempOrdering", slot::OptimumTempOrdering, Held::Number},
    {"AddRoundTripTests", slot::AddRoundTripTests, Held::Number},
    {"TestEndTempOption", slot::TestEndTempOption, Held::Number},
    {"NumberOfBatchTests", slot::NumberOfBatchTests, Held::Number},
};

constexpr const char* kScaleDescriptions[SystemParameters::kScales] = {
    "Slope relating actual stage temp(X) to commanded temp(Y)",
    "Offset relating actual(TC) stage temp(X) to commanded temp(Y)",
    "Slope relating thermistor reported temp(X) to actual temp(Y)",
    "Offset relating thermistor reported temp(X) to actual temp(Y)",
};

std::string TrimBlanks(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// An empty slot counts as 0; a text that is no number cannot be compared with 0.
bool IsZero(const ParamValue& v) {
    return v.number() == 0.0;
}

// Splits at "/"; an empty text has no fields at all.
std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields;
    if (text.empty()) return fields;
    size_t start = 0;
    for (;;) {
        const size_t slash = text.find('/', start);
        fields.push_back(text.substr(start, slash - start));
        if (slash == std::string::npos) return fields;
        start = slash + 1;
    }
}

// A batch temperature must be a number of a stage's range; an empty field is allowed only
// beyond the temperatures in use.
void CheckBatchField(const std::string& path, int index, const std::string& field, bool used) {
    const std::string where = path + ", key Batch, temperature " + std::to_string(index + 1);
    if (field.find_first_not_of(' ') == std::string::npos) {
        if (used) throw std::runtime_error("Empty value in " + where);
        return;
    }
    double value = 0.0;
    try {
        value = ParamValue(field).number();
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string(e.what()) + " in " + where + ": \"" + field + "\"");
    }
    if (std::fabs(value) > kBatchTemperatureLimit)
        throw std::runtime_error("Out of range in " + where + ": \"" + field + "\"");
}

float ToSingle(double value) {
    if (std::fabs(value) > std::numeric_limits<float>::max()) throw std::overflow_error("Overflow");
    return static_cast<float>(value);
}

std::string ScaleKey(int n) {
    return "Scale" + std::to_string(n);
}

} // namespace

void SetFactoryDefaults(SystemParameters& params) {
    params.clearSlots();
    params.Scale(1) = 1.0f;
    params.Scale(2) = 0.0f;
    params.Scale(3) = 1.0f;
    params.Scale(4) = 0.0f;
    params.SysParam(slot::OptimumTempOrdering) = 1;
    params.SysParam(slot::Units) = 0;
    params.SysParam(slot::PdfDataWrite) = 0;
    params.SysParam(slot::AccuracyOption) = 1;
    params.SysParam(slot::AddRoundTripTests) = 0;
    params.SysParam(slot::NumberOfBatchTests) = 2;
    // The default plan, so that a reset file holds a usable "Batch" rather than nine empty
    // fields.
    const auto fields = SplitFields(kDefaultBatch);
    for (int i = 0; i < kBatchFields; ++i)
        params.SysParam(slot::FirstBatchTemp + i) = LeadingNumber(fields.at(size_t(i)));
}

std::string SerialText(const SystemParameters& params) {
    const std::string text = FormatParam(params.SysParam(slot::SerialNumber), "#");
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string SerialText(const std::string& serial) {
    SystemParameters one;
    one.SysParam(slot::SerialNumber) = serial;
    return SerialText(one);
}

const char* ScaleDescription(int n) {
    if (n < 1 || n > SystemParameters::kScales) throw std::out_of_range("Subscript out of range");
    return kScaleDescriptions[n - 1];
}

bool SystemParameterFile::LoadMainOrOfferBackup() {
    if (ReadWriteSysFile(SysFileAccess::Load, false, SysFileCopy::Main)) return true;
    if (!IsFile(MainFileName())) return false; // missing: the start-up has said so already

    // The backups, the most recently written first.
    std::vector<std::pair<fs::file_time_type, std::string>> backups;
    for (const auto& serial : BackupSerials()) {
        std::error_code ec;
        const std::string file = folders_.SysFolder + kBackupPrefix + serial + kBackupEnding;
        backups.emplace_back(fs::last_write_time(file, ec), serial);
    }
    std::sort(backups.begin(), backups.end(), std::greater<>());
    for (const auto& [when, serial] : backups) {
        const std::string file = folders_.SysFolder + kBackupPrefix + serial + kBackupEnding;
        const MessageAnswer answer = op_.show(
            Message{"The parameter file " + MainFileName() + " cannot be used.\nLoad the backup of "
                    "serial number " + serial + " (" + file + ") and keep it as the parameter "
                    "file?",
                    kInvalidSysParamTitle, MessageIcon::Question, MessageButtons::YesNo, 0});
        if (answer != MessageAnswer::Yes) return false;
        params_.SysParam(slot::SerialNumber) = serial;
        if (!ReadWriteSysFile(SysFileAccess::Load, false, SysFileCopy::Backup)) continue;
        // The backup takes the place of the damaged file whole: rewritten in place, the file
        // would keep the lines that could not be read.
        try {
            const auto bytes = ReadFileBytes(file);
            if (!bytes) throw FileError("Cannot read " + file);
            WriteFileAtomic(MainFileName(), *bytes);
        } catch (const std::exception& e) {
            ReportError(op_, 0, kPlace, std::string(" Writing file: ") + e.what());
            return false;
        }
        return ReadWriteSysFile(SysFileAccess::Save, false, SysFileCopy::Main);
    }
    return false;
}

std::string SystemParameterFile::BackupFileName() const {
    return folders_.SysFolder + kBackupPrefix + SerialText(params_) + kBackupEnding;
}

std::vector<std::string> SystemParameterFile::BackupSerials() const {
    const std::string prefix = kBackupPrefix;
    const size_t fixed = prefix.size() + std::string(kBackupEnding).size();
    std::vector<std::string> serials;
    for (const auto& name : ListFiles(folders_.SysFolder, kBackupEnding))
        if (name.size() >= fixed && name.compare(0, prefix.size(), prefix) == 0)
            serials.push_back(name.substr(prefix.size(), name.size() - fixed));
    return serials;
}

bool SystemParameterFile::ReadWriteSysFile(SysFileAccess access, bool resetToDefaults,
                                           SysFileCopy copy) {
    bool loading = access == SysFileAccess::Load;
    try {
        if (resetToDefaults) {
            SetFactoryDefaults(params_);
            loading = false;
            valuesLoaded_ = true;
        }
        const std::string path = copy == SysFileCopy::Backup ? BackupFileName() : MainFileName();
        if (loading) {
            if (!IsFile(path)) {
                ShowMessage(op_, "Missing Application File:  " + path);
                return false;
            }
            valuesLoaded_ = false;
            Load(path);
            valuesLoaded_ = true;
        } else {
            if (!valuesLoaded_)
                throw std::runtime_error("the parameters in memory did not load; " + path +
                                         " is kept as it is");
            Save(path);
        }
        return true;
    } catch (const std::exception& e) {
        ReportError(op_, 0, kPlace,
                    std::string(loading ? " Reading file: " : " Writing file: ") + e.what());
        return false;
    }
}

void SystemParameterFile::Load(const std::string& path) {
    const ProfileDocument doc = ProfileDocument::Load(path);
    params_.clearSlots();
    for (const KeySlot& k : kKeys) {
        const std::string text = doc.Read(kSysParamSection, k.key);
        ParamValue& value = params_.SysParam(k.slot);
        value = k.held == Held::Text ? ParamValue(text) : ParamValue(FileNumber(text));
        if (k.slot == slot::Password) value = TrimBlanks(value.text());
        if (k.slot == slot::AccuracyOption && (value.number() < 1 || value.number() > 2)) value = 1;
        if (k.slot == slot::NumberOfBatchTests && IsZero(value)) value = 2;
        // "Batch" holds nine temperatures: more would run steps from slots past the plan.
        if (k.slot == slot::NumberOfBatchTests && (value.number() < 0 || value.number() > 9))
            throw std::out_of_range("NumberOfBatchTests=" + text + " is outside 0 to 9");
    }

    std::string batch = doc.Read(kSysParamSection, "Batch");
    if (batch == kAllZeroBatch) {
        batch = kDefaultBatch;
        params_.SysParam(slot::NumberOfBatchTests) = 2;
        params_.SysParam(slot::AddRoundTripTests) = 0;
    }
    const auto fields = SplitFields(batch);
    const double used = params_.SysParam(slot::NumberOfBatchTests).number();
    for (int i = 0; i < kBatchFields; ++i) {
        if (size_t(i) >= fields.size()) throw std::out_of_range("Subscript out of range");
        CheckBatchField(path, i, fields[size_t(i)], i < used);
        params_.SysParam(slot::FirstBatchTemp + i) = fields[size_t(i)];
    }

    for (int n = 1; n <= SystemParameters::kScales; ++n) {
        std::string text = doc.Read(kScaleSection, ScaleKey(n));
        if (const auto colon = text.find(" : "); text.size() >= 3 && colon != std::string::npos)
            text.resize(colon);
        params_.Scale(n) = ToSingle(FileNumber(text));
    }
    // A slope of 0 (what a missing calibration section reads as) would hold the stage at one
    // temperature whatever it is told: the test would wait for its set point for days.
    for (const int n : {1, 3})
        if (params_.Scale(n) == 0.0f)
            throw std::runtime_error(path + ": " + ScaleKey(n) + " (" + ScaleDescription(n) +
                                     ") is 0; the section [" + kScaleSection +
                                     "] is missing or damaged");
    // A constant no calibration gives would send the stage to a temperature it never
    // reports, or report one it is not at.
    for (int n = 1; n <= SystemParameters::kScales; ++n) {
        const bool slope = n % 2 == 1;
        const double v = params_.Scale(n);
        const bool plausible = slope ? v >= kLowestScaleSlope && v <= kHighestScaleSlope
                                     : std::fabs(v) <= kLargestScaleOffset;
        if (!plausible)
            throw std::runtime_error(
                path + ": " + ScaleKey(n) + " (" + ScaleDescription(n) + ") is " +
                FormatNumber(v, "0.00000") + ", outside what a calibration gives (" +
                (slope ? FormatNumber(kLowestScaleSlope, "0.0") + " to " +
                             FormatNumber(kHighestScaleSlope, "0.0")
                       : FormatNumber(-kLargestScaleOffset, "0") + " to " +
                             FormatNumber(kLargestScaleOffset, "0") + " \xC2\xB0""C") +
                "); calibrate the stage again or restore the parameter file");
    }
}

void SystemParameterFile::Save(const std::string& path) {
    ProfileDocument doc = ProfileDocument::Load(path);
    for (const KeySlot& k : kKeys) {
        ParamValue& value = params_.SysParam(k.slot);
        doc.Write(kSysParamSection, k.key, value.text());
        // memory only: the file keeps the 0 just written
        if (k.slot == slot::NumberOfBatchTests && IsZero(value)) value = 2;
    }

    std::string batch;
    for (int i = 0; i < kBatchFields; ++i)
        batch += (i ? "/" : "") + params_.SysParam(slot::FirstBatchTemp + i).text();
    doc.Write(kSysParamSection, "Batch", batch);

    for (int n = 1; n <= SystemParameters::kScales; ++n)
        doc.Write(kScaleSection, ScaleKey(n),
                  FormatSingle(params_.Scale(n), "0.00000000000") + " : " + ScaleDescription(n));
    doc.Save();
}

} // namespace dilato
