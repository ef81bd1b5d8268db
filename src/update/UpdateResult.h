#pragma once
// What became of the last hand-over, as the administrator's helper leaves it for the next
// start of Dilato: the version installed, or why nothing was and what to do. The record lives
// in a folder only root can write (never the operators' shared folder); the program shows each
// record once and remembers, in its own work folder, which one it showed last.

#include <optional>
#include <string>
#include <sys/types.h>

namespace dilato {

// The helper's folder for the record, and the record's name in it.
inline constexpr const char* kUpdateResultFolder = "/var/lib/dilato-update";
inline constexpr const char* kUpdateResultName = "last-update";
// In the work folder: the id of the record shown last.
inline constexpr const char* kUpdateResultSeenName = "LastUpdate.seen";
inline constexpr const char* kUpdateLog = "/var/log/dilato-update.log";

struct UpdateResultRecord {
    std::string id;      // unique per hand-over
    bool installed = false;
    std::string version; // the version the hand-over was for ("" when it never got that far)
    std::string message; // what the operator reads
};

[[nodiscard]] std::string FormatResultRecord(const UpdateResultRecord& record);
[[nodiscard]] std::optional<UpdateResultRecord> ParseResultRecord(const std::string& bytes);

// Root's side: writes the record into `folder`, making the folder (0755) when missing. The
// folder must be a real folder owned by `owner` (root) that nobody else can write; the record
// replaces the last one atomically.
// "" when written, otherwise why not.
[[nodiscard]] std::string WriteResultRecord(const std::string& folder, const UpdateResultRecord& record,
                                            uid_t owner = 0);

// The program's side at start-up: the record's message when there is a record not shown yet
// (and marks it shown in `workFolder`); nullopt otherwise. A record in a folder that anyone
// but `owner` (root) could write is not believed.
[[nodiscard]] std::optional<std::string> TakeUnseenUpdateResult(const std::string& resultFolder,
                                                                const std::string& workFolder,
                                                                uid_t owner = 0);

} // namespace dilato
