#pragma once
// Where every file of the program lives, found once at start-up, and the name of the test at
// hand. Folder texts always end with "/".
//   AppFolder   the program's folder: help file, font metrics, sounds, seed files
//   SysFolder   the system folder: settings, parameters and backups, records, data and logs
//   DataPath    SysFolder + "Data/" at start-up, then the chosen data folder inside it
//   LogFolder   SysFolder + "LogFiles/"
// Nothing here creates a folder.

#include <array>
#include <string>

namespace dilato {

inline constexpr int kRemoteStores = 4;

struct Folders {
    // Folder set-up from the program folder and the system folder (ChooseSystemFolder).
    Folders(const std::string& programFolder, const std::string& systemFolder);

    std::string AppFolder;
    std::string SysFolder;
    std::string DataPath;
    std::string LogFolder;
    std::string HelpFile; // AppFolder + "Dilato.chm"

    // The test name and its summary file (DataPath + DataFileName + "_CTE.txt").
    std::string DataFileName;
    std::string SummaryFileName;

    // Folders that receive copies of the data files; an empty entry ends the list.
    std::array<std::string, kRemoteStores> RemoteStore;

    // The root of the data tree, SysFolder + "Data/".
    [[nodiscard]] std::string DataRoot() const { return SysFolder + "Data/"; }
};

} // namespace dilato
