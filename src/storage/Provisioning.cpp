#include "storage/Provisioning.h"

#include "platform/Desktop.h"
#include "platform/Files.h"
#include "platform/SystemFolderLock.h"
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
    if (ec) throw FileError("Cannot create " + folder + ": " + ec.message(), ec.value());
    created.push_back(folder);
}

// The seed files: path below the seed folder -> full path of the seed.
template <typename Each> void ForEachSeed(const Folders& folders, Each each) {
    const fs::path seed = folders.AppFolder + kSeedFolder;
    std::error_code ec;
    if (!fs::is_directory(seed, ec)) return;
    for (fs::recursive_directory_iterator it(seed, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_regular_file(typeEc))
            each(fs::relative(it->path(), seed).generic_string(), it->path().string());
    }
    if (ec) throw FileError("Cannot list " + seed.string() + ": " + ec.message(), ec.value());
}

} // namespace

std::vector<std::string> RestoreSeedFiles(const Folders& folders) {
    std::vector<std::string> created;
    ForEachSeed(folders, [&](const std::string& relative, const std::string& source) {
        const std::string target = folders.SysFolder + relative;
        if (Exists(target)) return;
        const auto bytes = ReadFileBytes(source);
        if (!bytes) throw FileError("Cannot read " + source);
        MakeFolder(fs::path(target).parent_path().string() + "/", created);
        WriteFileAtomic(target, *bytes); // never a half-copied file that would then be kept
        created.push_back(target);
    });
    return created;
}

std::vector<std::string> ProvisionSystemFolder(const Folders& folders, Operator& op) {
    std::vector<std::string> created;
    MakeFolder(folders.SysFolder, created);
    MakeFolder(folders.DataRoot(), created);
    MakeFolder(folders.LogFolder, created);
    for (auto& made : RestoreSeedFiles(folders))
        created.push_back(std::move(made));

    SystemParameters factory;
    SystemParameterFile file(factory, folders, op);
    if (!Exists(file.MainFileName())) {
        if (!file.ReadWriteSysFile(SysFileAccess::Save, true, SysFileCopy::Main))
            throw FileError("Cannot write " + file.MainFileName());
        created.push_back(file.MainFileName());
    }
    return created;
}

bool IsNewSystemFolder(const Folders& folders) {
    std::vector<std::string> allowed{kLockFileName, "Dilato.ini"};
    ForEachSeed(folders, [&](const std::string& relative, const std::string&) {
        allowed.push_back(relative);
    });
    const fs::path root = folders.SysFolder;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (it->is_directory(typeEc)) continue;
        if (IsTemporaryName(it->path().filename().string())) continue;
        const std::string relative = fs::relative(it->path(), root).generic_string();
        if (std::find(allowed.begin(), allowed.end(), relative) == allowed.end()) return false;
    }
    return true;
}

SystemFolderPreparation PrepareSystemFolder(const Folders& folders, Operator& op) {
    SystemFolderPreparation result;
    try {
        result.removedTemporaries = RemoveStaleTemporaries(folders.SysFolder);
        SystemParameters params;
        const SystemParameterFile file(params, folders, op);
        if (IsFile(file.MainFileName())) {
            result.created = RestoreSeedFiles(folders);
        } else if (IsNewSystemFolder(folders)) {
            result.created = ProvisionSystemFolder(folders, op);
        } else {
            ShowMessage(op, "Missing Application File:  " + file.MainFileName());
            return result;
        }
        result.ok = true;
    } catch (const std::exception& e) {
        ReportError(op, 0, "PrepareSystemFolder", e.what());
    }
    return result;
}

} // namespace dilato
