#pragma once
// The material class each sample ID was last tested as, so that the next test of the same
// sample starts with it. It belongs to the operator, not to the group: it is kept in the
// operator's own settings folder ($XDG_CONFIG_HOME/dilato, else ~/.config/dilato), never in
// the shared system folder, and it is read as data only (a line that names no class is
// passed over).
//
// The file holds one line per sample ID, "class<TAB>sample ID", the latest last; it keeps the
// most recent kSampleClassesKept sample IDs.

#include "analysis/MaterialClass.h"

#include <optional>
#include <string>

namespace dilato {

inline constexpr const char* kSampleClassesFile = "sample-classes.txt";
inline constexpr size_t kSampleClassesKept = 1000;

// The file in the operator's settings folder, from the environment; empty when neither
// XDG_CONFIG_HOME nor HOME names an absolute folder.
[[nodiscard]] std::string OperatorSampleClassesPath();

class SampleClassMemory {
  public:
    // No file: nothing is recalled and nothing kept (the state of tests and of a program
    // that was not told where the operator's settings are).
    SampleClassMemory() = default;
    explicit SampleClassMemory(std::string path) : path_(std::move(path)) {}

    // The class the sample ID was last tested as; nothing for an ID never kept (or blank).
    [[nodiscard]] std::optional<MaterialClass> Recall(const std::string& sampleId) const;
    // Keeps the class for the sample ID (a blank ID is not kept). The folder is made when
    // missing. Throws FileError when the file cannot be written; the old file then stays.
    void Remember(const std::string& sampleId, MaterialClass kind) const;

    [[nodiscard]] const std::string& path() const { return path_; }

  private:
    std::string path_;
};

} // namespace dilato
