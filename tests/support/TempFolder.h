#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when the
// test ends. Tests never touch a real system folder.

#include <string>

namespace dilato::test {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, ending with "/".
    [[nodiscard]] const std::string& path() const { return path_; }
    // path() + name
    [[nodiscard]] std::string file(const std::string& name) const { return path_ + name; }
    // Writes raw bytes to path() + name (creating folders on the way) and returns the path.
    std::string write(const std::string& name, const std::string& bytes) const;
    // The bytes of path() + name; empty when missing.
    [[nodiscard]] std::string read(const std::string& name) const;

  private:
    std::string path_;
};

} // namespace dilato::test
