#include "calibration/StageCalibration.h"

#include "calibration/CalibrationMath.h"
#include "platform/Desktop.h"
#include "platform/Format.h"

#include <cmath>

namespace dilato {

namespace {
constexpr const char* kStageReadFailure = "Failure in oKReadTcTemp in CalTcOk";
constexpr const char* kStageAdvice =
    "Calibration Aborted: Check the Temp-Stage controller's power and serial cable.";
constexpr float kZeroReadingLimit = 4.0f; // °C between a zero reference and the stage
constexpr const char* kSpaces13 = "             ";
constexpr float kFinalStageTemp = 20.0f;

const char* kDegrees = "\xC2\xB0"
                       "C";
} // namespace

StageCalibration::StageCalibration(StageCalibrationServices services) : s_(std::move(services)) {}

void StageCalibration::Reset() {
    CalRunState = calrun::Idle;
    CalPhase = calphase::Ready;
    CalDone = false;
    CalPointIndex = 0;
    CalData.clear();
    history_.clear();
    outcome = CalOutcome::None;
    s_.record.StartRecord(false);
}

ScaleSet StageCalibration::CurrentScale() const {
    const SystemParameters& p = s_.params;
    return {p.Scale(1), p.Scale(2), p.Scale(3), p.Scale(4)};
}

void StageCalibration::Step() {
    const int s = CalRunState;
    if (s == calrun::Idle) {
        if (s != lastRunState_) s_.window.RefreshCalUI(false);
    } else if (s == calrun::Running) {
        if (CalPhase == calphase::Starting || CalPhase == calphase::Stepping) {
            if (RunCalibrationStep()) {
                // A finished calibration keeps its ended phase.
                if (CalPhase != calphase::Ended) CalPhase = calphase::Stepping;
            } else {
                CalRunState = calrun::Idle;
                SetBusyPointer(s_.link.links().services().op, s_.link.links().services().clock,
                               true);
            }
        }
    } else {
        CalRunState = calrun::Idle;
        s_.window.RefreshCalUI(false);
    }
    lastRunState_ = s;
}

bool StageCalibration::RunCalibrationStep() {
    InstrumentLinks& links = s_.link.links();
    try {
        if (CalDone) return true;
        std::string message;
        if (CalPhase == calphase::Starting) {
            s_.view.cal.caption = "CAL";
            s_.view.cal.whiteCaption = false;
            CalPointIndex = 0;
            s_.view.WriteMessage("         ... Calibration in progress ...");
            const std::vector<int> plan = CalibrationPlan();
            CalPointCount = static_cast<int>(plan.size());
            CalData.assign(plan.size(), {0.0f, 0.0f, 0.0f});
            for (size_t r = 0; r < plan.size(); ++r)
                CalData[r][calcol::SetPoint] = static_cast<float>(plan[r]);
            history_.clear();
            CalPointIndex = 1;
            if (!TakeReferenceReading(message)) return Abort(message);
            return true;
        }
        if (CalPhase != calphase::Stepping) return true;

        if (!TakeReferenceReading(message)) return Abort(message);
        s_.view.calibMessVisible = !s_.view.calibMessVisible;
        const float sample = links.SampleTemp();
        if (!Manual()) {
            const float reference = Row()[calcol::Reference];
            if (std::nearbyint(reference) == 0.0f &&
                std::fabs(reference - sample) > kZeroReadingLimit)
                return Abort(message);
        }
        if (!PointStable()) {
            s_.view.readingTexts[0] = FormatSingle(sample, "0.00");
            if (!Manual()) s_.view.readingTexts[1] = FormatSingle(Row()[calcol::Reference], "0.00");
            return true;
        }
        if (Manual()) {
            float entered = 0.0f;
            (void)s_.link.ManualCalibratorEntry(entered);
            Row()[calcol::Reference] = entered;
        }
        if (!links.ReadStageTemperature(0, true, false)) {
            // The stage is left where the calibration put it unless the calibration ends
            // the way a failed reference reading ends it.
            ShowMessage(links.services().op, kStageReadFailure);
            return Abort(kStageReadFailure, kStageAdvice);
        }
        Row()[calcol::Stage] = links.SampleTemp();
        if (CalPointIndex >= CalPointCount) {
            CalPhase = calphase::Ended;
            return Finish(false);
        }
        ++CalPointIndex;
        if (!TakeReferenceReading(message)) return Abort(message);
        return true;
    } catch (const std::exception& e) {
        ReportError(links.services().op, 0, "modTcCal.CalTcOk", e.what());
        // Whatever failed, the stage does not stay where the calibration put it.
        if (CalPhase != calphase::Ended) {
            CalPhase = calphase::Ended;
            s_.window.UpdateTestStatus(TestState::StepStart);
            (void)Finish(true);
        }
        return false;
    }
}

bool StageCalibration::TakeReferenceReading(std::string& message) {
    InstrumentLinks& links = s_.link.links();
    try {
        const float setPoint = Row()[calcol::SetPoint];
        if (setPoint != static_cast<float>(links.CommandedTemp())) {
            links.SetStageTemp(setPoint, true);
            s_.view.WriteMessage("Stage Temperature Set to " +
                                 FormatNumber(links.CommandedTemp(), "0.0") + kDegrees);
        }
        if (Manual()) return true;
        float reference = 0.0f;
        const bool ok = s_.link.TakeCalibratorTemperature(reference, message);
        if (ok) Row()[calcol::Reference] = reference;
        return ok;
    } catch (const std::exception& e) {
        ReportError(links.services().op, 0, "modTcCal.GetTcCalibratorTempOk", e.what());
        return false;
    }
}

bool StageCalibration::PointStable() {
    InstrumentLinks& links = s_.link.links();
    if (history_.empty() || historySetPoint_ != links.CommandedTemp()) {
        history_.clear();
        historySetPoint_ = links.CommandedTemp();
    }
    history_.push_back(links.SampleTemp());
    return ReadingsStable(history_, Manual() ? kManualStableWindow : kSerialStableWindow);
}

bool StageCalibration::Abort(const std::string& message, const char* advice) {
    const std::string text =
        message.empty() ? std::string(advice) : message + "\r\n" + advice;
    CalPhase = calphase::Ended;
    s_.view.WriteMessage(text);
    s_.window.UpdateTestStatus(TestState::StepStart);
    (void)Finish(true);
    return false;
}

bool StageCalibration::Finish(bool aborted) {
    InstrumentLinks& links = s_.link.links();
    LinkServices& services = links.services();
    services.host.SuspendTicks();
    const ScaleSet before = CurrentScale();
    const std::string dateBefore = s_.params.SysParam(slot::CalibrationDate).text();
    bool result = false;
    if (!aborted) ProcessCalibrationData(result);

    CalibrationView& v = s_.view;
    v.cal.caption = result ? "DONE" : "CAL";
    v.cal.enabled = !result;
    v.howToEnabled = !result;
    v.stopEnabled = !result;
    v.tcTestEnabled = true;
    v.howToShown = !result;
    v.cal.tint = result ? 20 : 50;
    v.cal.whiteCaption = result;

    SetBusyPointer(services.op, services.clock, true);
    links.SetStageTestMode(false, false);
    links.SetStageTemp(kFinalStageTemp, true);

    if (result) {
        s_.params.SysParam(slot::CalibrationDate) = FormatDateMDY(services.clock.today());
        if (s_.SaveSystemFile && !s_.SaveSystemFile()) {
            // Constants that did not reach the parameter file are not this instrument's
            // calibration: the old ones and the old date stay, and no record is written.
            for (int n = 1; n <= 4; ++n)
                s_.params.Scale(n) = before[static_cast<size_t>(n - 1)];
            s_.params.SysParam(slot::CalibrationDate) = dateBefore;
            result = false;
            v.cal = CalButtonLook{};
            v.howToEnabled = v.stopEnabled = v.howToShown = true;
        }
    }
    scaleBefore = before;
    if (result) {
        outcome = CalOutcome::Succeeded;
        v.WriteMessage("   Calibration completed successfully!");
        FileCalibrationData(before);
        s_.window.RefreshCalUI(false);
        s_.window.UpdateTestStatus(TestState::StepStart);
    } else {
        outcome = aborted ? CalOutcome::Aborted : CalOutcome::Rejected;
        if (!aborted) v.WriteMessage("   ... Calibration unsuccessful ...");
    }
    return result;
}

void StageCalibration::RejectFit() {
    LinkServices& services = s_.link.links().services();
    ShowMessage(services.op, "Thermocouple parameter adjustment is excessive and aborted.",
                "Tc Parameter Error", MessageIcon::Exclamation);
    SetBusyPointer(services.op, services.clock, true);
    CalRunState = calrun::Idle;
}

void StageCalibration::ProcessCalibrationData(bool& ok) {
    ok = false;
    try {
        std::vector<double> setPoint, reference, stage;
        for (int r = 0; r < CalPointCount; ++r) {
            const auto& row = CalData.at(static_cast<size_t>(r));
            setPoint.push_back(row[calcol::SetPoint]);
            reference.push_back(row[calcol::Reference]);
            stage.push_back(row[calcol::Stage]);
        }
        const CalLine thermistor = FitCalLine(stage, reference);
        if (!CalLineAccepted(thermistor)) return RejectFit();
        const CalLine commanded = FitCalLine(reference, setPoint);
        // Both lines or neither: a thermistor correction without its matching set-point
        // correction would leave the stage calibrated by halves.
        if (!CalLineAccepted(commanded)) return RejectFit();
        s_.params.Scale(3) = static_cast<float>(thermistor.slope);
        s_.params.Scale(4) = static_cast<float>(thermistor.intercept);
        s_.params.Scale(1) = static_cast<float>(commanded.slope);
        s_.params.Scale(2) = static_cast<float>(commanded.intercept);
        ok = true;
    } catch (const std::exception& e) {
        ReportError(s_.link.links().services().op, 0, "modTcCal.ProcessTcCalData", e.what());
        CalRunState = calrun::Idle;
        ok = false;
    }
}

std::vector<std::array<double, 3>> StageCalibration::DeviationRows(const ScaleSet& k) const {
    std::vector<std::array<double, 3>> rows;
    for (int r = 0; r < CalPointCount; ++r) {
        const float reference = CalData.at(static_cast<size_t>(r))[calcol::Reference];
        // Single precision, as the stored constants and readings are.
        const float t = (reference * k[0] + k[1]) * k[2] + k[3];
        rows.push_back({t, reference, t - reference});
    }
    return rows;
}

void StageCalibration::WriteTable(const ScaleSet& scale) {
    s_.record.WriteCalFile("Thermistor         Thermocouple          Deviation");
    s_.record.WriteCalFile("----------         ------------         ------------");
    for (const auto& row : DeviationRows(scale))
        s_.record.WriteCalFile(CalField(row[0]) + kSpaces13 + CalField(row[1]) + kSpaces13 +
                               CalField(row[2]));
}

void StageCalibration::FileCalibrationData(const ScaleSet& before) {
    CalibrationRecord& rec = s_.record;
    try {
        for (const char* line : {" ", "Thermistor calibrations adjusted.",
                                 "(Deviation Limit: +/- .5 deg C)", " ",
                                 "Uncalibrated Temperature Data:", "Thermistor         Thermocouple",
                                 "----------         ------------"})
            rec.WriteCalFile(line);
        for (int r = 0; r < CalPointCount; ++r) {
            const auto& row = CalData.at(static_cast<size_t>(r));
            rec.WriteCalFile(CalField(row[calcol::SetPoint]) + kSpaces13 +
                             CalField(row[calcol::Reference]));
        }
        rec.WriteCalFile(" ");
        rec.WriteCalFile("'As Found' Temperature Data:");
        WriteTable(before);
        rec.WriteCalFile(" ");
        rec.WriteCalFile("'As Left' Temperature Data:");
        WriteTable(CurrentScale());
        rec.WriteCalFile(" ");
        CalDone = true;
        rec.WriteCalFile(" ");
    } catch (const std::exception& e) {
        ReportError(s_.link.links().services().op, 0, "modTcCal.FileTcCalData", e.what());
    }
}

} // namespace dilato
