#include "storage/Provisioning.h"

#include "platform/TextFile.h"
#include "storage/SystemParameterFile.h"

#include <filesystem>

namespace dilato {

namespace fs = std::filesystem;

namespace {

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

void MakeFolder(const std::string& folder, std::vector<std::string>& created) {
    if (Exists(folder)) return;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw FileError("Cannot create " + folder + ": " + ec.message());
    created.push_back(folder);
}

} // namespace

std::vector<std::string> ProvisionSystemFolder(const Folders& folders, Operator& op) {
    std::vector<std::string> created;
    MakeFolder(folders.SysFolder, created);
    MakeFolder(folders.DataRoot(), created);
    MakeFolder(folders.LogFolder, created);

    SystemParameters factory;
    SystemParameterFile file(factory, folders, op);
    if (!Exists(file.MainFileName())) {
        if (!file.ReadWriteSysFile(SysFileAccess::Save, true, SysFileCopy::Main))
            throw FileError("Cannot write " + file.MainFileName());
        created.push_back(file.MainFileName());
    }

    const fs::path seed = folders.AppFolder + kSeedFolder;
    std::error_code ec;
    if (!fs::is_directory(seed, ec)) return created;
    for (fs::recursive_directory_iterator it(seed, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc)) continue;
        const std::string target =
            folders.SysFolder + fs::relative(it->path(), seed).generic_string();
        if (Exists(target)) continue;
        const auto bytes = ReadFileBytes(it->path().string());
        if (!bytes) throw FileError("Cannot read " + it->path().string());
        MakeFolder(fs::path(target).parent_path().string() + "/", created);
        WriteFileAtomic(target, *bytes); // never a half-copied file that would then be kept
        created.push_back(target);
    }
    if (ec) throw FileError("Cannot list " + seed.string() + ": " + ec.message());
    return created;
}

} // namespace dilato
