#pragma once
// The records of the reference runs: one plain text file per run ("Corr_" + n + ".txt", n the
// next free number) beside the stage calibration records of the serial number. A record holds
// what the run measured (the column's correction at each step temperature, with the
// reference's certificate) and, as a check of the instrument, the reference's CTE over the
// plan against its certified value. Records are written once and never replaced.
//
// The folder is shared by every operator of the group: a record is read as untrusted text,
// every line checked, and anything that does not read exactly as a record is refused.

#include "analysis/ColumnCorrection.h"

#include <QDateTime>

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dilato {

inline constexpr const char* kCorrectionRecordPrefix = "Corr_";

struct CorrectionRecordData {
    int number = 0;
    QDateTime made; // when the run ended (local time, whole seconds)
    std::string serial;
    std::string reference;   // the material's name ("SRM736")
    std::string certificate; // its certificate
    std::string test;        // the run's test name
    double sampleLength = 0; // inches
    double alphaUncertainty = 0;
    // The stage calibration constants the run was made with: a recalibrated stage ends the
    // correction's validity.
    std::array<float, 4> scales{1.0f, 0.0f, 1.0f, 0.0f};
    std::vector<CorrectionPoint> points;
    // The check: the reference's CTE over the plan range as the run reported it, its
    // expanded uncertainty, and the certified value; and which correction the run itself used
    // (0: the fixed fixture correction, so no check of a measured correction).
    double fromTemp = 0, toTemp = 0;
    double measuredCte = 0, measuredU = 0, certifiedCte = 0, certifiedU = 0;
    int usedRecord = 0;

    // The correction curve of the record's points.
    [[nodiscard]] std::optional<ColumnCorrection> curve() const;
};

// The record as lines (the first two a header for a person).
[[nodiscard]] std::vector<std::string> CorrectionRecordLines(const CorrectionRecordData& record);
// Reads a record back; nothing, with the reason in `error`, unless every line is as written.
[[nodiscard]] std::optional<CorrectionRecordData>
ParseCorrectionRecord(std::span<const std::string> lines, std::string& error);

// Writes `record` as the next free record of `folder` (made when missing), setting its
// number; an existing record is never replaced. The record's path; FileError on failure.
std::string WriteCorrectionRecord(const std::string& folder, CorrectionRecordData& record);

// One record file as found.
struct StoredCorrection {
    int number = 0;
    std::string path;
    std::optional<CorrectionRecordData> record; // nothing when refused
    std::string refused;                        // why, when refused
};
// Every "Corr_<n>.txt" of `folder`, by number. A file that is no regular file, too large,
// damaged, of another number than its name, or dated after `now` is refused with the reason.
[[nodiscard]] std::vector<StoredCorrection> ReadCorrectionRecords(const std::string& folder,
                                                                  const QDateTime& now);

} // namespace dilato
