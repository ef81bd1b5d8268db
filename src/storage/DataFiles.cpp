#include "storage/DataFiles.h"

#include "storage/AnalysisErrors.h"
#include "storage/EvidenceSection.h"
#include "storage/ProfileDocument.h"

#include "platform/Desktop.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/KillPoint.h"
#include "platform/IniFile.h"
#include "platform/TextFile.h"
#include "platform/Version.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <filesystem>

namespace dilato {

namespace fs = std::filesystem;

namespace {

// Right("     " & text, 5): padded to five, a longer text keeps its last five characters.
std::string RightFive(const std::string& text) {
    const std::string padded = "     " + text;
    return padded.substr(padded.size() - 5);
}

std::string Indicator(float value) {
    return FormatSingle(value, "0.000000");
}

std::string TrimLeft(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : s.substr(first);
}

// The equilibrium each step was heading for, where its approach was fitted.
std::vector<StepEndValue> EquilibriumEnds(const TestRecord& test) {
    std::vector<StepEndValue> ends;
    if (!test.evidence) return ends;
    for (const StepEvidence& e : *test.evidence) {
        StepEndValue end;
        end.given = e.step > 0 && e.equilibrium && e.equilibrium->fit.valid;
        end.temperature = e.resultTemperature();
        end.indicator = e.resultIndicator();
        ends.push_back(end);
    }
    return ends;
}

} // namespace

int DataFiles::Steps() const {
    return static_cast<int>(std::lround(params_.SysParam(slot::NumberOfBatchTests).number() +
                                        params_.SysParam(slot::AddRoundTripTests).number()));
}

std::vector<double> DataFiles::SetPoints() const {
    std::vector<double> setPoints;
    for (int s = 0; s < Steps(); ++s)
        setPoints.push_back(params_.SysParam(slot::FirstBatchTemp + s).number());
    return setPoints;
}

std::string DataFiles::ResultLine(const ResultTable& results, int n) const {
    const int m = Steps() == 2 ? 1 : n;
    return RightFive(FormatSingle(results.at(m, result::StartTemp), "0.0")) +
           "\xC2\xB0"
           "C to " +
           RightFive(FormatSingle(results.at(m, result::EndTemp), "0.0")) +
           "\xC2\xB0"
           "C: " +
           FormatSingle(results.at(m, result::Cte), "0.0") +
           " \xC2\xB5/\xC2\xB0"
           "C +/- " +
           FormatNumber(100.0 * results.at(m, result::Accuracy), "0.0") + "%";
}

Stored<void> DataFiles::WriteRawDataFile(const std::string& file, const TestRecord& test) {
    try {
        const int accuracy =
            static_cast<int>(std::lround(params_.SysParam(slot::AccuracyOption).number()));
        WriteTextLinesAtomic(file, RawDataLines(test.data, Steps(), test.sampleLength, accuracy));
        return {};
    } catch (const std::exception& e) {
        return Fail(StorageError{std::string("Error saving file in okSaveDatFile: ") + e.what()});
    }
}

Stored<StoredTest> DataFiles::ReadRawDataFile(const std::string& file, bool testRunning,
                                              StoredTest* partial) const {
    if (testRunning) return Fail(StorageError{});
    const auto lines = ReadTextLines(file);
    auto test = lines ? ParseRawData(*lines, partial) : std::nullopt;
    if (!test) return Fail(StorageError{kCorruptedFileMessage});
    return std::move(*test);
}

bool DataFiles::WriteDataToFile(const TestRecord& test, int completedStep) {
    lastReport_.reset();
    const int steps = Steps();
    // A test saved before any pair of steps is complete and that ends with this save keeps
    // its raw data under a name of its own (Bar-x1, Bar-x2, ...); a batch that goes on keeps
    // its name from the first save on.
    const bool endsWithoutPair = completedStep == 0 && steps <= 1;
    if (endsWithoutPair) {
        incompleteCounter_ = 0;
        std::string candidate;
        do {
            ++incompleteCounter_;
            candidate = folders_.DataFileName + "-x" + FormatNumber(incompleteCounter_, "#");
        } while (IsFile(folders_.DataPath + candidate + "_CTE.dat"));
        folders_.DataFileName = candidate;
    }
    const std::string rawFile = folders_.DataPath + folders_.DataFileName + "_CTE.dat";
    ReportLines report{folders_.DataPath + folders_.DataFileName + ".pdf"};

    if (auto written = WriteRawDataFile(rawFile, test); !written) {
        std::string message = written.error().message;
        const std::string kept = KeepInRecoveryFile(test);
        message += kept.empty() ? "\nThe readings could not be written to another place either: "
                                  "until space is free they are only in memory (and in the "
                                  "test's journal when it could be written)."
                                : "\nThe test's readings are kept in " + kept + ".";
        log_.ErrorLog(message);
        ShowMessage(op_, message);
        return false;
    }
    KillPoint("raw-data-saved"); // the raw data file written, the results not yet
    if (completedStep == 0) return true; // no pair yet: the raw data is all there is

    try {
        const std::vector<double> setPoints = SetPoints();
        const std::vector<StepEndValue> ends = EquilibriumEnds(test);
        const ColumnCorrection* measured =
            test.correction && test.correction->curve ? &*test.correction->curve : nullptr;
        if (steps > 2) {
            ShowIfFailed(op_, ComputeFinalResults(test.data, setPoints, test.sampleLength,
                                                  completedStep, test.results, ends, measured));
            WriteInterimFile(test.results, completedStep);
            if (completedStep < steps - 1) return true; // the batch goes on
        }
        ShowIfFailed(op_, ComputeFinalResults(test.data, setPoints, test.sampleLength, 0,
                                              test.results, ends, measured));
    } catch (const std::exception& e) {
        ReportError(op_, 0, "WriteDataToFile", e.what());
    }
    try {
        WriteSummary(test, report);
    } catch (const std::exception& e) {
        ReportError(op_, 0, "WriteDataToFile", e.what());
        return false; // the step's results are in no summary: the save has failed
    }
    lastReport_ = std::move(report);
    return true;
}

std::string DataFiles::KeepInRecoveryFile(const TestRecord& test) {
    const int accuracy =
        static_cast<int>(std::lround(params_.SysParam(slot::AccuracyOption).number()));
    const std::string name = folders_.DataFileName + "_" +
                             clock_.now().toString("yyyyMMdd-HHmmss").toStdString() + "_CTE.dat";
    std::vector<std::string> places{folders_.SysFolder + kRecoveredFolder + "/"};
    if (const char* home = std::getenv("HOME"); home && *home)
        places.push_back(WithTrailingSeparator(home) + "Dilato-" + kRecoveredFolder + "/");
    for (const std::string& place : places) {
        try {
            std::error_code ec;
            fs::create_directories(place, ec);
            WriteTextLinesAtomic(place + name,
                                 RawDataLines(test.data, Steps(), test.sampleLength, accuracy));
            return place + name;
        } catch (const std::exception& e) {
            log_.ErrorLog("Cannot keep the readings in " + place + name + ": " + e.what());
        }
    }
    return {};
}

void DataFiles::WriteInterimFile(const ResultTable& results, int completed) {
    try {
        std::vector<std::string> lines{Indicator(results.at(1, result::EndIndicator))};
        for (int n = 1; n <= completed; ++n) {
            lines.push_back(ResultLine(results, n));
            lines.push_back(Indicator(results.at(n + 1, result::EndIndicator)));
        }
        WriteTextLinesAtomic(folders_.DataPath + "TempDat.txt", lines);
    } catch (const std::exception& e) {
        ReportError(op_, 0, "WriteDataToFile", e.what());
    }
}

void DataFiles::WriteSummary(const TestRecord& test, ReportLines& report) {
    const std::string section = "CTE Test Summary #" + FormatNumber(incompleteCounter_, "#");
    const std::string serial = FormatNumber(params_.SysParam(slot::SerialNumber).number(), "0");
    std::vector<std::pair<std::string, std::string>> keys{
        {"Sample ID", " " + OneLineText(test.sampleId)},
        {"Sample Length", " " + FormatSingle(test.sampleLength, "0.000") + " inches"},
        {"Raw Data File", " " + folders_.DataFileName + "_CTE.dat"}};
    const int first = Steps() == 2 ? 2 : 1;
    const int last =
        static_cast<int>(std::lround(params_.SysParam(slot::NumberOfBatchTests).number()));
    for (int n = first, k = 1; n <= last; ++n, ++k)
        keys.emplace_back("CTE " + FormatNumber(k, "0") + ":", ResultLine(test.results, n));

    for (const auto& [key, value] : keys)
        report.push_back(key + " = " + TrimLeft(value));
    report.emplace_back();
    report.push_back("    Tester S/N:" + serial + "  Dilato V" + kVersionText);

    const QDateTime now = clock_.now();
    keys.emplace_back("Date/Time ", " " + FormatDateMDY(now.date()) + "/" +
                                        FormatTime24(now.time()) + "  S/N:" + serial + " V" +
                                        kVersionText);
    keys.emplace_back("======", "===========================");

    // One rewrite for the whole section, with the profile file's rules for every key. A
    // summary that is there but cannot be read throws here and stays as it is: rewritten
    // from nothing it would lose the sections of the earlier tests.
    ProfileDocument doc = ProfileDocument::Load(folders_.SummaryFileName);
    for (const auto& [key, value] : keys)
        doc.Write(section, key, value.empty() ? " " : value);
    WriteEvidence(test, doc);
    doc.Save();
}

void DataFiles::WriteEvidence(const TestRecord& test, ProfileDocument& doc) {
    lastEvidence_.reset();
    if (!test.evidence) return;
    const std::vector<double> setPoints = SetPoints();
    const PlanShape plan{
        setPoints,
        static_cast<int>(std::lround(params_.SysParam(slot::NumberOfBatchTests).number())),
        params_.SysParam(slot::AddRoundTripTests).number() > 0, test.materialClass};
    const ColumnCorrection* measured =
        test.correction && test.correction->curve ? &*test.correction->curve : nullptr;
    TestEvidence evidence =
        BuildTestEvidence(*test.evidence, test.results, plan, test.sampleLength, {}, measured);
    if (test.correction) {
        evidence.correctionText = test.correction->text;
        evidence.correctionWarnings = test.correction->warnings;
    }
    // The section is written anew, after the results it belongs to: no key of an earlier
    // test of the same name stays behind.
    const std::string section = EvidenceSectionName(incompleteCounter_);
    doc.RemoveSection(section);
    for (const auto& [key, value] : EvidenceSectionKeys(evidence))
        doc.Write(section, key, value);
    lastEvidence_ = std::move(evidence);
}

void DataFiles::WriteRemoteDataFile(const std::string& path) {
    if (folders_.RemoteStore[0].empty()) return;
    const std::string root = folders_.DataRoot();
    const std::string rel =
        path.compare(0, root.size(), root) == 0 ? path.substr(root.size()) : path;
    const auto slash = rel.find('/');
    const std::string sub = slash == std::string::npos ? std::string() : rel.substr(0, slash + 1);
    for (size_t i = 0; i < folders_.RemoteStore.size() && !folders_.RemoteStore[i].empty(); ++i) {
        std::string& store = folders_.RemoteStore[i];
        try {
            if (store.back() != '/' && store.back() != '\\') store += '/';
            std::error_code ec;
            if (!fs::exists(store + sub, ec)) {
                fs::create_directory(store + sub, ec);
                if (ec) throw FileError("Cannot create " + store + sub + ": " + ec.message());
            }
            const auto bytes = ReadFileBytes(path);
            if (!bytes) throw FileError("Cannot read " + path);
            WriteFileAtomic(store + rel, *bytes);
        } catch (const std::exception& e) {
            log_.ErrorLog("Error: " + std::string(e.what()) + " j=" +
                          FormatNumber(static_cast<double>(i), "0") + " in WriteRemoteDataFile.");
        }
    }
}

Stored<void> LoadStoredPoints(const DataFiles& files, const std::string& file, const StepData* live,
                              GraphKind kind, bool testRunning, PlotPoints& points) {
    points = {};
    StoredTest stored;
    std::optional<StorageError> failed;
    if (!live) {
        const auto first = file.find_first_not_of(' ');
        if (first == std::string::npos || !IsFile(file))
            return Fail(StorageError{"Invalid pathname: " + file});
        auto test = files.ReadRawDataFile(file, testRunning, &stored);
        if (test)
            stored = test.value();
        else
            failed = test.error();
    }
    const StepData& data = live ? *live : stored.data;
    if (data.stepCount() > 0) {
        points = StoredPoints(data, kind);
        points.stepEnds = StepEnds(data);
    }
    points.sampleLength = stored.sampleLength;
    if (failed) return Fail(*failed);
    if (points.x.empty()) return Fail(StorageError{"No valid points found."});
    return {};
}

std::vector<Reading> StepEnds(const StepData& data) {
    std::vector<Reading> ends;
    for (int s = 1; s <= data.stepCount(); ++s) {
        try {
            ends.push_back(data.reading(s, EndOfStep(data, s)));
        } catch (const std::out_of_range&) {
            // a step without a reading past half a minute has no end to show
        }
    }
    return ends;
}

PlotPoints StoredPoints(const StepData& data, GraphKind kind) {
    using C = ReadingColumn;
    static constexpr C kAxes[3][2] = {
        {C::Elapsed, C::Indicator}, {C::Elapsed, C::Temperature}, {C::Temperature, C::Indicator}};
    PlotPoints points;
    if (!IsKnown(kind)) return points;
    const auto axes = static_cast<size_t>(OptionIndex(kind));
    const C xc = kAxes[axes][0], yc = kAxes[axes][1];
    double offset = 0.0;
    for (int s = 1; s <= data.stepCount(); ++s) {
        double largest = 0.0;
        for (int r = 1; r <= data.slotCount(); ++r) {
            const float elapsed = data.value(s, ReadingColumn::Elapsed, r);
            if (elapsed <= 0.001f) continue;
            largest = std::max(largest, static_cast<double>(elapsed));
            const double x = data.value(s, xc, r);
            points.x.push_back(xc == ReadingColumn::Elapsed ? x + offset : x);
            points.y.push_back(data.value(s, yc, r));
        }
        offset += largest;
    }
    return points;
}

} // namespace dilato
