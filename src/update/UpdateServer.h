#pragma once
// Where updates come from. The server's address is the setting "UpdateServer" in section
// "General" of the settings file (scheme and host, optionally a port: "https://host:8443");
// without it the maker's server over HTTPS. The paths on the server are fixed.

#include <string>

namespace dilato {

inline constexpr const char* kDefaultUpdateServer = "https://www.norvane.com";
inline constexpr const char* kUpdateServerKey = "UpdateServer";
inline constexpr const char* kVersionPath = "/wp-content/versions/";
inline constexpr const char* kDownloadPath = "/wp-content/downloads/";

// The setting from settingsFile, without a trailing "/"; the default when empty or missing.
[[nodiscard]] std::string UpdateServerAddress(const std::string& settingsFile);

// server + "/wp-content/versions/Dilato_Version.htm"
[[nodiscard]] std::string VersionFileUrl(const std::string& server);
// server + "/wp-content/downloads/" + archive name
[[nodiscard]] std::string ArchiveUrl(const std::string& server, const std::string& archiveName);

} // namespace dilato
