#include "results/StoreAddress.h"

#include "platform/TextFile.h"

#include <QUrl>
#include <QUrlQuery>

#include <stdexcept>
#include <sys/stat.h>

namespace dilato::results {

std::string StoreAddress::text() const {
    if (engine == StoreEngine::Sqlite) return "sqlite:" + path;
    return "postgresql://" + (user.empty() ? "" : user + "@") + host + ":" +
           std::to_string(port) + "/" + database;
}

std::optional<StoreAddress> ParseStoreAddress(const std::string& uri, std::string& error) {
    StoreAddress a;
    if (uri.rfind("sqlite:", 0) == 0) {
        a.path = uri.substr(7);
        if (a.path.empty()) {
            error = "the results store address \"sqlite:\" names no file";
            return std::nullopt;
        }
        return a;
    }
    const QUrl url(QString::fromStdString(uri), QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != "postgresql" && url.scheme() != "postgres")) {
        error = "the results store address \"" + uri +
                "\" is neither sqlite:PATH nor postgresql://user@host:port/database";
        return std::nullopt;
    }
    if (!url.password().isEmpty()) {
        error = "the results store address must not hold a password: give passfile=PATH (a "
                "file only the group can read) or use the server's own authentication";
        return std::nullopt;
    }
    a.engine = StoreEngine::Postgres;
    a.user = url.userName().toStdString();
    if (!url.host().isEmpty()) a.host = url.host().toStdString();
    a.port = url.port(5432);
    a.database = url.path().mid(1).toStdString();
    if (a.database.empty()) {
        error = "the results store address \"" + uri + "\" names no database";
        return std::nullopt;
    }
    const QUrlQuery query(url);
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == "passfile") {
            a.passwordFile = value.toStdString();
        } else {
            error = "the results store address has an unknown setting \"" + key.toStdString() +
                    "\" (only passfile=PATH)";
            return std::nullopt;
        }
    }
    return a;
}

StoreAddress LocalStoreAddress(const std::string& systemFolder) {
    StoreAddress a;
    a.path = systemFolder + (systemFolder.empty() || systemFolder.back() == '/' ? "" : "/") +
             kLocalStoreName;
    return a;
}

namespace {

// The lab's address in `file`, when root owns it and only root may change it.
std::optional<std::string> TrustedConfiguration(const std::string& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return std::nullopt;
    if (st.st_uid != 0 || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) return std::nullopt;
    const auto lines = ReadTextLines(file);
    if (!lines) return std::nullopt;
    for (const std::string& line : *lines) {
        const auto eq = line.find('=');
        if (eq == std::string::npos || line.rfind('#', 0) == 0) continue;
        auto trim = [](std::string s) {
            const auto first = s.find_first_not_of(" \t");
            const auto last = s.find_last_not_of(" \t");
            return first == std::string::npos ? std::string() : s.substr(first, last - first + 1);
        };
        if (trim(line.substr(0, eq)) == "results-db") return trim(line.substr(eq + 1));
    }
    return std::nullopt;
}

} // namespace

std::optional<StoreAddress> ChooseStoreAddress(const std::optional<std::string>& given,
                                               const std::string& systemFolder,
                                               std::string& error,
                                               const std::string& configFile) {
    if (given) return ParseStoreAddress(*given, error);
    if (const auto lab = TrustedConfiguration(configFile)) {
        auto address = ParseStoreAddress(*lab, error);
        if (!address) error = configFile + ": " + error;
        return address;
    }
    return LocalStoreAddress(systemFolder);
}

std::string ReadPasswordFile(const std::string& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        throw std::runtime_error("the password file " + file + " cannot be read");
    if ((st.st_mode & S_IRWXO) != 0)
        throw std::runtime_error("the password file " + file +
                                 " may be read by anyone: allow only its owner and group");
    const auto bytes = ReadFileBytes(file);
    if (!bytes) throw std::runtime_error("the password file " + file + " cannot be read");
    return bytes->substr(0, bytes->find_first_of("\r\n"));
}

} // namespace dilato::results
