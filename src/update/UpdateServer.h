#pragma once
// Where updates come from. The server is the administrator's choice, never an operator's: the
// setting "Server" in section [Update] of /etc/dilato/dilato.conf, a file only root can write
// (the package ships it), an https address with scheme, host and optionally a port
// ("https://updates.example.org:8443"). Without that setting the maker's server over HTTPS.
// The settings file in the shared system folder plays no part. The paths on the server are fixed.

#include <string>
#include <sys/types.h>

namespace dilato {

inline constexpr const char* kDefaultUpdateServer = "https://www.norvane.com";
inline constexpr const char* kAdminConfigFile = "/etc/dilato/dilato.conf";
inline constexpr const char* kVersionPath = "/wp-content/versions/";
inline constexpr const char* kDownloadPath = "/wp-content/downloads/";

struct UpdateServerChoice {
    std::string server;  // without a trailing "/"; empty when `problem` is set
    std::string problem; // why no update can be checked, for the operator
};

// The server from the administrator's file. A missing file or setting gives the default; a
// file that is a link, that someone other than `owner` (root) could change, or that names
// anything but an https address gives a problem instead.
[[nodiscard]] UpdateServerChoice AdminUpdateServer(const std::string& configFile = kAdminConfigFile,
                                                   uid_t owner = 0);

// server + "/wp-content/versions/Dilato_Version.htm"
[[nodiscard]] std::string VersionFileUrl(const std::string& server);
// server + "/wp-content/versions/Dilato_Version.htm.sig"
[[nodiscard]] std::string VersionSignatureUrl(const std::string& server);
// server + "/wp-content/downloads/" + archive name
[[nodiscard]] std::string ArchiveUrl(const std::string& server, const std::string& archiveName);

} // namespace dilato
