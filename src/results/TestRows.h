#pragma once
// The store's rows of a test, built the same way for a running test (the results sink) and
// for the files of an earlier one (the import). Keys are made from the test's identity:
// "UID" for its test and calibration rows, "UID/s3" for step 3, "UID/r2" for its second
// reported result, "UID/s3/17" for reading 17 of step 3, "UID/raw" for its raw data file.

#include "analysis/ResultEvidence.h"
#include "analysis/StepData.h"
#include "results/StoreRow.h"
#include "storage/ResultSink.h"

#include <QDateTime>

#include <optional>
#include <string>
#include <vector>

namespace dilato::results {

// Everything the tests table holds of a test.
struct TestFacts {
    std::string systemFolder, dataFolder, testName, sampleId, material;
    float sampleLength = 0.0f; // inches
    std::string lengthUnits = "in"; // as the operator typed the length: "in" or "mm"
    std::string operatorLogin, pcName, instrumentSerial, programVersion;
    int accuracyOption = 0;
    std::vector<double> setPoints;
    std::optional<float> initialIndicator, initialTemp;
    QDateTime started, ended;
    std::string ending; // "running", "completed", "stopped", "interrupted", "imported"
    std::string origin; // "live" (written as the test ran) or "import"
    // The system correction the results use; the reference material of a reference run; and
    // whether the reference checks were out of control at its start (none: not known).
    std::string systemCorrection, referenceMaterial;
    std::optional<bool> referenceOutOfControl;
};

// ISO-8601 local time with its offset from UTC ("2026-12-09T14:03:00+01:00"); empty for none.
[[nodiscard]] QString IsoTime(const QDateTime& time);

[[nodiscard]] StoreRow TestRow(const QString& uid, const TestFacts& test);
// Only the end of a test: when and how.
[[nodiscard]] StoreRow TestEndRow(const QString& uid, const QDateTime& at, const std::string& how);
[[nodiscard]] StoreRow CalibrationRow(const QString& uid, const CalibrationInForce& calibration);
[[nodiscard]] StoreRow ReadingRow(const QString& uid, int step, int number, const Reading& reading,
                                  const QDateTime& at);
// A saved step: its set point and, when there is one, its equilibrium evidence (else its
// last reading's values).
[[nodiscard]] StoreRow StepRow(const QString& uid, int step, std::optional<double> setPoint,
                               const StepEvidence* evidence, const Reading* end,
                               const QDateTime& savedAt);
[[nodiscard]] StoreRow ResultRow(const QString& uid, int number, const ResultEvidence& result);
// A result's flags as the store keeps them: every limit of the method it breaks and, when its
// steps did not end at equilibrium, what was still to come, "; "-separated; "none" for none.
[[nodiscard]] std::string StoreFlags(const ResultEvidence& result);
// A file of the test as it is on the disk now: its SHA-256 and size. nullopt when it cannot
// be read.
[[nodiscard]] std::optional<StoreRow> FileRow(const QString& uid, const std::string& kind,
                                              const std::string& path, const QDateTime& at);

// The SHA-256 of a file's bytes in lower-case hex; nullopt when it cannot be read.
[[nodiscard]] std::optional<std::string> FileSha256(const std::string& path);

// What a file of a test is: "raw", "summary", "interim", "report", or "other".
[[nodiscard]] std::string FileKind(const std::string& path);

} // namespace dilato::results
