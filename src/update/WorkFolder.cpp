#include "update/WorkFolder.h"

#include "platform/Files.h"
#include "update/Signature.h"

#include <filesystem>

namespace dilato {

namespace fs = std::filesystem;

namespace {

void RemoveEnding(const std::string& folder, const std::string& ending) {
    std::error_code ec;
    for (const std::string& name : ListFiles(folder, ending)) fs::remove(folder + name, ec);
}

} // namespace

std::string UpdateWorkFolder(const std::string& sysFolder) {
    return WithTrailingSeparator(sysFolder) + kWorkFolderName + "/";
}

const std::vector<std::string>& LeftoverEndings() {
    static const std::vector<std::string> endings{".htm", ".zip", ".exe", ".inf",
                                                  ".sig", ".deb", ".sh"};
    return endings;
}

void CleanUpdateFolder(const std::string& sysFolder) {
    const std::string folder = UpdateWorkFolder(sysFolder);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        fs::create_directories(folder, ec);
        return;
    }
    for (const std::string& ending : LeftoverEndings()) RemoveEnding(folder, ending);
}

std::optional<std::string> FindPendingArchive(const std::string& workFolder) {
    for (const std::string& name : ListFiles(workFolder, ".zip"))
        if (name.rfind("Dilato", 0) == 0) return workFolder + name;
    return std::nullopt;
}

void DiscardDownloads(const std::string& workFolder) {
    for (const char* ending : {".htm", ".zip", ".zip.sig"}) RemoveEnding(workFolder, ending);
}

void RemoveArchive(const std::string& archivePath) {
    std::error_code ec;
    fs::remove(archivePath, ec);
    fs::remove(SignatureFileName(archivePath), ec);
}

} // namespace dilato
