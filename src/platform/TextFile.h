#pragma once
// Whole-file reads and writes. A file rewritten whole is replaced atomically: the new content
// goes to a temporary file beside it, is flushed to the disk and renamed over the old one, so
// a crash or a full disk leaves the previous complete file, never a truncated one.
// Every file made here honours the process umask (as any Linux program's files do), and a
// replaced file keeps the mode and the group of the file it replaces, so that a system folder
// shared by a group of operators stays shared. A path that is a symbolic link stays a link:
// the file it points to is the one replaced.
// Text files are Windows-1252 with CR LF line ends; readers accept UTF-8 (with or without a
// byte-order mark) and bare LF too.

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace dilato {

// A failed file operation; what() is the system's description with the file name, code()
// the system's error number (0 when the failure is not the system's).
class FileError : public std::runtime_error {
  public:
    explicit FileError(const std::string& what, int code = 0)
        : std::runtime_error(what), code_(code) {}
    [[nodiscard]] int code() const { return code_; }

  private:
    int code_;
};

// The file's bytes; nullopt when it does not exist or cannot be read (a folder, no rights).
[[nodiscard]] std::optional<std::string> ReadFileBytes(const std::string& path);
// The file as UTF-8 lines without their line ends (a last line without an end counts).
[[nodiscard]] std::optional<std::vector<std::string>> ReadTextLines(const std::string& path);

// Operator text (a sample ID, a name) made safe for one line of a file: every control
// character (C0, DEL, and C1 such as NEL) becomes a blank, so the text can start no line,
// key or section of its own.
[[nodiscard]] std::string OneLineText(std::string_view text);

// A text split at its line ends (LF or CR LF), the ends removed.
[[nodiscard]] std::vector<std::string> SplitTextLines(std::string_view text);

// UTF-8 lines to the file form: Windows-1252, each line ended by CR LF.
[[nodiscard]] std::string EncodeTextLines(const std::vector<std::string>& lines);

// The replacement of one file, written piece by piece into a temporary file of a name no
// other process uses, and put in place by commit(). Destroyed without commit() it removes
// its temporary file and leaves the target as it was.
class FileReplacement {
  public:
    // Creates the temporary file; throws FileError ("Cannot write " + path + ": " + reason).
    explicit FileReplacement(const std::string& path);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    void write(std::string_view bytes); // throws FileError
    // Flushes to the disk, gives the temporary file the mode and group of the file it
    // replaces, and renames it over the target. Throws FileError; the target then untouched.
    void commit();

    [[nodiscard]] const std::string& target() const { return target_; }
    [[nodiscard]] const std::string& temporary() const { return temporary_; }

  private:
    [[noreturn]] void Fail(int err);
    std::string path_;      // as the caller named it
    std::string target_;    // the file really replaced (a link's target)
    std::string temporary_; // beside the target
    int fd_ = -1;
};

// Replaces the file atomically with these bytes. Throws FileError; the old file is then
// untouched and no temporary file is left behind.
void WriteFileAtomic(const std::string& path, std::string_view bytes);
void WriteTextLinesAtomic(const std::string& path, const std::vector<std::string>& lines);

// Appends the lines (each ended by CR LF) to the file, creating it. Throws FileError.
void AppendTextLines(const std::string& path, const std::vector<std::string>& lines);

// Why files cannot be written into `folder` (a folder that is not there or is read-only, a
// disk that is full or nearly so); empty when a file of some kilobytes could be written and
// flushed there. The trial file is removed again.
[[nodiscard]] std::string FolderWriteProblem(const std::string& folder);

// Flushes the folder that holds `path` to the disk, so that a name made or replaced in it
// (a new file, a rename) survives a power cut. Best effort: a folder that cannot be opened is
// left as it is.
void SyncFolderOf(const std::string& path);

// Appends the bytes to the file (creating it) and flushes them to the disk (fdatasync; a
// new file's folder entry too) before returning: a record appended here survives a power
// cut. On any failure the file is cut back to its length before the call and FileError is
// thrown, so that no half-written record stays behind. `killPoint`, when armed, dies after
// half of the bytes (a torn write).
void AppendDurably(const std::string& path, std::string_view bytes,
                   std::string_view killPoint = {});
// True when the file is empty or its last byte ends a line; false also when it is missing.
[[nodiscard]] bool EndsWithLineEnd(const std::string& path);

// Temporary files end with this; no file the program keeps does (names may hold no ".").
inline constexpr std::string_view kTemporaryEnding = ".new";
[[nodiscard]] bool IsTemporaryName(std::string_view fileName);
// Removes the temporary files that a killed process left in `folder` and every folder
// below it; returns their paths. Only safe while no other process writes there (the
// system folder's lock).
std::vector<std::string> RemoveStaleTemporaries(const std::string& folder);

} // namespace dilato
