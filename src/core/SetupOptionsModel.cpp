#include "core/SetupOptionsModel.h"

#include "core/TestPlan.h"
#include "platform/Format.h"
#include "platform/LeadingNumber.h"
#include "platform/ProgramEnd.h"
#include "storage/ParamValue.h"

#include <algorithm>
#include <cmath>

namespace dilato {

namespace {
// Whole numbers as the controls hold them; a stored value far beyond any control's range is
// held at a bound rather than overflowing.
int WholeNumber(double v) {
    if (!(v == v)) return 0;
    return static_cast<int>(std::nearbyint(std::clamp(v, -1e6, 1e6)));
}
int OptionOrDefault(double stored, int lowest, int highest, int fallback) {
    const int v = WholeNumber(stored);
    return v < lowest || v > highest ? fallback : v;
}
} // namespace

void SetupOptionsModel::EnterSetupOptions() {
    SystemParameters& p = s_.params;
    if (s_.refreshFileList) s_.refreshFileList();
    view.reorder = p.SysParam(slot::OptimumTempOrdering).number() != 0;
    view.roundTrip = p.SysParam(slot::AddRoundTripTests).number() != 0;
    // An option stored outside 0..2 shows the recommended one, which leaving then stores.
    view.endTempOption = OptionOrDefault(p.SysParam(slot::TestEndTempOption).number(), 0, 2, 0);
    view.accuracyOption = OptionOrDefault(p.SysParam(slot::AccuracyOption).number(), 1, 2, 1);
    view.unitsOption = s_.run.UnitsInches ? 0 : 1;
    view.numberOfPts = FormatParam(p.SysParam(slot::NumberOfBatchTests), "0");
    view.numberOfPtsSpin = std::clamp(WholeNumber(LeadingNumber(view.numberOfPts)), 1, kBatchPoints);
    SyncBatchTempControls(true);
    view.createPdf = p.SysParam(slot::PdfDataWrite).number() == 1;
    view.password = p.SysParam(slot::Password).text();
    view.modelSerial = p.SysParam(slot::TesterModel).text() + " / " +
                       p.SysParam(slot::SerialNumber).text();
    view.calibrationDate = p.SysParam(slot::CalibrationDate).text();
    s_.op.setBusyPointer(false);
}

void SetupOptionsModel::SyncBatchTempControls(bool toControls) {
    SystemParameters& p = s_.params;
    const int used = WholeNumber(LeadingNumber(view.numberOfPts));
    for (int c = 0; c < kBatchPoints; ++c) {
        const size_t i = static_cast<size_t>(c);
        if (toControls) {
            const int t = WholeNumber(LeadingNumber(p.SysParam(slot::FirstBatchTemp + c).text()));
            view.batchSpin[i] = std::clamp(t, kBatchTempLowest, kBatchTempHighest);
            view.batchText[i] = std::to_string(view.batchSpin[i]);
        } else {
            p.SysParam(slot::FirstBatchTemp + c) = view.batchSpin[i];
        }
        view.batchEnabled[i] = c < used;
    }
}

void SetupOptionsModel::NumberOfPointsChanged(int value) {
    view.numberOfPtsSpin = std::clamp(value, 1, kBatchPoints);
    view.numberOfPts = std::to_string(view.numberOfPtsSpin);
    s_.params.SysParam(slot::NumberOfBatchTests) = view.numberOfPtsSpin;
    SyncBatchTempControls(false);
}

void SetupOptionsModel::BatchTempChanged(int point, int value) {
    const size_t i = static_cast<size_t>(std::clamp(point, 0, kBatchPoints - 1));
    view.batchSpin[i] = std::clamp(value, kBatchTempLowest, kBatchTempHighest);
    view.batchText[i] = std::to_string(view.batchSpin[i]);
}

void SetupOptionsModel::UnitsChanged(int index) {
    view.unitsOption = index;
    s_.params.SysParam(slot::Units) = index;
    s_.run.UnitsInches = index == 0;
}

void SetupOptionsModel::CreatePdfChanged(bool ticked) {
    view.createPdf = ticked;
    s_.params.SysParam(slot::PdfDataWrite) = ticked ? 1 : 0;
}

void SetupOptionsModel::PasswordChanged(const std::string& text) {
    view.password = text;
    if (text.find(' ') != std::string::npos) {
        ShowMessage(s_.op, "No spaces allowed in Password", kProgramTitle, MessageIcon::Critical);
        view.password.clear();
    }
}

void SetupOptionsModel::DataStore() {
    if (s_.openDataStore) s_.openDataStore();
}

void SetupOptionsModel::LeaveSetupOptions() {
    SystemParameters& p = s_.params;
    p.SysParam(slot::Units) = s_.run.UnitsInches ? 0 : 1;
    p.SysParam(slot::OptimumTempOrdering) = view.reorder ? 1 : 0;
    p.SysParam(slot::AddRoundTripTests) = view.roundTrip ? 1 : 0;
    p.SysParam(slot::TestEndTempOption) = view.endTempOption;
    for (int c = 0; c < kBatchPoints; ++c)
        p.SysParam(slot::FirstBatchTemp + c) =
            LeadingNumber(view.batchText[static_cast<size_t>(c)]);
    p.SysParam(slot::NumberOfBatchTests) = LeadingNumber(view.numberOfPts);
    ReorderTempSequence(p, s_.sampleTemp ? s_.sampleTemp() : 20.0f, s_.op);
    p.SysParam(slot::Password) = view.password;
    p.SysParam(slot::AccuracyOption) = view.accuracyOption == 2 ? 2 : 1;
    if (s_.showUnitLabels) s_.showUnitLabels();
    if (!s_.paramFile.ReadWriteSysFile(SysFileAccess::Save, false, SysFileCopy::Main))
        EndProgram(1, "the system parameter file could not be written");
}

} // namespace dilato
