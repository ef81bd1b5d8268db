#pragma once
// The files a test leaves in its data folder: the raw data file (every reading), the
// summary (a profile file with one section of results per test), the interim results of a
// longer batch ("TempDat.txt"), the report line list for the PDF report, and the copies into
// the remote store folders.

#include "analysis/FinalResults.h"
#include "analysis/ResultEvidence.h"
#include "analysis/StepData.h"
#include "platform/Clock.h"
#include "platform/Operator.h"
#include "storage/Folders.h"
#include "storage/GraphKind.h"
#include "storage/LogSink.h"
#include "storage/RawDataFile.h"
#include "storage/StorageError.h"
#include "storage/SystemParameters.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dilato {

class ProfileDocument;

inline constexpr const char* kRecoveredFolder = "Recovered";

// The report line list: entry 0 the report's path, then the body lines.
using ReportLines = std::vector<std::string>;

// What a save reads from the running test.
struct TestRecord {
    const StepData& data;
    ResultTable& results;
    float sampleLength = 0.0f;
    std::string sampleId; // the Sample ID box
    // What showed each saved step at equilibrium (element s - 1 for step s); without it the
    // summary has no evidence section.
    const std::vector<StepEvidence>* evidence = nullptr;
    // The sample's class as the operator named it (the evidence names the method by it).
    MaterialClass materialClass = MaterialClass::Unknown;
    // The system correction the results use; none: the fixed fixture correction, unnamed.
    const CorrectionInUse* correction = nullptr;
};

class DataFiles {
  public:
    DataFiles(Folders& folders, const SystemParameters& params, Clock& clock, Operator& op,
              LogSink& log)
        : folders_(folders), params_(params), clock_(clock), op_(op), log_(log) {}

    // The save at the end of a step; `completedStep` is the index of the step just finished
    // (0 for the first). False only when the raw data file could not be written. The
    // summary's remote copies and the report are the result sinks' part, after the save.
    [[nodiscard]] bool WriteDataToFile(const TestRecord& test, int completedStep);

    // The raw data file: written from the test, atomically. A failure says
    // "Error saving file in okSaveDatFile: " + the reason.
    [[nodiscard]] Stored<void> WriteRawDataFile(const std::string& file, const TestRecord& test);
    // Reads a raw data file back (only while no test runs: then the failure has no text); a
    // failure says the corrupted-file text, and `partial`, when given, holds what was read
    // before the fault.
    [[nodiscard]] Stored<StoredTest> ReadRawDataFile(const std::string& file, bool testRunning,
                                                     StoredTest* partial = nullptr) const;

    // The result line of step n ("  20.0°C to  50.0°C: 12.3 µ/°C +/- 1.5%").
    [[nodiscard]] std::string ResultLine(const ResultTable& results, int n) const;
    // Copies a file of the data tree into every remote store; failures go to the error log.
    void WriteRemoteDataFile(const std::string& path);

    // The report line list of the last save when it wrote the test's summary; none when it
    // wrote none (in the middle of a batch, before a pair of steps, or when it failed).
    [[nodiscard]] const std::optional<ReportLines>& lastReport() const { return lastReport_; }
    // The evidence written with the last summary (none when that save had none): the
    // report's evidence page prints it.
    [[nodiscard]] const std::optional<TestEvidence>& lastEvidence() const { return lastEvidence_; }

    // The summary's section number: counts tests saved before any pair was complete.
    [[nodiscard]] int incompleteTestCounter() const { return incompleteCounter_; }

  private:
    [[nodiscard]] int Steps() const;
    [[nodiscard]] std::vector<double> SetPoints() const;
    // The readings of a test whose raw data file could not be written, in a file of the
    // raw data file's format in the system folder's "Recovered" folder (or, when that fails
    // too, "Dilato-Recovered" in the user's home); its path, or empty when neither worked.
    [[nodiscard]] std::string KeepInRecoveryFile(const TestRecord& test);
    void WriteEvidence(const TestRecord& test, ProfileDocument& doc);
    void WriteInterimFile(const ResultTable& results, int completed);
    void WriteSummary(const TestRecord& test, ReportLines& report);

    Folders& folders_;
    const SystemParameters& params_;
    Clock& clock_;
    Operator& op_;
    LogSink& log_;
    std::optional<ReportLines> lastReport_;
    int incompleteCounter_ = 0;
    std::optional<TestEvidence> lastEvidence_;
};

// Points of a stored or running test for a plot: elapsed/indicator, elapsed/temperature or
// temperature/indicator by kind (none for an unknown kind). On the time axis the steps follow
// one another.
// `stepEnds`: the end-of-step reading of every step that has one (the readings the results
// are computed from), for the CTE labels; `sampleLength` that of the stored test (inches).
struct PlotPoints {
    std::vector<double> x, y;
    std::vector<Reading> stepEnds;
    float sampleLength = 0.0f;
};
[[nodiscard]] PlotPoints StoredPoints(const StepData& data, GraphKind kind);
// The end-of-step reading of each step, in step order; steps without one are skipped.
[[nodiscard]] std::vector<Reading> StepEnds(const StepData& data);

// The stored-points loader: the points of the raw data file `file` for a plot, or of the
// running test's readings when `live` is given. Done when the file was read and at least one
// point was found; otherwise the failure says why ("Invalid pathname: " + path for an empty
// or missing file, the corrupted-file text, "No valid points found.") and `points` holds
// what was read before the fault.
[[nodiscard]] Stored<void> LoadStoredPoints(const DataFiles& files, const std::string& file,
                                            const StepData* live, GraphKind kind, bool testRunning,
                                            PlotPoints& points);

} // namespace dilato
