#include "platform/SystemFolderLock.h"

#include "platform/Files.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dilato {

namespace {

// Who holds the lock, from what the holder wrote into the lock file.
std::string Holder(int fd) {
    char buf[64] = {};
    const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
    std::string_view text(buf, n > 0 ? size_t(n) : 0);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    std::string holder = text.empty() ? "another process" : "process " + std::string(text);
    struct stat st {};
    if (::fstat(fd, &st) == 0)
        if (const passwd* pw = ::getpwuid(st.st_uid)) holder += " of user " + std::string(pw->pw_name);
    return holder;
}

} // namespace

std::unique_ptr<SystemFolderLock> SystemFolderLock::Acquire(const std::string& systemFolder,
                                                            std::string& problem) {
    const std::string path = WithTrailingSeparator(systemFolder) + kLockFileName;
    // Read access is enough to lock: a lock file made by another operator, whose umask left
    // it read-only for the group, still serves.
    bool writable = true;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EACCES || errno == EPERM)) {
        writable = false;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        problem = "Cannot make the lock file " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        problem = err == EWOULDBLOCK
                      ? "The system folder " + WithTrailingSeparator(systemFolder) +
                            " is in use by " + Holder(fd) + "."
                      : "Cannot lock " + path + ": " + std::strerror(err);
        ::close(fd);
        return nullptr;
    }
    if (writable) {
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, pid.data(), pid.size(), 0);
    }
    return std::unique_ptr<SystemFolderLock>(new SystemFolderLock(path, fd));
}

SystemFolderLock::~SystemFolderLock() {
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
}

} // namespace dilato
