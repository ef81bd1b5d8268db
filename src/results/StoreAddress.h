#pragma once
// Where the results store is: a SQLite file ("sqlite:PATH", by default "results.sqlite" in the
// system folder) or a lab's PostgreSQL server ("postgresql://user@host:port/db"). A lab
// administrator names the shared server in a root-owned configuration file, or the operator
// gives --results-db; the password never appears in the address or in Dilato.ini: it comes
// from a file only the group can read (passfile=PATH) or the server's own authentication.

#include <optional>
#include <string>

namespace dilato::results {

enum class StoreEngine { Sqlite, Postgres };

struct StoreAddress {
    StoreEngine engine = StoreEngine::Sqlite;
    std::string path; // SQLite: the file
    std::string host = "localhost";
    int port = 5432;
    std::string database, user;
    std::string passwordFile; // empty: the server's own authentication

    // The address as given, without any secret: for messages and the status line.
    [[nodiscard]] std::string text() const;
};

// The store file every system folder has unless told otherwise.
inline constexpr const char* kLocalStoreName = "results.sqlite";
// The lab's configuration (lines "results-db = URI"); used only when root owns it and no one
// else may write it.
inline constexpr const char* kLabConfiguration = "/etc/dilato/results.conf";

// Parses "sqlite:PATH" or "postgresql://user@host:port/db[?passfile=PATH]". On a bad address
// nullopt, with `error` saying why.
[[nodiscard]] std::optional<StoreAddress> ParseStoreAddress(const std::string& uri,
                                                            std::string& error);

// The store of a program: the address given on the command line, else the lab's
// configuration `configFile` (when it can be trusted and names one), else the system folder's
// own SQLite file. nullopt with `error` when the address given is bad.
[[nodiscard]] std::optional<StoreAddress>
ChooseStoreAddress(const std::optional<std::string>& given, const std::string& systemFolder,
                   std::string& error, const std::string& configFile = kLabConfiguration);

// The system folder's own store (every record goes here first).
[[nodiscard]] StoreAddress LocalStoreAddress(const std::string& systemFolder);

// The password in `file` (its first line). Throws std::runtime_error when the file cannot be
// read or others than its owner and group may read it.
[[nodiscard]] std::string ReadPasswordFile(const std::string& file);

} // namespace dilato::results
