#pragma once
// The journal of a running test, "<test>_CTE.jnl" beside its raw data file. The raw data file
// is rewritten only at the end of a step; the journal gets every stored reading the moment
// it is stored, each flushed to the disk before the next tick, so that a crash or a power cut
// in the middle of a step of many hours loses nothing. The start of the test, every step's
// save with its results, a resumption and the end are journalled too. A test that ends
// normally removes its journal; one that is still there on the next start was interrupted.
//
// One record a line, CR LF ended: a kind letter, tab-separated fields and the CRC-32 of the
// line before it (8 hex digits). A line whose check fails was torn by the power failing in
// the middle of a write (or damaged since) and is ignored; the writer never appends behind
// a torn line.

#include "analysis/LiveAnalysis.h"
#include "analysis/MaterialClass.h"
#include "analysis/StepData.h"
#include "analysis/StepEvidence.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dilato {

inline constexpr const char* kJournalEnding = "_CTE.jnl";

// What the test was started with: enough to go on with it or close it after a restart.
struct JournalStart {
    std::string time;       // "MM-dd-yyyy HH:mm:ss"
    std::string dataFolder; // the data folder's name in the data tree
    std::string testName;   // `DataFileName`
    std::string sampleId;
    std::string lengthBox;  // the sample length box as shown
    float sampleLength = 0; // inches
    bool unitsInches = true;
    int accuracyOption = 0;
    int batchTests = 0; // `SysParam` slot 9
    int roundTrip = 0;  // slot 10
    std::array<std::string, 9> plan{}; // slots 12 to 20 in run order
    InitialReading initial;
    // The sample's class, which decides when its steps may end; a journal of an older
    // program has none and resumes as "unknown".
    MaterialClass materialClass = MaterialClass::Unknown;
    // The system correction the test started with: its record number (0: the fixed fixture
    // correction; -1: a journal of an older program, which does not say) and what the
    // operator was warned of about it, and whether the reference checks were out of control.
    int correctionRecord = -1;
    std::vector<std::string> correctionWarnings;
    bool correctionOutOfControl = false;
};

struct JournalStepSave {
    int step = 0; // 1-based
    std::string time;
    Projection projection; // as it stood after the step (the next step goes on from it)
};

// Everything a journal holds, as read back.
struct JournalContent {
    std::optional<JournalStart> start;
    // Readings per 1-based step (index 0 unused), of the step's last attempt.
    std::vector<std::vector<Reading>> readings;
    // Readings of earlier attempts of a step that a resumption started again.
    std::vector<std::pair<int, std::vector<Reading>>> abandoned;
    std::vector<JournalStepSave> saves;
    // The sequencer's facts at the end of each saved step (index: 1-based step), from which
    // the step's evidence is gathered again with its readings.
    std::vector<std::optional<HoldFacts>> holds;
    std::string lastTime; // time of the last good record
    std::string endedHow; // "completed", "stopped"; empty: the test did not end
    int badLines = 0;     // lines whose check failed (a torn last line counts)
    int goodLines = 0;
    int resumptions = 0;

    [[nodiscard]] int stepsSaved() const { return static_cast<int>(saves.size()); }
    [[nodiscard]] const std::vector<Reading>& stepReadings(int step) const;
    [[nodiscard]] std::optional<HoldFacts> holdFacts(int step) const;
};

// The record lines (without line ends).
[[nodiscard]] std::string JournalStartLine(const JournalStart& start);
[[nodiscard]] std::string JournalReadingLine(const std::string& time, int step,
                                             const Reading& r);
[[nodiscard]] std::string JournalSaveLine(const JournalStepSave& save);
[[nodiscard]] std::string JournalResultLine(const std::string& time, int row,
                                            const std::array<float, 5>& values);
[[nodiscard]] std::string JournalHoldLine(const std::string& time, int step,
                                          const HoldFacts& facts);
[[nodiscard]] std::string JournalResumeLine(const std::string& time, int step);
[[nodiscard]] std::string JournalEndLine(const std::string& time, const std::string& how);

// Reads the lines of a journal; lines that fail their check are counted and skipped.
// Lines may end in CR LF, LF or CR alone (a file carried through another system).
[[nodiscard]] JournalContent ParseJournal(const std::vector<std::string>& lines);
// The lines of a journal's bytes, split at every CR or LF; empty lines are left out.
[[nodiscard]] std::vector<std::string> SplitJournalLines(std::string_view bytes);
// Reads a journal file; nullopt when it cannot be read at all.
[[nodiscard]] std::optional<JournalContent> ReadJournal(const std::string& path);

// The CRC-32 (the common polynomial) of the bytes.
[[nodiscard]] std::uint32_t Crc32(std::string_view bytes);

// Appends records to a journal file, each append flushed to the disk (fdatasync) before it
// returns. The file is opened and closed within every append. A failed append (a full disk,
// a folder that vanished) throws FileError and leaves the file as it was; its lines stay
// pending and go first with the next append, so the journal never has a gap.
class JournalFile {
  public:
    explicit JournalFile(std::string path) : path_(std::move(path)) {}

    void append(const std::string& line); // throws FileError
    // Writes what is pending; throws FileError.
    void flush();
    [[nodiscard]] size_t pending() const { return pending_.size(); }
    [[nodiscard]] const std::string& path() const { return path_; }

  private:
    std::string path_;
    std::vector<std::string> pending_;
    bool tailChecked_ = false;
};

} // namespace dilato
