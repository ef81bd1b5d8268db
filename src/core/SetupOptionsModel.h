#pragma once
// The Setup Options tab as plain state: the persistent test options of the system parameter
// table, loaded into the controls on entry and written back (with the parameter file) on
// leaving. The Qt tab shows `view` and forwards the operator's changes here.

#include "core/TestRun.h"
#include "platform/Operator.h"
#include "storage/SystemParameterFile.h"

#include <array>
#include <functional>
#include <string>

namespace dilato {

// The batch temperatures the spin boxes offer: the range the stage is calibrated over.
inline constexpr int kBatchTempLowest = -10;
inline constexpr int kBatchTempHighest = 90;
inline constexpr int kBatchPoints = 9;

struct SetupOptionsView {
    int endTempOption = 0;   // `OptTempEnd`(0..2)
    std::string password;    // `TxtPassWord`
    int unitsOption = 0;     // `OptUnits`: 0 English, 1 metric
    std::string numberOfPts; // `TxtNumberOfPts`
    int numberOfPtsSpin = 1; // `UpDownNumPts`, 1 to 9
    std::array<int, kBatchPoints> batchSpin{};         // `UpDown1`(0..8)
    std::array<std::string, kBatchPoints> batchText{}; // `TempBatch`(0..8)
    std::array<bool, kBatchPoints> batchEnabled{};     // box, spin box and `LabelT` label
    bool roundTrip = false;                             // `ChkRoundTrip`
    bool reorder = false;                               // `OptimizeTempPts`
    bool createPdf = false;                             // `CheckBoxCreatePDF`
    int accuracyOption = 1;                             // `AccuracyOpt`(1..2); 0 none
    std::string modelSerial, calibrationDate;           // the Calibration frame
};

struct SetupOptionsServices {
    SystemParameters& params;
    SystemParameterFile& paramFile;
    TestRun& run; // `UnitsInches`
    Operator& op;
    std::function<float()> sampleTemp;       // for the reordering on leaving
    std::function<void()> refreshFileList;   // the data file list of the current folder
    std::function<void()> showUnitLabels;    // the Test tab's length units
    std::function<void()> openDataStore;     // the data storage options dialog
};

class SetupOptionsModel {
  public:
    explicit SetupOptionsModel(SetupOptionsServices services) : s_(std::move(services)) {}

    void EnterSetupOptions();
    // Ends the program when the parameter file cannot be written.
    void LeaveSetupOptions();

    // Spin boxes to slots (false) or slots to spin boxes (true), then the enabled states.
    void SyncBatchTempControls(bool toControls);

    // The operator's changes.
    void NumberOfPointsChanged(int value);
    void BatchTempChanged(int point, int value);
    void UnitsChanged(int index);
    void CreatePdfChanged(bool ticked);
    void PasswordChanged(const std::string& text);
    void DataStore();

    SetupOptionsView view;

  private:
    SetupOptionsServices s_;
};

} // namespace dilato
