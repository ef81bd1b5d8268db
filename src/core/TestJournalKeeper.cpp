#include "core/TestJournalKeeper.h"

#include "core/MainWindowModel.h"
#include "core/TestPlan.h"
#include "platform/Format.h"
#include "platform/TextFile.h"

#include <cmath>
#include <filesystem>

namespace dilato {

std::string JournalPath(const Folders& folders) {
    return folders.DataPath + folders.DataFileName + kJournalEnding;
}

std::string TestJournalKeeper::Now() const {
    const QDateTime now = clock_.now();
    return FormatDateMDY(now.date()) + " " + FormatTime24(now.time());
}

void TestJournalKeeper::Append(const std::string& line) {
    if (!file_) return;
    try {
        file_->append(line);
        if (failing_) {
            failing_ = false;
            log_.ErrorLog("Test journal " + file_->path() + " is written again.");
        }
    } catch (const std::exception& e) {
        if (failing_) return;
        failing_ = true;
        const std::string text =
            "The readings of the test cannot be written to its journal " + file_->path() +
            ":\n" + e.what() +
            "\nThey are held in memory and stored with the step; until then a power cut or "
            "crash would lose them.";
        log_.ErrorLog(text);
        // The test goes on while the operator reads it: a box that held up the ticks would
        // stop the measuring, or let the instruments' 3 minutes run out.
        op_.notify(Message{text, kJournalErrorTitle, MessageIcon::Exclamation});
    }
}

void TestJournalKeeper::TestStarted() {
    const std::string path = JournalPath(folders_);
    std::error_code ec;
    std::filesystem::remove(path, ec); // an ended test's journal kept for audit
    file_ = std::make_unique<JournalFile>(path);
    failing_ = false;
    JournalStart s;
    s.time = Now();
    const std::string root = folders_.DataRoot();
    s.dataFolder = folders_.DataPath.compare(0, root.size(), root) == 0
                       ? folders_.DataPath.substr(root.size())
                       : folders_.DataPath;
    while (!s.dataFolder.empty() && s.dataFolder.back() == '/') s.dataFolder.pop_back();
    s.testName = folders_.DataFileName;
    s.sampleId = window_.view().sampleId;
    s.lengthBox = window_.view().sampleLength;
    s.sampleLength = run_.SampleLength;
    s.unitsInches = run_.UnitsInches;
    s.accuracyOption =
        static_cast<int>(std::lround(params_.SysParam(slot::AccuracyOption).number()));
    s.batchTests =
        static_cast<int>(std::lround(params_.SysParam(slot::NumberOfBatchTests).number()));
    s.roundTrip =
        static_cast<int>(std::lround(params_.SysParam(slot::AddRoundTripTests).number()));
    for (size_t i = 0; i < s.plan.size(); ++i)
        s.plan[i] = params_.SysParam(slot::FirstBatchTemp + static_cast<int>(i)).text();
    s.initial = run_.initial;
    s.materialClass = run_.equilibrium.kind;
    s.correctionRecord = run_.correction.curve ? run_.correction.record : 0;
    s.correctionWarnings = run_.correction.warnings;
    s.correctionOutOfControl = run_.correction.outOfControl;
    Append(JournalStartLine(s));
}

void TestJournalKeeper::ReadingStored(int step, const Reading& reading) {
    Append(JournalReadingLine(Now(), step, reading));
}

void TestJournalKeeper::StepSaved(int step) {
    if (!file_) return;
    const std::string now = Now();
    // The facts the step's evidence was gathered from: with the readings they give the same
    // evidence again when the test is resumed.
    const size_t at = static_cast<size_t>(step - 1);
    if (at < run_.evidence.size() && run_.evidence[at].step == step)
        Append(JournalHoldLine(now, step, run_.evidence[at].facts));
    for (int row = 1; row <= step && row <= StepData::kMaxSteps; ++row) {
        std::array<float, 5> values{};
        for (int k = 1; k <= 5; ++k) values[static_cast<size_t>(k - 1)] = run_.results.at(row, k);
        Append(JournalResultLine(now, row, values));
    }
    Append(JournalSaveLine(JournalStepSave{step, now, run_.projection}));
}

void TestJournalKeeper::TestEnded(const std::string& how) {
    if (!file_) return;
    const std::string path = file_->path();
    file_.reset();
    Close(path, how);
}

void TestJournalKeeper::Close(const std::string& path, const std::string& how) {
    JournalFile file(path);
    try {
        file.append(JournalEndLine(Now(), how));
    } catch (const std::exception& e) {
        log_.ErrorLog("Cannot end the test journal: " + std::string(e.what()));
    }
    if (keepEnded_) return;
    std::error_code ec;
    std::filesystem::remove(path, ec);
    if (ec) log_.ErrorLog("Cannot remove the test journal " + path + ": " + ec.message());
}

void TestJournalKeeper::Resumed(const std::string& path, int step) {
    file_ = std::make_unique<JournalFile>(path);
    failing_ = false;
    Append(JournalResumeLine(Now(), step));
}

} // namespace dilato
