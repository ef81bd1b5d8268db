#include "update/UpdateResult.h"

#include "platform/TextFile.h"
#include "update/HeldFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dilato {

namespace {

constexpr std::int64_t kMaxRecordBytes = 16 * 1024;

bool OwnedAndClosed(const struct stat& st, uid_t owner) {
    return st.st_uid == owner && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Replaces `name` in the open folder: a new file of a name of its own, renamed over the old
// entry. A link in the old entry's place is replaced, never written through.
std::string ReplaceInFolder(int folderFd, const std::string& name, const std::string& bytes) {
    const std::string temporary = name + "." + std::to_string(::getpid()) + ".new";
    ::unlinkat(folderFd, temporary.c_str(), 0);
    const int fd = ::openat(folderFd, temporary.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return temporary + ": " + std::strerror(errno);
    const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                         ::fsync(fd) == 0;
    ::close(fd);
    if (!written || ::renameat(folderFd, temporary.c_str(), folderFd, name.c_str()) != 0) {
        const std::string why = name + ": " + std::strerror(errno);
        ::unlinkat(folderFd, temporary.c_str(), 0);
        return why;
    }
    return {};
}

} // namespace

std::string FormatResultRecord(const UpdateResultRecord& record) {
    return "Id: " + OneLineText(record.id) + "\n" +
           "Installed: " + (record.installed ? "yes" : "no") + "\n" +
           "Version: " + OneLineText(record.version) + "\n" +
           "Message: " + OneLineText(record.message) + "\n";
}

std::optional<UpdateResultRecord> ParseResultRecord(const std::string& bytes) {
    UpdateResultRecord record;
    bool haveId = false, haveInstalled = false, haveMessage = false;
    for (const std::string& line : SplitTextLines(bytes)) {
        const auto colon = line.find(": ");
        if (colon == std::string::npos) continue;
        const std::string key = line.substr(0, colon), value = line.substr(colon + 2);
        if (key == "Id") record.id = value, haveId = !value.empty();
        if (key == "Installed") record.installed = value == "yes", haveInstalled = true;
        if (key == "Version") record.version = value;
        if (key == "Message") record.message = value, haveMessage = true;
    }
    if (!haveId || !haveInstalled || !haveMessage) return std::nullopt;
    return record;
}

std::string WriteResultRecord(const std::string& folder, const UpdateResultRecord& record,
                              uid_t owner) {
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
        return folder + ": " + std::strerror(errno);
    const HeldFolder held(folder);
    struct stat st {};
    if (!held.ok() || ::fstat(held.fd(), &st) != 0 || !OwnedAndClosed(st, owner))
        return folder + " is not a folder that only root can write";
    return ReplaceInFolder(held.fd(), kUpdateResultName, FormatResultRecord(record));
}

std::optional<std::string> TakeUnseenUpdateResult(const std::string& resultFolder,
                                                  const std::string& workFolder, uid_t owner) {
    const HeldFolder held(resultFolder);
    struct stat st {};
    if (!held.ok() || ::fstat(held.fd(), &st) != 0 || !OwnedAndClosed(st, owner)) return std::nullopt;
    const HeldFile file = ReadHeldFileAt(held.fd(), kUpdateResultName, kMaxRecordBytes);
    if (!file.ok) return std::nullopt;
    const auto record = ParseResultRecord(file.bytes);
    if (!record) return std::nullopt;
    const HeldFolder work(workFolder);
    if (work.ok()) {
        const HeldFile seen = ReadHeldFileAt(work.fd(), kUpdateResultSeenName, 256);
        if (seen.ok && seen.bytes == record->id) return std::nullopt;
        // When the mark cannot be written the record shows again next time: better twice
        // than never.
        (void)ReplaceInFolder(work.fd(), kUpdateResultSeenName, record->id);
    }
    return record->message;
}

} // namespace dilato
