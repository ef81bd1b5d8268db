#include "platform/TextFile.h"

#include "platform/DiskFlush.h"
#include "platform/Files.h"
#include "platform/KillPoint.h"

#include "platform/TextCodec.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace dilato {

namespace fs = std::filesystem;

namespace {

// New files ask for read and write for everyone; the process umask takes away what the
// user does not want shared.
constexpr mode_t kNewFileMode = 0666;

[[noreturn]] void ThrowSystemError(const std::string& what, const std::string& path, int err) {
    throw FileError(what + " " + path + ": " + std::strerror(err), err);
}

// Writes all bytes to an open descriptor, retrying short writes.
bool WriteAll(int fd, std::string_view bytes, int& err) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// The file a path really names: a symbolic link is followed (to a file that may not exist
// yet), so that replacing it replaces the file and keeps the link.
std::string FollowLinks(const std::string& path) {
    fs::path p = path;
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(p, ec)); ++hops) {
        const fs::path to = fs::read_symlink(p, ec);
        if (ec) break;
        p = to.is_absolute() ? to : p.parent_path() / to;
    }
    return p.string();
}

// A name beside `target` that no other writer uses: the process id tells processes apart,
// the counter the writes of one process.
std::string TemporaryCandidate(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".%x-%u", static_cast<unsigned>(::getpid()),
                  counter.fetch_add(1));
    return target + suffix + std::string(kTemporaryEnding);
}

} // namespace

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    // Read by hand: a stream buffer takes a read error for the end of the file, and a file
    // that failed half-way must not pass for a shorter one.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            if (n < 0) return std::nullopt;
            return bytes;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

std::string OneLineText(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) {
            line += ' ';
        } else if (c == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            line += ' '; // U+0080 to U+009F in UTF-8
            ++i;
        } else {
            line += text[i];
        }
    }
    return line;
}

std::vector<std::string> SplitTextLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& path) {
    const auto bytes = ReadFileBytes(path);
    if (!bytes) return std::nullopt;
    return SplitTextLines(DecodeFileText(*bytes));
}

std::string EncodeTextLines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) {
        bytes += Utf8ToCp1252(line);
        bytes += "\r\n";
    }
    return bytes;
}

std::string FolderWriteProblem(const std::string& folder) {
    constexpr size_t kTrialBytes = 16 * 1024;
    constexpr unsigned long long kLeastFreeBytes = 1024 * 1024;
    const std::string trial = WithTrailingSeparator(folder) + ".write-check" + std::string(kTemporaryEnding);
    const int fd = ::open(trial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
    if (fd < 0) return std::strerror(errno);
    int err = 0;
    const bool ok = WriteAll(fd, std::string(kTrialBytes, ' '), err) &&
                    ((err = FlushToDisk(fd, ::fdatasync)) == 0);
    struct statvfs disk {};
    const bool measured = ::fstatvfs(fd, &disk) == 0;
    ::close(fd);
    ::unlink(trial.c_str());
    if (!ok) return std::strerror(err);
    if (measured) {
        const auto free = static_cast<unsigned long long>(disk.f_bavail) * disk.f_frsize;
        if (free < kLeastFreeBytes)
            return "the disk has only " + std::to_string(free / 1024) + " kB free";
    }
    return {};
}

void SyncFolderOf(const std::string& path) {
    const std::string folder = fs::path(path).parent_path().string();
    const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return;
    (void)FlushToDisk(dir, ::fsync);
    ::close(dir);
}

FileReplacement::FileReplacement(const std::string& path)
    : path_(path), target_(FollowLinks(path)) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary_ = TemporaryCandidate(target_);
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd_ >= 0 || errno != EEXIST) break;
    }
    if (fd_ < 0) ThrowSystemError("Cannot write", path_, errno);
}

FileReplacement::~FileReplacement() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporary_.c_str());
    }
}

void FileReplacement::Fail(int err) {
    ::close(fd_);
    fd_ = -1;
    ::unlink(temporary_.c_str());
    ThrowSystemError("Cannot write", path_, err);
}

void FileReplacement::write(std::string_view bytes) {
    if (fd_ < 0) ThrowSystemError("Cannot write", path_, EBADF);
    int err = 0;
    if (!WriteAll(fd_, bytes, err)) Fail(err);
}

void FileReplacement::commit() {
    if (fd_ < 0) ThrowSystemError("Cannot write", path_, EBADF);
    if (const int err = FlushToDisk(fd_, ::fsync)) Fail(err);
    struct stat old {};
    if (::stat(target_.c_str(), &old) == 0) {
        // The replaced file's mode and group; a group this user is not in cannot be given,
        // and the folder's own rules then decide the group.
        if (::fchmod(fd_, old.st_mode & 07777) != 0) Fail(errno);
        (void)::fchown(fd_, static_cast<uid_t>(-1), old.st_gid);
    }
    if (::close(fd_) != 0) {
        const int err = errno;
        fd_ = -1;
        ::unlink(temporary_.c_str());
        ThrowSystemError("Cannot write", path_, err);
    }
    fd_ = -1;
    KillPoint("file-rename"); // the new content is on the disk, the old file still in place
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        ::unlink(temporary_.c_str());
        ThrowSystemError("Cannot write", path_, err);
    }
    // The new name is on the disk only with its folder: a power cut now would otherwise
    // bring the old file back, or none at all for a file written the first time.
    SyncFolderOf(target_);
}

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
    FileReplacement file(path);
    file.write(bytes);
    file.commit();
}

void WriteTextLinesAtomic(const std::string& path, const std::vector<std::string>& lines) {
    WriteFileAtomic(path, EncodeTextLines(lines));
}

void AppendTextLines(const std::string& path, const std::vector<std::string>& lines) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, kNewFileMode);
    if (fd < 0) ThrowSystemError("Cannot open", path, errno);
    int err = 0;
    const bool ok = WriteAll(fd, EncodeTextLines(lines), err);
    ::close(fd);
    if (!ok) ThrowSystemError("Cannot append to", path, err);
}

void AppendDurably(const std::string& path, std::string_view bytes, std::string_view killPoint) {
    struct stat before {};
    const bool existed = ::stat(path.c_str(), &before) == 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, kNewFileMode);
    if (fd < 0) ThrowSystemError("Cannot open", path, errno);
    struct stat opened {};
    const off_t length = ::fstat(fd, &opened) == 0 ? opened.st_size : before.st_size;
    int err = 0;
    if (!killPoint.empty() && KillPointDue(killPoint)) {
        (void)WriteAll(fd, bytes.substr(0, bytes.size() / 2), err);
        (void)::fdatasync(fd);
        KillNow();
    }
    bool ok = WriteAll(fd, bytes, err);
    if (ok && (err = FlushToDisk(fd, ::fdatasync)) != 0) ok = false;
    if (!ok) {
        // Nothing of a failed record stays: the next append starts on a clean line.
        (void)::ftruncate(fd, length);
        ::close(fd);
        if (!existed) ::unlink(path.c_str()); // nor an empty file it made
        ThrowSystemError("Cannot append to", path, err);
    }
    ::close(fd);
    // A new file's name is in its folder only once the folder is flushed too.
    if (!existed) SyncFolderOf(path);
}

bool EndsWithLineEnd(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    char last = '\n';
    const bool ok = ::fstat(fd, &st) == 0 &&
                    (st.st_size == 0 || ::pread(fd, &last, 1, st.st_size - 1) == 1);
    ::close(fd);
    return ok && last == '\n';
}

bool IsTemporaryName(std::string_view fileName) {
    return fileName.size() > kTemporaryEnding.size() && fileName.ends_with(kTemporaryEnding);
}

std::vector<std::string> RemoveStaleTemporaries(const std::string& folder) {
    std::vector<std::string> removed;
    std::error_code ec;
    const auto options = fs::directory_options::skip_permission_denied;
    for (fs::recursive_directory_iterator it(folder, options, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc) || it->is_symlink(typeEc)) continue;
        if (!IsTemporaryName(it->path().filename().string())) continue;
        std::error_code removeEc;
        if (fs::remove(it->path(), removeEc)) removed.push_back(it->path().string());
    }
    return removed;
}

} // namespace dilato
