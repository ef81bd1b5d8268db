#pragma once
// A test started under the name of a test that already has files in its data folder: the
// operator is asked first, and an accepted overwrite removes the old test's files before
// the new test writes any, so that the files of one name never describe two tests (a raw
// data file of the new test beside the summary of the old one).

#include "platform/Operator.h"
#include "storage/Folders.h"

#include <string>
#include <vector>

namespace dilato {

inline constexpr const char* kExistingTestTitle = "Test Name Already Used";

// The files of the test `Folders::DataFileName` in `Folders::DataPath` that exist: the raw
// data file, the summary, the PDF report, the readings kept from an interrupted step and a
// journal kept for audit.
[[nodiscard]] std::vector<std::string> ExistingTestFiles(const Folders& folders);

// True when the test may start: no files of that name, or the operator agreed to replace
// them (Yes) and they, with the folder's interim results "TempDat.txt", were removed. A test
// of that name that was interrupted and not yet resumed or closed is never replaced.
[[nodiscard]] bool ConfirmTestOverwrite(const Folders& folders, Operator& op);

// The limits of the names a test's files get. Checked when the test starts, so that a name
// too long for the file system is refused then, not at the first save minutes later.
// Message "The test name or data folder name is too long: " + path.
[[nodiscard]] bool CheckTestPathLength(const Folders& folders, Operator& op);

} // namespace dilato
