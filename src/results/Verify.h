#pragma once
// Tamper evidence: every file the store holds a hash of, compared with the file on the disk
// now. A file changed or missing since it was written is reported.

#include "results/Query.h"

#include <string>
#include <vector>

namespace dilato::results {

enum class FileCheck { Unchanged, Changed, Missing };

struct CheckedFile {
    QString testUid, testName, kind, path;
    FileCheck check = FileCheck::Unchanged;
};

// The files of the tests that match `filter`, each checked.
[[nodiscard]] std::vector<CheckedFile> VerifyFiles(StoreConnection& store, const TestFilter& filter);

// "changed", "missing" or "unchanged".
[[nodiscard]] const char* CheckText(FileCheck check);

} // namespace dilato::results
