#pragma once
// Shared by the harnesses: an operator that answers every box with its first button, and a
// scratch folder (in memory where the machine has one) removed when the run ends.

#include "platform/Operator.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace dilato::fuzz {

class SilentOperator final : public Operator {
  public:
    MessageAnswer show(const Message&) override {
        ++shown;
        return MessageAnswer::Ok;
    }
    void setBusyPointer(bool busy) override { busy_ = busy; }
    [[nodiscard]] bool busyPointerShown() const override { return busy_; }
    void playSound(const std::string&) override {}
    long shown = 0;

  private:
    bool busy_ = false;
};

class ScratchFolder {
  public:
    ScratchFolder() {
        std::error_code ec;
        const std::string base = std::filesystem::is_directory("/dev/shm", ec)
                                     ? "/dev/shm"
                                     : std::filesystem::temp_directory_path().string();
        std::string pattern = base + "/dilato-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) std::abort();
        path_ = pattern + "/";
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    [[nodiscard]] const std::string& path() const { return path_; }

  private:
    std::string path_;
};

} // namespace dilato::fuzz
