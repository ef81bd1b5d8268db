#pragma once
// Whole-file reads and writes. A file rewritten whole is replaced atomically: the new content
// goes to a temporary file beside it, is flushed to the disk and renamed over the old one, so
// a crash or a full disk leaves the previous complete file, never a truncated one.
// Text files are Windows-1252 with CR LF line ends; readers accept UTF-8 and bare LF too.

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace dilato {

// A failed file operation; what() is the system's description with the file name.
class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The file's bytes; nullopt when it does not exist or cannot be read (a folder, no rights).
[[nodiscard]] std::optional<std::string> ReadFileBytes(const std::string& path);
// The file as UTF-8 lines without their line ends (a last line without an end counts).
[[nodiscard]] std::optional<std::vector<std::string>> ReadTextLines(const std::string& path);

// A text split at its line ends (LF or CR LF), the ends removed.
[[nodiscard]] std::vector<std::string> SplitTextLines(std::string_view text);

// UTF-8 lines to the file form: Windows-1252, each line ended by CR LF.
[[nodiscard]] std::string EncodeTextLines(const std::vector<std::string>& lines);

// Replaces the file atomically with these bytes. Throws FileError; the old file is then
// untouched and no temporary file is left behind.
void WriteFileAtomic(const std::string& path, std::string_view bytes);
void WriteTextLinesAtomic(const std::string& path, const std::vector<std::string>& lines);

// Appends the lines (each ended by CR LF) to the file, creating it. Throws FileError.
void AppendTextLines(const std::string& path, const std::vector<std::string>& lines);

// The temporary name a rewrite of `path` uses while it is being written.
[[nodiscard]] std::string TemporaryNameFor(const std::string& path);

} // namespace dilato
