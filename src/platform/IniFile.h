#pragma once
// Profile (ini) files: "[Section]" lines, then "key=value" lines.
// Sections and keys are found by name, case-insensitively; surrounding blanks of names and
// values are ignored, and a value wrapped in matching quotes loses them. A value is read whole
// (a folder or a device path longer than a hundred characters comes back as it was written,
// and a save after it keeps it so); a missing key, section or file reads as empty text. Lines that
// are neither a section nor a key are kept as they are. Writing a key replaces its line in place,
// or appends it after the last line of its section; a missing section is appended at the end of the
// file. Every write rewrites the file atomically (Windows-1252, CR LF).

#include <string>
#include <vector>

namespace dilato {

[[nodiscard]] std::string ReadIniValue(const std::string& file, const std::string& section,
                                       const std::string& key);
// Throws FileError when the file cannot be written; the old file then stays whole.
void WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value);

// The same rules on lines already in memory, for callers that read or write many keys at once
// and for the fuzz harness.
[[nodiscard]] std::string IniLookup(const std::vector<std::string>& lines,
                                    const std::string& section, const std::string& key);
void IniAssign(std::vector<std::string>& lines, const std::string& section, const std::string& key,
               const std::string& value);
// Removes the section's header and lines (the first section of that name); false if absent.
bool IniRemoveSection(std::vector<std::string>& lines, const std::string& section);

} // namespace dilato
