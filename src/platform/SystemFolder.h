#pragma once
// Where the instrument's files live (settings, parameters, records, data and logs), and the
// one process that may use them at a time.
// In order of precedence: the --system-folder option, the DILATO_SYSTEM_FOLDER environment
// variable, then
//   - with the real instruments, the machine's folder /var/lib/dilato, shared by every
//     operator of the PC (made at installation: group "dilato", setgid, mode 2775). When it
//     is missing or cannot be written the program stops and says what to do: a calibration
//     and an hour meter of the instrument kept anywhere else would silently split in two;
//   - with simulated instruments, the user's own folder (~/.local/share/Dilato), which keeps
//     simulated tests out of the instrument's records.
// Folder texts always end with a separator.

#include <optional>
#include <string>

namespace dilato {

inline constexpr const char* kSystemFolderVariable = "DILATO_SYSTEM_FOLDER";
inline constexpr const char* kAllUsersSystemFolder = "/var/lib/dilato";
inline constexpr const char* kOperatorGroup = "dilato";

enum class SystemFolderSource { CommandLine, Environment, AllUsers, PerUser };

struct SystemFolderChoice {
    std::string path; // with a trailing separator
    SystemFolderSource source = SystemFolderSource::PerUser;
    // Empty when the folder exists (or was made) and can be written; else the message that
    // stops the program.
    std::string problem;

    [[nodiscard]] bool usable() const { return problem.empty(); }
};

// Chooses the folder and makes sure it can be used. `allUsersFolder` is the machine's
// folder (a parameter for the tests). A folder named on the command line, in the
// environment or per user is created when missing; the machine's folder never is (made by
// root it would shut every operator out).
[[nodiscard]] SystemFolderChoice ChooseSystemFolder(const std::optional<std::string>& commandLine,
                                                    bool simulated,
                                                    const std::string& allUsersFolder =
                                                        kAllUsersSystemFolder);

// The start-up line that says which folder is in use and why
// ("System folder: /var/lib/dilato/ (shared by the operators of this PC)").
[[nodiscard]] std::string DescribeSystemFolder(const SystemFolderChoice& choice);

// A note for the start-up when the folder is shared by a group (setgid) but the process's
// umask keeps the group from changing the files it makes: the next operator could replace
// them but not add to the logs. Empty when nothing is wrong.
[[nodiscard]] std::string SharingNote(const std::string& folder);

// The folder of the running program, with a trailing separator (its resources live there).
[[nodiscard]] std::string ProgramFolder();

} // namespace dilato
