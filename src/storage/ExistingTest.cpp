#include "storage/ExistingTest.h"

#include "platform/Files.h"
#include "storage/TestJournal.h"

#include <filesystem>

#include <climits>
#include <unistd.h>

namespace dilato {

namespace fs = std::filesystem;

namespace {

// What a rewrite adds to a file name for its temporary file (".<pid>-<n>.new").
constexpr size_t kTemporaryNameRoom = 24;
// The longest ending of a test's files ("_CTE.dat", "_CTE.txt", ".pdf"; the -x<n> of an
// incomplete test).
constexpr size_t kLongestEnding = 8 + 6;

std::vector<std::string> TestFileNames(const Folders& folders) {
    const std::string base = folders.DataPath + folders.DataFileName;
    // With the readings kept from an interrupted step and the journal kept for audit.
    return {base + "_CTE.dat", base + "_CTE.txt", base + ".pdf", base + "_Interrupted.txt",
            base + kJournalEnding};
}

} // namespace

std::vector<std::string> ExistingTestFiles(const Folders& folders) {
    std::vector<std::string> found;
    for (const auto& file : TestFileNames(folders))
        if (IsFile(file)) found.push_back(file);
    return found;
}

bool ConfirmTestOverwrite(const Folders& folders, Operator& op) {
    const std::string journal = folders.DataPath + folders.DataFileName + kJournalEnding;
    if (IsFile(journal)) {
        const auto content = ReadJournal(journal);
        if (!content || content->endedHow.empty()) {
            // Its readings are nowhere else yet: it is resumed or closed at the next start.
            op.show(Message{"The test \"" + folders.DataFileName +
                                "\" was interrupted and is neither resumed nor closed yet (" +
                                journal + "). Start Dilato again to resume or close it.",
                            kExistingTestTitle, MessageIcon::Exclamation});
            return false;
        }
    }
    const auto found = ExistingTestFiles(folders);
    if (found.empty()) return true;
    const MessageAnswer answer = op.show(Message{
        "A test named \"" + folders.DataFileName + "\" already has data in " + folders.DataPath +
            ".\nReplace it? Its raw data, summary and report will be deleted.",
        kExistingTestTitle, MessageIcon::Question, MessageButtons::YesNo, 1});
    if (answer != MessageAnswer::Yes) return false;
    std::vector<std::string> remove = found;
    remove.push_back(folders.DataPath + "TempDat.txt");
    for (const auto& file : remove) {
        std::error_code ec;
        fs::remove(file, ec);
        if (ec) {
            op.show(Message{"Cannot delete " + file + ": " + ec.message(), kExistingTestTitle,
                            MessageIcon::Exclamation});
            return false;
        }
    }
    return true;
}

bool CheckTestPathLength(const Folders& folders, Operator& op) {
    // The file system's limits where the data tree lives (255 and 4096 on Linux).
    long nameMax = ::pathconf(folders.SysFolder.c_str(), _PC_NAME_MAX);
    long pathMax = ::pathconf(folders.SysFolder.c_str(), _PC_PATH_MAX);
    if (nameMax <= 0) nameMax = 255;
    if (pathMax <= 0) pathMax = PATH_MAX;
    const std::string longest = folders.DataPath + folders.DataFileName + "-x0000_CTE.dat";
    bool fits = longest.size() + kTemporaryNameRoom < size_t(pathMax) &&
                folders.DataFileName.size() + kLongestEnding + kTemporaryNameRoom <= size_t(nameMax);
    for (const auto& part : fs::path(folders.DataPath))
        fits = fits && part.string().size() <= size_t(nameMax);
    if (fits) return true;
    op.show(Message{"The test name or data folder name is too long: " + longest,
                    "Datafile Naming Error", MessageIcon::Exclamation});
    return false;
}

} // namespace dilato
