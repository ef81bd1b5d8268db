#pragma once
// A profile (ini) file read once into memory, changed key by key with the same rules as
// WriteIniValue, and written back in one atomic rewrite: a save that fails leaves the previous
// file whole instead of half its keys.

#include <string>
#include <vector>

namespace dilato {

class ProfileDocument {
  public:
    // Reads the file; a missing file (or one that is a folder) starts an empty document.
    // An existing file that cannot be read throws FileError rather than being taken as
    // empty, so that its other keys are never written away.
    [[nodiscard]] static ProfileDocument Load(const std::string& path);

    // The value as ReadIniValue sees it (empty when missing).
    [[nodiscard]] std::string Read(const std::string& section, const std::string& key) const;
    // Replaces the key in place, appends it to its section, or appends the section.
    void Write(const std::string& section, const std::string& key, const std::string& value);
    // Drops a whole section, so that it can be written anew without keys left from before.
    void RemoveSection(const std::string& section);
    // Rewrites the file atomically; throws FileError, the old file then untouched.
    void Save() const;

    [[nodiscard]] const std::string& path() const { return path_; }
    [[nodiscard]] const std::vector<std::string>& lines() const { return lines_; }

  private:
    ProfileDocument(std::string path, std::vector<std::string> lines)
        : path_(std::move(path)), lines_(std::move(lines)) {}
    std::string path_;
    std::vector<std::string> lines_;
};

} // namespace dilato
