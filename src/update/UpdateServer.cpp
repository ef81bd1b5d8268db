#include "update/UpdateServer.h"

#include "platform/IniFile.h"
#include "update/VersionText.h"

namespace dilato {

std::string UpdateServerAddress(const std::string& settingsFile) {
    std::string server = ReadIniValue(settingsFile, "General", kUpdateServerKey);
    while (!server.empty() && server.back() == '/') server.pop_back();
    return server.empty() ? kDefaultUpdateServer : server;
}

std::string VersionFileUrl(const std::string& server) {
    return server + kVersionPath + kVersionFileName;
}

std::string ArchiveUrl(const std::string& server, const std::string& archiveName) {
    return server + kDownloadPath + archiveName;
}

} // namespace dilato
