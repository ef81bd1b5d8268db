#pragma once
// Files of the update work folder, read once. Any operator of the group can change what lies
// in that folder at any moment, so a file is opened without following a link, must be a plain
// file, and is read whole into memory; every later check and use works on those bytes and
// never opens the path again.

#include <cstdint>
#include <string>

namespace dilato {

struct HeldFile {
    bool ok = false;
    bool missing = false; // there is no file of that name
    std::string bytes;
    std::string problem;  // why it could not be read, for the operator
};

// The file at `path` (the last part of the path is never followed as a link).
[[nodiscard]] HeldFile ReadHeldFile(const std::string& path, std::int64_t maxBytes);
// The file `name` inside the open folder `folderFd`.
[[nodiscard]] HeldFile ReadHeldFileAt(int folderFd, const std::string& name, std::int64_t maxBytes);

// A folder opened without following a link at its last step; closed with the object.
class HeldFolder {
  public:
    explicit HeldFolder(const std::string& path);
    ~HeldFolder();
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;
    [[nodiscard]] bool ok() const { return fd_ >= 0; }
    [[nodiscard]] int fd() const { return fd_; }
    [[nodiscard]] const std::string& problem() const { return problem_; }

  private:
    int fd_ = -1;
    std::string problem_;
};

} // namespace dilato
