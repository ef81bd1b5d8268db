#include "platform/TextFile.h"

#include "platform/TextCodec.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <unistd.h>

namespace dilato {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void ThrowSystemError(const std::string& what, const std::string& path, int err) {
    throw FileError(what + " " + path + ": " + std::strerror(err));
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

} // namespace

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
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

std::string TemporaryNameFor(const std::string& path) {
    return path + ".new";
}

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
    const std::string temp = TemporaryNameFor(path);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) ThrowSystemError("Cannot write", path, errno);
    int err = 0;
    bool ok = WriteAll(fd, bytes, err);
    if (ok && ::fsync(fd) != 0) {
        err = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        err = errno;
        ok = false;
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        ThrowSystemError("Cannot write", path, err);
    }
}

void WriteTextLinesAtomic(const std::string& path, const std::vector<std::string>& lines) {
    WriteFileAtomic(path, EncodeTextLines(lines));
}

void AppendTextLines(const std::string& path, const std::vector<std::string>& lines) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) ThrowSystemError("Cannot open", path, errno);
    int err = 0;
    const bool ok = WriteAll(fd, EncodeTextLines(lines), err);
    ::close(fd);
    if (!ok) ThrowSystemError("Cannot append to", path, err);
}

} // namespace dilato
