#include "CalibrationRun.h"

#include "ConsoleAdapters.h"
#include "ConsoleProgram.h"
#include "Runner.h"
#include "calibration/CalibrationMath.h"
#include "calibration/CalibratorTestUtility.h"
#include "core/CalibrationSession.h"
#include "core/Program.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/SystemFolder.h"
#include "platform/Version.h"
#include "platform/VirtualClock.h"
#include "sim/SimInstruments.h"

#include <deque>
#include <memory>
#include <ostream>
#include <stdexcept>

namespace dilato::run {

namespace {

constexpr double kLongestCalibrationSeconds = 12 * 3600.0;
constexpr const char* kDegrees = "\xC2\xB0"
                                 "C";

// The calibration's windows, answered from the command line and printed.
class ConsoleCalibrationDialogs final : public CalibrationDialogs {
  public:
    ConsoleCalibrationDialogs(std::ostream& out, const RunOptions& o) : out_(out), o_(o) {
        if (o.manualEntries) entries_.assign(o.manualEntries->begin(), o.manualEntries->end());
    }
    std::optional<int> ChooseCalibratorType(int) override {
        return o_.manualEntries ? tccal::Manual : tccal::Martel8010;
    }
    std::string AskThermocoupleReading(int commandedTemp) override {
        if (entries_.empty())
            throw std::runtime_error("no reading left in --manual-entries for the stage at " +
                                     std::to_string(commandedTemp) + " degrees C");
        std::string entry = entries_.front();
        entries_.pop_front();
        out_ << "[Thermocouple Reading Entry] stage commanded to " << commandedTemp << kDegrees
             << ": " << entry << std::endl;
        return entry;
    }
    CalibratorIdentity AskCalibratorIdentity() override {
        return {o_.calibratorSerial, o_.calibratorCert};
    }
    void ShowCalibratorTest(CalibratorTestUtility& utility) override {
        utility.Activate();
        out_ << "[TC Calibrator Test Utility] " << utility.TextStatus << std::endl;
        if (!utility.closed) utility.Exit();
    }

  private:
    std::ostream& out_;
    const RunOptions& o_;
    std::deque<std::string> entries_;
};

std::string ScaleText(const ScaleSet& k) {
    std::string text;
    for (size_t n = 0; n < k.size(); ++n)
        text += (n ? "  " : "") + std::string("Scale") + std::to_string(n + 1) + " " +
                FormatSingle(k[n], "0.00000000000");
    return text;
}

} // namespace

int RunCalibration(const RunOptions& o, std::ostream& out, const std::atomic<bool>& stop) {
    const auto console = ConsoleProgram::Open(o, out, 0.0, ConsoleAnswers{false, false, o.useBackup});
    if (!console) return kCannotStart;
    Program& p = console->program;
    Clock& clock = console->clock;
    VirtualClock* virtualClock = console->virtualClock.get();
    const auto& ports = console->ports;
    ConsoleCalibrationDialogs dialogs(out, o);
    CalibrationSession cal(p, dialogs);

    out << "Dilato V" << kVersionText << ": stage calibration with the "
        << (o.manualEntries ? "manual calibrator" : "Martel 8010 calibrator")
        << (virtualClock ? " (virtual clock)" : "") << std::endl;
    const ScaleSet before = cal.calibration.CurrentScale();
    out << "Old constants: " << ScaleText(before) << std::endl;

    // As at start-up: the ports are listed before the instruments' links open.
    (void)p.discovery.EnumComPorts();
    p.StartInstruments();
    cal.tab.EnterInstCalib();
    cal.tab.Cal();
    const QDateTime started = clock.now();
    StageCalibration& c = cal.calibration;
    while (c.outcome == CalOutcome::None && c.CalRunState == calrun::Running &&
           started.secsTo(clock.now()) < kLongestCalibrationSeconds && !stop) {
        if (virtualClock)
            virtualClock->advance(1.0);
        else
            clock.idle(0.05);
    }
    if (stop && c.outcome == CalOutcome::None) {
        out << "Stopped by the operator" << std::endl;
        cal.tab.Stop(); // answered Yes by the console operator
    }
    out << cal.view.messageText << std::endl;
    const bool succeeded = c.outcome == CalOutcome::Succeeded;
    out << (succeeded ? "Calibration succeeded" : "Calibration did not succeed") << " after "
        << FormatNumber(started.msecsTo(clock.now()) / 60000.0, "0.0") << " min" << std::endl;
    if (succeeded) {
        out << "New constants: " << ScaleText(c.CurrentScale()) << std::endl;
        if (ports->simulated) {
            const sim::StageTruth t = sim::CalibrationTruth(ports->simulated->bench.params().stage);
            out << "Simulated truth: Scale1 " << FormatNumber(t.scale1, "0.00000000000")
                << "  Scale2 " << FormatNumber(t.scale2, "0.00000000000") << "  Scale3 "
                << FormatNumber(t.scale3, "0.00000000000") << "  Scale4 "
                << FormatNumber(t.scale4, "0.00000000000") << std::endl;
        }
        out << "'As Left' Temperature Data:" << std::endl;
        for (const auto& row : c.DeviationRows(c.CurrentScale()))
            out << "  " << CalField(row[0]) << "  " << CalField(row[1]) << "  deviation "
                << CalField(row[2]) << std::endl;
        out << "Record: " << cal.record.RecordName() << std::endl;
        out << "Calibration date: " << p.params.SysParam(slot::CalibrationDate).text() << std::endl;
    } else {
        out << "Constants unchanged: " << ScaleText(c.CurrentScale()) << std::endl;
    }
    (void)cal.tab.LeaveInstCalib();
    // A simulated run never changes the PC's settings (its COM ports were set for the run).
    p.ShutDown(!o.simulate);
    return succeeded ? kCompleted : kNotCompleted;
}

} // namespace dilato::run
