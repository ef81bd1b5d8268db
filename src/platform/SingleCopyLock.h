#pragma once
// One copy of the program per system folder: a lock file in the system folder, held while
// the program runs. A lock left behind by a copy that crashed is taken over (QLockFile checks
// whether its process still lives).

#include <QLockFile>

#include <string>

namespace dilato {

class SingleCopyLock {
  public:
    explicit SingleCopyLock(const std::string& systemFolder);
    // True when this copy now holds the lock (or already held it).
    [[nodiscard]] bool tryLock();

  private:
    QLockFile file_;
};

} // namespace dilato
