#pragma once
// A desktop that opens nothing: it records what it was asked to open.

#include "ui/results/ResultsPorts.h"

#include <string>
#include <vector>

namespace dilato::test {

class RecordingOpener final : public FileOpener {
  public:
    bool Open(const std::string& path) override {
        opened.push_back(path);
        return answer;
    }
    std::vector<std::string> opened;
    bool answer = true;
};

} // namespace dilato::test
