#include "platform/SystemFolder.h"

#include "platform/Files.h"
#include "platform/TextFile.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dilato {

namespace fs = std::filesystem;

namespace {

std::string PerUserFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        return std::string(data) + "/Dilato";
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) + "/.local/share/Dilato" : "/tmp/Dilato";
}

// Why the folder cannot be used, or empty. `create`: make it (and its parents) when missing.
std::string Unusable(const std::string& folder, bool create) {
    std::error_code ec;
    if (!fs::exists(folder, ec)) {
        if (!create) return "it does not exist";
        fs::create_directories(folder, ec);
        if (ec) return "it cannot be created (" + ec.message() + ")";
    }
    if (!fs::is_directory(folder, ec)) return "it is not a folder";
    if (::access(folder.c_str(), R_OK | W_OK | X_OK) != 0)
        return std::string("it cannot be written (") + std::strerror(errno) + ")";
    return {};
}

std::string UserName() {
    if (const passwd* pw = ::getpwuid(::geteuid())) return pw->pw_name;
    if (const char* user = std::getenv("USER"); user && *user) return user;
    return "USER";
}

} // namespace

SystemFolderChoice ChooseSystemFolder(const std::optional<std::string>& commandLine,
                                      bool simulated, const std::string& allUsersFolder) {
    SystemFolderChoice choice;
    bool create = true;
    if (commandLine && !commandLine->empty()) {
        choice.path = *commandLine;
        choice.source = SystemFolderSource::CommandLine;
    } else if (const char* env = std::getenv(kSystemFolderVariable); env && *env) {
        choice.path = env;
        choice.source = SystemFolderSource::Environment;
    } else if (!simulated) {
        choice.path = allUsersFolder;
        choice.source = SystemFolderSource::AllUsers;
        create = false;
    } else {
        choice.path = PerUserFolder();
        choice.source = SystemFolderSource::PerUser;
    }
    choice.path = WithTrailingSeparator(choice.path);

    const std::string why = Unusable(choice.path, create);
    if (why.empty()) return choice;
    choice.problem = "Dilato cannot use the system folder " + choice.path + ": " + why + ".";
    if (choice.source == SystemFolderSource::AllUsers) {
        const std::string group = kOperatorGroup;
        choice.problem +=
            "\nThe instrument's calibration, settings, data and logs are kept there for every "
            "operator of this PC. " +
            (why == "it does not exist"
                 ? "The installation makes it: install Dilato again (or, as root: install -d "
                   "-m 2775 -g " + group + " " + allUsersFolder + ")."
                 : "Ask the administrator to add you to the group \"" + group +
                       "\" (sudo adduser " + UserName() + " " + group +
                       "), then log out and in again.") +
            "\nTo work in another folder instead, start Dilato with --system-folder DIR or set " +
            kSystemFolderVariable + ".";
    } else {
        choice.problem += "\nName a folder you can write with --system-folder DIR or " +
                          std::string(kSystemFolderVariable) + ".";
    }
    return choice;
}

std::string DescribeSystemFolder(const SystemFolderChoice& choice) {
    const char* why = "";
    switch (choice.source) {
    case SystemFolderSource::CommandLine:
        why = "given by --system-folder";
        break;
    case SystemFolderSource::Environment:
        why = "given by DILATO_SYSTEM_FOLDER";
        break;
    case SystemFolderSource::AllUsers:
        why = "shared by the operators of this PC";
        break;
    case SystemFolderSource::PerUser:
        why = "this user's own, for simulated instruments";
        break;
    }
    return "System folder: " + choice.path + " (" + why + ")";
}

std::string SharingNote(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !(st.st_mode & S_ISGID)) return {};
    // Read where the kernel shows it: setting the umask to read it would race with other
    // threads making files.
    unsigned mask = 0;
    bool known = false;
    for (const auto& line : ReadTextLines("/proc/self/status").value_or(std::vector<std::string>{}))
        if (line.rfind("Umask:", 0) == 0) known = std::sscanf(line.c_str() + 6, "%o", &mask) == 1;
    if (!known || !(mask & S_IWGRP)) return {};
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", mask);
    return std::string("Note: the umask ") + octal + " keeps the other operators of the group "
           "from changing the files of this run; operators who share the folder use umask 002.";
}

std::string ProgramFolder() {
    if (QCoreApplication::instance())
        return WithTrailingSeparator(QCoreApplication::applicationDirPath().toStdString());
    std::error_code ec;
    const auto exe = fs::read_symlink("/proc/self/exe", ec);
    return WithTrailingSeparator(ec ? fs::current_path().string() : exe.parent_path().string());
}

} // namespace dilato
