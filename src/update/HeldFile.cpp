#include "update/HeldFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dilato {

namespace {

HeldFile Failed(const std::string& name, const std::string& why, bool missing = false) {
    HeldFile held;
    held.missing = missing;
    held.problem = name + " " + why;
    return held;
}

HeldFile ReadOpened(int fd, const std::string& name, std::int64_t maxBytes) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return Failed(name, std::string("cannot be read: ") + std::strerror(errno) + ".");
    if (!S_ISREG(st.st_mode)) return Failed(name, "is not a plain file.");
    if (st.st_size > maxBytes) return Failed(name, "is larger than " + std::to_string(maxBytes) + " bytes.");
    HeldFile held;
    held.bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Failed(name, std::string("cannot be read: ") + std::strerror(errno) + ".");
        if (n == 0) break;
        // A file that grows while it is read is cut off at the limit, not followed.
        if (static_cast<std::int64_t>(held.bytes.size()) + n > maxBytes)
            return Failed(name, "is larger than " + std::to_string(maxBytes) + " bytes.");
        held.bytes.append(buffer, static_cast<std::size_t>(n));
    }
    held.ok = true;
    return held;
}

HeldFile OpenFailed(const std::string& name) {
    const int error = errno;
    if (error == ENOENT) return Failed(name, "is missing.", true);
    if (error == ELOOP) return Failed(name, "is a link, not a plain file.");
    return Failed(name, std::string("cannot be opened: ") + std::strerror(error) + ".");
}

// O_NONBLOCK: a pipe put in the file's place must not make the reader wait for ever.
constexpr int kReadFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

} // namespace

HeldFile ReadHeldFile(const std::string& path, std::int64_t maxBytes) {
    const int fd = ::open(path.c_str(), kReadFlags);
    if (fd < 0) return OpenFailed(path);
    HeldFile held = ReadOpened(fd, path, maxBytes);
    ::close(fd);
    return held;
}

HeldFile ReadHeldFileAt(int folderFd, const std::string& name, std::int64_t maxBytes) {
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return Failed(name, "is not a file name.");
    const int fd = ::openat(folderFd, name.c_str(), kReadFlags);
    if (fd < 0) return OpenFailed(name);
    HeldFile held = ReadOpened(fd, name, maxBytes);
    ::close(fd);
    return held;
}

HeldFolder::HeldFolder(const std::string& path) {
    // A trailing "/" would make the system follow a link in the folder's place.
    std::string name = path;
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    fd_ = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        problem_ = "The update folder " + path +
                   (error == ELOOP || error == ENOTDIR
                        ? std::string(" is a link or not a folder.")
                        : " cannot be opened: " + std::string(std::strerror(error)) + ".");
    }
}

HeldFolder::~HeldFolder() {
    if (fd_ >= 0) ::close(fd_);
}

} // namespace dilato
