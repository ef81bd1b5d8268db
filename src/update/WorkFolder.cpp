#include "update/WorkFolder.h"

#include "platform/Files.h"
#include "update/HeldFile.h"
#include "update/Signature.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dilato {

namespace {

bool EndsWith(const std::string& name, const std::string& ending) {
    return name.size() >= ending.size() &&
           name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
}

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// Removes the folder's plain files and links (never what a link leads to) whose names end with
// one of `endings`; works on the folder as opened, so a folder swapped meanwhile is not touched.
void RemoveEndings(const std::string& workFolder, const std::vector<std::string>& endings) {
    if (CheckWorkFolder(workFolder) != WorkFolderState::Usable) return;
    const HeldFolder folder(workFolder);
    if (!folder.ok()) return;
    const int listFd = ::dup(folder.fd());
    DIR* dir = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (dir == nullptr) {
        if (listFd >= 0) ::close(listFd);
        return;
    }
    std::vector<std::string> doomed;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat st {};
        if (::fstatat(folder.fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) continue;
        for (const std::string& ending : endings)
            if (EndsWith(name, ending)) doomed.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : doomed) ::unlinkat(folder.fd(), name.c_str(), 0);
}

} // namespace

std::string UpdateWorkFolder(const std::string& sysFolder) {
    return WithTrailingSeparator(sysFolder) + kWorkFolderName + "/";
}

WorkFolderState CheckWorkFolder(const std::string& workFolder) {
    const std::string path = WithoutTrailingSeparator(workFolder);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return WorkFolderState::Missing;
    if (S_ISLNK(st.st_mode)) return WorkFolderState::Link;
    if (!S_ISDIR(st.st_mode)) return WorkFolderState::NotFolder;
    if (st.st_uid != ::geteuid() && st.st_uid != 0) return WorkFolderState::ForeignOwner;
    if (::access(path.c_str(), W_OK | X_OK) != 0) return WorkFolderState::NotWritable;
    return WorkFolderState::Usable;
}

std::string WorkFolderProblem(WorkFolderState state, const std::string& workFolder) {
    switch (state) {
    case WorkFolderState::Usable:
        return {};
    case WorkFolderState::Missing:
        return "The update folder " + workFolder + " is missing.";
    case WorkFolderState::Link:
    case WorkFolderState::NotFolder:
        return "The update folder " + workFolder +
               " is a link or not a folder; Live Update does not use it. Ask the administrator "
               "to remove it.";
    case WorkFolderState::ForeignOwner:
        return "The update folder " + workFolder +
               " belongs to another user; Live Update uses it only when it is yours or the "
               "administrator's. Ask the administrator to remove it.";
    case WorkFolderState::NotWritable:
        return "The update folder " + workFolder +
               " cannot be written by this user, so no update can be downloaded into it. Ask "
               "the administrator to make it writable for the group.";
    }
    return {};
}

const std::vector<std::string>& LeftoverEndings() {
    static const std::vector<std::string> endings{".htm", ".zip", ".exe", ".inf",
                                                  ".sig", ".deb", ".sh"};
    return endings;
}

void CleanUpdateFolder(const std::string& sysFolder) {
    const std::string folder = UpdateWorkFolder(sysFolder);
    if (CheckWorkFolder(folder) == WorkFolderState::Missing) {
        ::mkdir(WithoutTrailingSeparator(folder).c_str(), 0777); // the umask decides
        return;
    }
    RemoveEndings(folder, LeftoverEndings());
}

std::optional<std::string> FindPendingArchive(const std::string& workFolder) {
    if (CheckWorkFolder(workFolder) != WorkFolderState::Usable) return std::nullopt;
    for (const std::string& name : ListFiles(workFolder, ".zip"))
        if (name.rfind("Dilato", 0) == 0) return workFolder + name;
    return std::nullopt;
}

void DiscardDownloads(const std::string& workFolder) {
    RemoveEndings(workFolder, {".htm", ".zip", ".zip.sig", ".htm.sig"});
}

void RemoveArchive(const std::string& archivePath) {
    ::unlink(archivePath.c_str());
    ::unlink(SignatureFileName(archivePath).c_str());
}

} // namespace dilato
