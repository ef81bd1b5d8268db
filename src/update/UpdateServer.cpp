#include "update/UpdateServer.h"

#include "platform/TextFile.h"
#include "update/HeldFile.h"
#include "update/Signature.h"
#include "update/VersionText.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dilato {

namespace {

std::string Trim(std::string text) {
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// "https://" + host [":" port], nothing else (no path, no user, no blanks).
bool IsHttpsServer(const std::string& server) {
    const std::string scheme = "https://";
    if (server.rfind(scheme, 0) != 0 || server.size() == scheme.size()) return false;
    for (std::size_t i = scheme.size(); i < server.size(); ++i) {
        const char c = server[i];
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '.' || c == '-' || c == ':' ||
                             c == '[' || c == ']';
        if (!allowed) return false;
    }
    return true;
}

} // namespace

UpdateServerChoice AdminUpdateServer(const std::string& configFile, uid_t owner) {
    const int fd = ::open(configFile.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return {kDefaultUpdateServer, {}};
    struct stat st {};
    const bool trusted = fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                         st.st_uid == owner && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
    if (fd >= 0) ::close(fd);
    if (!trusted)
        return {{}, "The update settings " + configFile +
                        " are not a plain file that only the administrator can change, so no "
                        "update server is used."};
    const HeldFile held = ReadHeldFile(configFile, 64 * 1024);
    if (!held.ok) return {{}, "The update settings " + held.problem};
    std::string section, server;
    for (const std::string& raw : SplitTextLines(held.bytes)) {
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;
        if (line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const auto equals = line.find('=');
        if (section == "Update" && equals != std::string::npos && Trim(line.substr(0, equals)) == "Server")
            server = Trim(line.substr(equals + 1));
    }
    while (!server.empty() && server.back() == '/') server.pop_back();
    if (server.empty()) return {kDefaultUpdateServer, {}};
    if (!IsHttpsServer(server))
        return {{}, "The update server \"" + server + "\" in " + configFile +
                        " is not an https address, so it is not used."};
    return {server, {}};
}

std::string VersionFileUrl(const std::string& server) {
    return server + kVersionPath + kVersionFileName;
}

std::string VersionSignatureUrl(const std::string& server) {
    return VersionFileUrl(server) + kSignatureEnding;
}

std::string ArchiveUrl(const std::string& server, const std::string& archiveName) {
    return server + kDownloadPath + archiveName;
}

} // namespace dilato
