#include "RunFolder.h"

#include "storage/Provisioning.h"

#include <ostream>

namespace dilato::run {

std::optional<RunFolder> OpenRunFolder(const std::optional<std::string>& option, bool simulated,
                                       std::ostream& out) {
    RunFolder folder{ChooseSystemFolder(option, simulated), nullptr};
    if (!folder.choice.usable()) {
        out << folder.choice.problem << std::endl;
        return std::nullopt;
    }
    std::string problem;
    folder.lock = SystemFolderLock::Acquire(folder.choice.path, problem);
    if (!folder.lock) {
        out << "[" << kSingleCopyTitle << "] " << kSingleCopyMessage << " " << problem
            << std::endl;
        return std::nullopt;
    }
    out << DescribeSystemFolder(folder.choice) << std::endl;
    if (const std::string note = SharingNote(folder.choice.path); !note.empty())
        out << note << std::endl;
    return folder;
}

bool PrepareAndLoad(Program& p, Operator& op, std::ostream& out) {
    const SystemFolderPreparation prepared = PrepareSystemFolder(p.folders, op);
    for (const auto& removed : prepared.removedTemporaries)
        out << "removed the temporary file " << removed << " of an interrupted run" << std::endl;
    for (const auto& made : prepared.created)
        out << "provisioned " << made << std::endl;
    if (!prepared.ok) {
        out << "[System Folder Error] The system folder " << p.folders.SysFolder
            << " cannot be prepared (see the message before). Dilato software will now abort!"
            << std::endl;
        return false;
    }
    if (p.LoadFiles()) return true;
    out << "[Invalid System Parameter File] Dilato software will now abort!";
    if (!p.paramFile.BackupSerials().empty())
        out << " (give --use-backup to load the backup of the parameter file)";
    out << std::endl;
    return false;
}

} // namespace dilato::run
