#pragma once
// What the parameter file's tests and the backup choice's test share.

#include "storage/SystemParameterFile.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <initializer_list>
#include <string>

namespace dilato::test {

// A system folder in a temporary folder with the parameter tables and their file.
struct Rig {
    test::TempFolder dir;
    test::RecordingOperator op;
    Folders folders{dir.path() + "program", dir.path()};
    SystemParameters params;
    SystemParameterFile file{params, folders, op};

    bool load(SysFileCopy copy = SysFileCopy::Main) {
        return file.ReadWriteSysFile(SysFileAccess::Load, false, copy);
    }
    bool save(SysFileCopy copy = SysFileCopy::Main) {
        return file.ReadWriteSysFile(SysFileAccess::Save, false, copy);
    }
};

inline std::string Crlf(std::initializer_list<const char*> lines) {
    std::string s;
    for (const char* l : lines)
        s += std::string(l) + "\r\n";
    return s;
}

// An instrument's file as it stands in the field: sections in another order, a foreign
// section and a note line, keys not in processing order.
inline const std::string kFieldFile = Crlf({
    "; CTE tester 1234",
    "[ScaleData]",
    "Scale2=-0.12500000000 : Offset relating actual(TC) stage temp(X) to commanded temp(Y)",
    "Scale1=1.00234600000 : Slope relating actual stage temp(X) to commanded temp(Y)",
    "Scale3=0.99800000000 : Slope relating thermistor reported temp(X) to actual temp(Y)",
    "Scale4=0.25000000000 : Offset relating thermistor reported temp(X) to actual temp(Y)",
    "",
    "[Service]",
    "Engineer=J. Doe",
    "[SysParams]",
    "TesterModel=2",
    "SerialNumber=1234",
    "CalibrationDate=03-07-2026",
    "Units=1",
    "Password=abc",
    "PDFdataWrite=1",
    "AccuracyOption=2",
    "OptimumTempOrdering=0",
    "NumberOfBatchTests=4",
    "AddRoundTripTests=1",
    "TestEndTempOption=2",
    "Batch=20/50/80/-10/0/0/0/0/0",
});

} // namespace dilato::test
