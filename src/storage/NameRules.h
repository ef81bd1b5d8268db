#pragma once
// The rules a test name and a data folder name must pass, and the making of a data folder.
// Illegal everywhere: ! @ # $ % ^ & * ( ) + | ~ ; < > , . " { } [ ] ? = '
// Path characters (/ : \) are allowed only in folder paths; the blank is always allowed.
// A name with a control character (tab, CR, LF, ...) is refused: "Bad datafile name: " + the
// name with each such character shown as "?".

#include "platform/Operator.h"
#include "storage/Folders.h"
#include "storage/MainWindowPort.h"

#include <string>

namespace dilato {

inline constexpr const char* kIllegalNameCharacters = "!@#$%^&*()+|~;<>,.\"{}[]?='";
inline constexpr const char* kPathCharacters = "/:\\";

// Trims the blanks at both ends and removes the illegal characters one by one. Refuses a name
// whose last character would have to go ("ERROR: File or folder name contains all illegal
// characters."). The removals stay applied to `name` either way; an empty name passes.
[[nodiscard]] bool CleanName(std::string& name, bool pathCharactersAllowed, Operator& op);

// The test name check: refuses an empty name and one that starts with "."; cuts the name at
// its first "." (run.2 -> run) and cleans it. On success `dataFileName` is the cleaned name.
[[nodiscard]] bool CheckTestName(std::string& dataFileName, Operator& op);

// Makes sure the data folder `path` exists, creating its last level when missing; the
// operator's part of the path (below the system folder) is cleaned first, in place. A new
// folder makes the main window refresh its data folder list.
[[nodiscard]] bool CreateDataFolder(std::string& path, const Folders& folders, Operator& op,
                                    MainWindowPort& window);

} // namespace dilato
