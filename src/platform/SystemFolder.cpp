#include "platform/SystemFolder.h"

#include "platform/Files.h"

#include <QCoreApplication>

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

namespace dilato {

namespace fs = std::filesystem;

namespace {

bool UsableFolder(const std::string& path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) fs::create_directories(path, ec);
    return fs::is_directory(path, ec) && ::access(path.c_str(), W_OK) == 0;
}

} // namespace

std::string ResolveSystemFolder(const std::optional<std::string>& commandLine) {
    if (commandLine && !commandLine->empty()) return WithTrailingSeparator(*commandLine);
    if (const char* env = std::getenv(kSystemFolderVariable); env && *env)
        return WithTrailingSeparator(env);
    if (UsableFolder(kAllUsersSystemFolder)) return WithTrailingSeparator(kAllUsersSystemFolder);
    std::string home;
    if (const char* h = std::getenv("HOME"); h && *h) home = h;
    return WithTrailingSeparator(home.empty() ? std::string("/tmp/Dilato")
                                              : home + "/.local/share/Dilato");
}

std::string ProgramFolder() {
    if (QCoreApplication::instance())
        return WithTrailingSeparator(QCoreApplication::applicationDirPath().toStdString());
    std::error_code ec;
    const auto exe = fs::read_symlink("/proc/self/exe", ec);
    return WithTrailingSeparator(ec ? fs::current_path().string() : exe.parent_path().string());
}

} // namespace dilato
