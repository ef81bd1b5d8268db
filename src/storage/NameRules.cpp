#include "storage/NameRules.h"

#include <filesystem>
#include <string_view>

namespace dilato {

namespace {

void TrimBlanks(std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) {
        s.clear();
        return;
    }
    s = s.substr(first, s.find_last_not_of(' ') - first + 1);
}

bool Rejected(char c, bool pathCharactersAllowed) {
    if (std::string_view(kIllegalNameCharacters).find(c) != std::string_view::npos) return true;
    return !pathCharactersAllowed &&
           std::string_view(kPathCharacters).find(c) != std::string_view::npos;
}

void NamingError(Operator& op, const std::string& text) {
    op.show(Message{text, "Datafile Naming Error", MessageIcon::Exclamation});
}

// Tabs, line ends and other control characters make file names no one can type or list
// cleanly; they are refused, not quietly removed, since the operator did not mean them.
bool RefusedControlCharacters(const std::string& name, Operator& op) {
    std::string shown;
    bool found = false;
    for (const char c : name) {
        const bool control = static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
        found = found || control;
        shown += control ? '?' : c;
    }
    if (found) NamingError(op, "Bad datafile name: " + shown);
    return found;
}

} // namespace

bool CleanName(std::string& name, bool pathCharactersAllowed, Operator& op) {
    for (;;) {
        TrimBlanks(name);
        size_t i = 0;
        while (i < name.size() && !Rejected(name[i], pathCharactersAllowed))
            ++i;
        if (i == name.size()) return true;
        if (name.size() == 1) {
            op.show(Message{"ERROR: File or folder name contains all illegal characters.",
                            "Illegal Name", MessageIcon::Exclamation});
            return false;
        }
        name.erase(i, 1);
    }
}

bool CheckTestName(std::string& dataFileName, Operator& op) {
    // The copy is trimmed before its "." is looked at, so that "  .run" is refused like
    // ".run" instead of being cut down to no name at all.
    std::string name = dataFileName;
    if (RefusedControlCharacters(name, op)) return false;
    TrimBlanks(name);
    if (name.empty()) {
        NamingError(op, "Cannot start test without datafile name.");
        return false;
    }
    if (const auto dot = name.find('.'); dot != std::string::npos) {
        if (dot == 0) {
            NamingError(op, "Bad datafile name: " + name);
            return false;
        }
        name.resize(dot);
    }
    if (!CleanName(name, false, op)) return false;
    dataFileName = name;
    return true;
}

bool CreateDataFolder(std::string& path, const Folders& folders, Operator& op,
                      MainWindowPort& window) {
    // Only the part the operator named is cleaned: the system folder itself may well hold
    // characters such as "." that the name rules refuse.
    const std::string& root = folders.SysFolder;
    const bool below = path.size() > root.size() && path.compare(0, root.size(), root) == 0;
    std::string own = below ? path.substr(root.size()) : path;
    if (RefusedControlCharacters(own, op)) return false;
    const bool ok = CleanName(own, true, op);
    path = below ? root + own : own;
    if (!ok) return false;

    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return true;
    if (path.empty() || !std::filesystem::create_directory(path, ec) || ec) {
        op.show(Message{"Could not create data directory: " + path, "Folder Creation Error",
                        MessageIcon::Exclamation});
        return false;
    }
    window.RefreshDataFolderList();
    return true;
}

} // namespace dilato
