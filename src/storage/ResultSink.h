#pragma once
// Where a test's results go as the test runs: one interface for every consumer (the journal,
// the report, the remote copies, the plots, the results store, an export). The test session
// tells its sinks, in a fixed order, that a test started (or was resumed after an
// interruption), that a reading was stored, that a step was saved and how the test ended,
// each with what a consumer needs to keep it; the sequencer never learns who listens.
// A sink that fails throws; the session reports it and goes on with the others.

#include "analysis/ColumnCorrection.h"
#include "analysis/FinalResults.h"
#include "analysis/MaterialClass.h"
#include "analysis/ResultEvidence.h"
#include "analysis/StepData.h"
#include "analysis/StepEvidence.h"

#include <QDateTime>

#include <array>
#include <string>
#include <vector>

namespace dilato {

// The stage calibration the temperatures of the test were read through.
struct CalibrationInForce {
    std::string date;                        // the parameter file's calibration date
    std::array<float, 4> constants{1, 0, 1, 0}; // the parameter file's four constants
};

// A test that has just stored its initial reading.
struct TestOpening {
    std::string systemFolder; // the group's system folder
    std::string dataFolder;   // the data folder below its "Data/", without a trailing "/"
    std::string dataPath;     // the data folder's full path, with "/"
    std::string testName;
    std::string sampleId;
    MaterialClass materialClass = MaterialClass::Unknown; // as the operator named it
    float sampleLength = 0.0f; // inches
    bool unitsInches = true;   // how the operator typed the length
    int accuracyOption = 0;
    std::vector<double> setPoints; // °C, in run order
    int batchTemps = 0;            // the batch temperatures in use
    bool roundTrip = false;        // the last step returns to the first set point
    std::string instrumentSerial;
    QDateTime started;
    InitialReading initial;
    CalibrationInForce calibration;
    // The system correction the results use, and the reference material of a reference run
    // (empty for a test).
    CorrectionInUse correction;
    std::string referenceMaterial;
};

// A step that was saved: the raw data file holds it and, once a pair of steps is complete,
// the summary holds the results so far.
struct StepSaving {
    int step = 0; // 1-based
    QDateTime at;
    const StepData& data;
    const ResultTable& results;
    const std::vector<StepEvidence>& evidence; // element s - 1 for step s
    std::string testName; // the name the files were saved under (an incomplete test's -x name)
    // The files of the test as they are now: raw data, summary, report.
    std::vector<std::string> files;
    // The report line list (entry 0 the report's path) when this save wrote the test's
    // summary; none in the middle of a batch or before a pair of steps.
    const std::vector<std::string>* report = nullptr;
};

// A test that a crash or a power cut interrupted, taken up again from its journal: either it
// goes on at step `step` (which starts again from its settling), or it is only closed (the
// test ends next, with the saves its completed steps make).
struct TestResumption {
    TestOpening test;    // as it started (its start time from the journal)
    std::string journal; // the journal's path
    bool goesOn = false;
    int step = 0;        // 1-based, the step that starts again when the test goes on
    int stepsSaved = 0;  // the completed steps, whose readings `data` holds
    const StepData& data;
};

struct TestEnding {
    std::string how; // "completed", "stopped"; a recovered test "closed"
    QDateTime at;
};

class ResultSink {
  public:
    virtual ~ResultSink() = default;
    // What the sink is called in a report of its failure.
    [[nodiscard]] virtual std::string sinkName() const = 0;
    virtual void TestStarted(const TestOpening& test) = 0;
    virtual void TestResumed(const TestResumption& test) = 0;
    virtual void ReadingStored(int step, const Reading& reading, const QDateTime& at) = 0;
    virtual void StepSaved(const StepSaving& step) = 0;
    virtual void TestEnded(const TestEnding& ending) = 0;
};

} // namespace dilato
