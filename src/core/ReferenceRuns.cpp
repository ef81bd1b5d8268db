#include "core/ReferenceRuns.h"

#include "calibration/CalibrationRecord.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/IniFile.h"
#include "platform/TextFile.h"
#include "storage/ParamValue.h"
#include "storage/SystemParameterFile.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>

namespace dilato {

namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kLargestMaterialFile = 64 * 1024;
// Stage constants that differ by more than this were set by another calibration.
constexpr float kScaleTolerance = 1e-5f;

int SettingOr(const std::string& file, const char* key, int fallback, int low, int high) {
    const auto value = StrictNumber(ReadIniValue(file, "ReferenceRuns", key));
    if (!value || *value < low || *value > high) return fallback;
    return static_cast<int>(*value);
}

bool SafeName(const std::string& name) {
    if (name.empty() || name.size() > 40) return false;
    for (const char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') return false;
    return true;
}

std::string Degrees(double t) {
    return FormatNumber(t, "0.0") + " \u00B0C";
}

// How the summary, the report and the results store name a measured correction: the words
// before its record number, and after it.
constexpr const char* kRecordTextStart = "correction record ";
constexpr const char* kRecordTextAfterNumber = " of ";

std::string RecordText(const CorrectionRecordData& r) {
    const auto curve = r.curve();
    return kRecordTextStart + std::to_string(r.number) + kRecordTextAfterNumber +
           FormatDateMDY(r.made.date()) + " from " + r.reference + " over " +
           Degrees(curve ? curve->lowTemp() : r.fromTemp) + " to " +
           Degrees(curve ? curve->highTemp() : r.toTemp);
}

bool SameScales(const CorrectionRecordData& r, const SystemParameters& params) {
    for (int i = 0; i < 4; ++i)
        if (std::fabs(r.scales[static_cast<size_t>(i)] - params.Scale(i + 1)) >
            kScaleTolerance * std::max(1.0f, std::fabs(params.Scale(i + 1))))
            return false;
    return true;
}

std::vector<CorrectionRecordData> SoundRecords(const std::vector<StoredCorrection>& stored) {
    std::vector<CorrectionRecordData> out;
    for (const StoredCorrection& s : stored)
        if (s.record) out.push_back(*s.record);
    return out;
}

ChartState ChartOf(const std::vector<StoredCorrection>& stored, const ChartSettings& settings) {
    std::vector<CorrectionRecordData> sound = SoundRecords(stored);
    if (sound.empty()) return {};
    const std::string reference = sound.back().reference;
    std::erase_if(sound, [&](const CorrectionRecordData& r) { return r.reference != reference; });
    return EvaluateChart(sound, settings);
}

} // namespace

ReferenceSettings LoadReferenceSettings(const std::string& parameterFile) {
    ReferenceSettings s;
    if (parameterFile.empty() || !IsFile(parameterFile)) return s;
    s.validDays = SettingOr(parameterFile, "ValidDays", kDefaultValidDays, 1, 3650);
    s.chart.window = SettingOr(parameterFile, "ChartWindow", s.chart.window, 5, 200);
    return s;
}

std::optional<ReferenceMaterial> FindReferenceMaterial(const std::string& sysFolder,
                                                       const std::string& name,
                                                       std::string& error) {
    const ReferenceMaterial* shipped = ShippedReferenceMaterial(name);
    if (shipped && shipped->figures) return *shipped;
    if (!SafeName(name)) {
        error = "\"" + name + "\" is no reference material's name (letters, digits, - and _)";
        return std::nullopt;
    }
    const std::string wanted = "RefMat-" + (shipped ? shipped->name : name) + ".txt";
    const std::string path = FindFileAnyCase(sysFolder, wanted);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (path.empty() || ec || !fs::exists(status)) {
        error = shipped ? "the certified figures of " + shipped->description +
                              " are not shipped with the program: enter its certificate's "
                              "table in the system folder's file " + wanted
                        : "no reference material " + name + " (the system folder has no " +
                              wanted + ")";
        return std::nullopt;
    }
    if (!fs::is_regular_file(status) || fs::file_size(path, ec) > kLargestMaterialFile || ec) {
        error = wanted + " is not a plain file of a reference material's size";
        return std::nullopt;
    }
    const auto lines = ReadTextLines(path);
    if (!lines) {
        error = wanted + " cannot be read";
        return std::nullopt;
    }
    std::string why;
    auto material = ParseLabReferenceMaterial(*lines, why);
    if (!material) {
        error = wanted + " cannot be used: " + why;
        return std::nullopt;
    }
    if (shipped) {
        material->name = shipped->name;
        material->description = shipped->description;
    }
    return material;
}

CorrectionInUse ChooseCorrection(const std::string& folder, const QDateTime& now,
                                 const SystemParameters& params, double planLow, double planHigh,
                                 const ReferenceSettings& settings) {
    CorrectionInUse use;
    const std::vector<StoredCorrection> stored = ReadCorrectionRecords(folder, now);
    if (stored.empty()) return use;
    const StoredCorrection& latest = stored.back();
    const std::string fixed = ": the fixed fixture correction is used";
    if (!latest.record) {
        use.warnings.push_back("Correction record " + std::to_string(latest.number) +
                               " is refused, " + latest.refused + fixed);
    } else {
        const CorrectionRecordData& r = *latest.record;
        const auto curve = r.curve();
        const qint64 age = r.made.daysTo(now);
        if (age > settings.validDays) {
            use.warnings.push_back("The " + RecordText(r) + " is " + std::to_string(age) +
                                   " days old, more than the " +
                                   std::to_string(settings.validDays) + " days it is valid" +
                                   fixed);
        } else if (!SameScales(r, params)) {
            use.warnings.push_back("The stage was calibrated again after the " + RecordText(r) +
                                   fixed);
        } else if (!curve || !curve->covers(planLow, planHigh)) {
            use.warnings.push_back("The test's plan (" + Degrees(planLow) + " to " +
                                   Degrees(planHigh) + ") is outside the " + RecordText(r) +
                                   fixed);
        } else {
            use.curve = curve;
            use.record = r.number;
            use.text = RecordText(r);
        }
    }
    const ChartState chart = ChartOf(stored, settings.chart);
    if (chart.outOfControl) use.warnings.push_back(chart.warning);
    use.outOfControl = chart.outOfControl;
    return use;
}

std::optional<ColumnCorrection> StoredTestCorrection(const std::string& sysFolder,
                                                     const std::string& serial,
                                                     const std::string& text,
                                                     const QDateTime& now) {
    // The store is shared and its texts come from any program: only digits name a folder, and
    // only the words RecordText writes name a record.
    const std::regex serialDigits("[0-9]{1,9}");
    const std::regex recordWords(std::string(kRecordTextStart) + "([0-9]{1,9})" +
                                 kRecordTextAfterNumber + ".*");
    std::smatch number;
    if (!std::regex_match(serial, serialDigits) || !std::regex_match(text, number, recordWords))
        return std::nullopt;
    return CorrectionOfRecord(sysFolder + "Calib-" + serial, now, std::stoi(number[1].str()), {},
                              false)
        .curve;
}

CorrectionInUse CorrectionOfRecord(const std::string& folder, const QDateTime& now, int number,
                                   std::vector<std::string> warnings, bool outOfControl) {
    CorrectionInUse use;
    use.warnings = std::move(warnings);
    use.outOfControl = outOfControl;
    if (number <= 0) return use;
    for (const StoredCorrection& s : ReadCorrectionRecords(folder, now)) {
        if (s.number != number) continue;
        const auto curve = s.record ? s.record->curve() : std::nullopt;
        if (curve) {
            use.curve = curve;
            use.record = number;
            use.text = RecordText(*s.record);
            return use;
        }
        use.warnings.push_back("Correction record " + std::to_string(number) +
                               ", which the test started with, is refused, " + s.refused +
                               ": the fixed fixture correction is used");
        return use;
    }
    use.warnings.push_back("Correction record " + std::to_string(number) +
                           ", which the test started with, is gone: the fixed fixture "
                           "correction is used");
    return use;
}

ChartState ReferenceChart(const std::string& folder, const QDateTime& now,
                          const ChartSettings& settings) {
    return ChartOf(ReadCorrectionRecords(folder, now), settings);
}

std::optional<CorrectionRecordData> BuildCorrectionRecord(const ReferenceMaterial& material,
                                                          const std::vector<StepEvidence>& evidence,
                                                          const ResultEvidence& result,
                                                          double sampleLength) {
    if (evidence.size() < 2 || !(sampleLength > 0)) return std::nullopt;
    CorrectionRecordData r;
    r.reference = material.name;
    r.certificate = material.certificate;
    r.sampleLength = sampleLength;
    r.alphaUncertainty = material.alphaUncertainty;
    const double t0 = evidence.front().resultTemperature();
    const double i0 = evidence.front().resultIndicator();
    for (const StepEvidence& e : evidence) {
        const double t = e.resultTemperature();
        const double measured = e.resultIndicator() - i0;
        const double certified = sampleLength * 1e-6 * material.expansion(t0, t);
        const double sigma = e.equilibrium && e.equilibrium->fit.valid
                                 ? e.equilibrium->fit.endValueUncertainty
                                 : e.indicatorSigma;
        r.points.push_back({t, measured - certified, sigma});
    }
    if (!ColumnCorrection::Fit(r.points, sampleLength, material.alphaUncertainty))
        return std::nullopt;
    r.fromTemp = result.fromTemp;
    r.toTemp = result.toTemp;
    r.measuredCte = result.cte;
    r.measuredU = result.budget.expanded;
    r.certifiedCte = material.meanAlpha(result.fromTemp, result.toTemp);
    r.certifiedU = 2.0 * material.alphaUncertainty;
    return r;
}

std::string ReferenceRuns::RecordFolder() const {
    return CalibrationRecordFolder(folders_.SysFolder, params_);
}

bool ReferenceRuns::PrepareAtStart(const std::string& referenceName, double planLow,
                                   double planHigh) {
    material_.reset();
    if (!referenceName.empty()) {
        std::string why;
        material_ = FindReferenceMaterial(folders_.SysFolder, referenceName, why);
        if (!material_) {
            ShowMessage(op_, "The reference run cannot start: " + why, kReferenceRunTitle,
                        MessageIcon::Exclamation);
            return false;
        }
    }
    run_.referenceMaterial = material_ ? material_->name : std::string();
    const ReferenceSettings settings =
        LoadReferenceSettings(FindFileAnyCase(folders_.SysFolder, kSysParamFile));
    run_.correction = ChooseCorrection(RecordFolder(), clock_.now(), params_, planLow, planHigh,
                                       settings);
    for (const std::string& w : run_.correction.warnings)
        log_.ErrorLog("System correction: " + w);
    if (!run_.correction.warnings.empty()) {
        std::string text;
        for (const std::string& w : run_.correction.warnings)
            text += (text.empty() ? "" : "\n\n") + w;
        ShowMessage(op_, text + "\n\nThe test's report says so.", kReferenceRunTitle,
                    MessageIcon::Exclamation);
    }
    return true;
}

void ReferenceRuns::RestoreCorrection(int record, const std::vector<std::string>& warnings,
                                      bool outOfControl) {
    material_.reset();
    run_.referenceMaterial.clear();
    run_.correction =
        CorrectionOfRecord(RecordFolder(), clock_.now(), record, warnings, outOfControl);
    for (size_t i = warnings.size(); i < run_.correction.warnings.size(); ++i)
        log_.ErrorLog("System correction: " + run_.correction.warnings[i]);
}

void ReferenceRuns::RecordRun(const DataFiles& files) {
    lastPath_.clear();
    last_.reset();
    if (!material_) return;
    const auto& evidence = files.lastEvidence();
    if (!evidence || evidence->results.empty()) return;
    auto record = BuildCorrectionRecord(*material_, run_.evidence, evidence->results.back(),
                                        run_.SampleLength);
    if (!record) {
        ShowMessage(op_, "The reference run gave no correction: its steps do not carry one.",
                    kReferenceRunTitle, MessageIcon::Exclamation);
        return;
    }
    record->made = clock_.now();
    record->made.setTime(QTime(record->made.time().hour(), record->made.time().minute(),
                               record->made.time().second()));
    record->serial = RecordSerialText(params_);
    record->test = folders_.DataFileName;
    for (int i = 0; i < 4; ++i)
        record->scales[static_cast<size_t>(i)] = params_.Scale(i + 1);
    record->usedRecord = run_.correction.curve ? run_.correction.record : 0;
    try {
        lastPath_ = WriteCorrectionRecord(RecordFolder(), *record);
        last_ = record;
        log_.ErrorLog("Reference run: correction record " + lastPath_ + " written");
    } catch (const std::exception& e) {
        ShowMessage(op_, std::string("The reference run's correction record could not be "
                                     "written: ") + e.what(),
                    kReferenceRunTitle, MessageIcon::Critical);
    }
}

std::string ReferenceRuns::ControlWarning(bool tell) {
    const ChartState chart = Chart();
    if (!chart.outOfControl) return {};
    if (tell) ShowMessage(op_, chart.warning, kReferenceRunTitle, MessageIcon::Exclamation);
    return chart.warning;
}

ChartState ReferenceRuns::Chart() const {
    const ReferenceSettings settings =
        LoadReferenceSettings(FindFileAnyCase(folders_.SysFolder, kSysParamFile));
    return ReferenceChart(RecordFolder(), clock_.now(), settings.chart);
}

} // namespace dilato
