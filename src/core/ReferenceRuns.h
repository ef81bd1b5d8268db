#pragma once
// Reference runs: an ordinary test whose sample is a certified reference material. At its
// end the program learns the measuring column's own expansion from it (a numbered correction
// record beside the calibration records); every later test uses the latest valid record's
// correction in place of the fixed fixture correction. Each run that itself used a measured
// correction is a check of the instrument on the control chart.
//
// Settings, in the parameter file's section "ReferenceRuns": "ValidDays" (how long a
// correction stays valid, 90 by default) and "ChartWindow" (checks the chart's limits are
// taken from, 20).

#include "analysis/ColumnCorrection.h"
#include "analysis/ReferenceMaterial.h"
#include "calibration/ControlChart.h"
#include "calibration/CorrectionRecord.h"
#include "core/TestRun.h"
#include "platform/Clock.h"
#include "platform/Operator.h"
#include "storage/DataFiles.h"
#include "storage/Folders.h"
#include "storage/LogSink.h"
#include "storage/SystemParameters.h"

#include <optional>
#include <string>

namespace dilato {

inline constexpr const char* kReferenceRunTitle = "Reference Run";
inline constexpr int kDefaultValidDays = 90;

struct ReferenceSettings {
    int validDays = kDefaultValidDays;
    ChartSettings chart;
};

// The settings from the parameter file (defaults where a key is missing or not a number).
[[nodiscard]] ReferenceSettings LoadReferenceSettings(const std::string& parameterFile);

// The reference material of that name: a shipped one with its certified figures, or the
// lab's own from the system folder's file "RefMat-" + name + ".txt". Nothing, with the reason
// in `error`, when there is none or its file cannot be used.
[[nodiscard]] std::optional<ReferenceMaterial>
FindReferenceMaterial(const std::string& sysFolder, const std::string& name, std::string& error);

// The correction a test over planLow..planHigh (°C) uses, from the records in `folder`: the
// latest record's when it is sound, recent, made with the stage's present calibration and
// covers the plan; else the fixed fixture correction, with the reason among the warnings.
// An instrument out of control adds its warning either way.
[[nodiscard]] CorrectionInUse ChooseCorrection(const std::string& folder, const QDateTime& now,
                                               const SystemParameters& params, double planLow,
                                               double planHigh,
                                               const ReferenceSettings& settings);

// The correction of a test taken up again after a restart that started with record `number`
// (0: the fixed fixture correction) and these warnings: that record's, whatever was written
// since, so that its results are those the test would have given without the restart. A
// record that can no longer be read gives the fixed correction, and a warning that says why.
[[nodiscard]] CorrectionInUse CorrectionOfRecord(const std::string& folder, const QDateTime& now,
                                                 int number, std::vector<std::string> warnings,
                                                 bool outOfControl);

// The measured correction a stored test's results used, from the words its summary and the
// results store give for it ("correction record n of ...") and its instrument's serial
// number: record n of that serial's records in `sysFolder`. Nothing for the fixed fixture
// correction, for a serial number that is not a number, or when the record cannot be read.
[[nodiscard]] std::optional<ColumnCorrection> StoredTestCorrection(const std::string& sysFolder,
                                                                   const std::string& serial,
                                                                   const std::string& text,
                                                                   const QDateTime& now);

// The chart of the sound records in `folder` of the reference material of the latest one.
[[nodiscard]] ChartState ReferenceChart(const std::string& folder, const QDateTime& now,
                                        const ChartSettings& settings);

// What a completed reference run gives: the correction at each step and the check.
// `evidence`: the steps' evidence; `result`: the run's result over its whole range.
[[nodiscard]] std::optional<CorrectionRecordData>
BuildCorrectionRecord(const ReferenceMaterial& material, const std::vector<StepEvidence>& evidence,
                      const ResultEvidence& result, double sampleLength);

class ReferenceRuns {
  public:
    ReferenceRuns(TestRun& run, const SystemParameters& params, Folders& folders, Clock& clock,
                  Operator& op, LogSink& log)
        : run_(run), params_(params), folders_(folders), clock_(clock), op_(op), log_(log) {}

    // The records' folder of the present serial number.
    [[nodiscard]] std::string RecordFolder() const;
    // At Start: the reference material of a reference run (false, the operator told why,
    // when it cannot be used) and the correction this test uses; anything the operator must
    // know about the correction is shown once.
    [[nodiscard]] bool PrepareAtStart(const std::string& referenceName, double planLow,
                                      double planHigh);
    // A test taken up again after a restart: the correction it started with (see
    // CorrectionOfRecord); it goes on as an ordinary test, never as a reference run.
    void RestoreCorrection(int record, const std::vector<std::string>& warnings,
                           bool outOfControl);
    // After the last step of a reference run was saved: its correction record.
    void RecordRun(const DataFiles& files);

    // The chart of the records now in the folder.
    [[nodiscard]] ChartState Chart() const;
    // The chart's warning when the instrument is out of control (empty when it is not),
    // shown to the operator as well when `tell` (at start-up).
    [[nodiscard]] std::string ControlWarning(bool tell);
    // The record the last reference run wrote (empty: none), and its data.
    [[nodiscard]] const std::string& lastRecordPath() const { return lastPath_; }
    [[nodiscard]] const std::optional<CorrectionRecordData>& lastRecord() const { return last_; }
    // The reference material of the test at hand (none: an ordinary test).
    [[nodiscard]] const std::optional<ReferenceMaterial>& material() const { return material_; }

  private:
    TestRun& run_;
    const SystemParameters& params_;
    Folders& folders_;
    Clock& clock_;
    Operator& op_;
    LogSink& log_;
    std::optional<ReferenceMaterial> material_;
    std::string lastPath_;
    std::optional<CorrectionRecordData> last_;
};

} // namespace dilato
