#pragma once
// One process owns a system folder at a time: the program's window and the headless runner
// alike take the lock "Dilato.lock" in the system folder before they read or write anything
// there, and keep it until they end. The lock is the operating system's (flock): a process
// that is killed or crashes releases it, so no stale lock ever has to be removed by hand.
//
//   std::string problem;
//   auto lock = SystemFolderLock::Acquire(folder, problem);
//   if (!lock) { show kSingleCopyMessage / problem; end; }
//   ... the whole run ...           // the lock is released when `lock` goes

#include <memory>
#include <string>

namespace dilato {

inline constexpr const char* kLockFileName = "Dilato.lock";
// The program's single-copy message and its title.
inline constexpr const char* kSingleCopyMessage = "Error: Only one Dilato session allowed!";
inline constexpr const char* kSingleCopyTitle = "Multiple Dilato Instance Warning";

class SystemFolderLock {
  public:
    // Takes the lock of `systemFolder` (which must exist). On failure returns null and
    // `problem` tells why: another process holds it ("... is in use by process 1234 of user
    // x") or the lock file cannot be made.
    [[nodiscard]] static std::unique_ptr<SystemFolderLock> Acquire(const std::string& systemFolder,
                                                                   std::string& problem);
    ~SystemFolderLock();
    SystemFolderLock(const SystemFolderLock&) = delete;
    SystemFolderLock& operator=(const SystemFolderLock&) = delete;

    [[nodiscard]] const std::string& path() const { return path_; }

  private:
    SystemFolderLock(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
    std::string path_;
    int fd_;
};

} // namespace dilato
