#include "platform/Files.h"

#include <algorithm>
#include <filesystem>

namespace dilato {

namespace fs = std::filesystem;

bool IsFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec);
}

namespace {

template <typename Keep>
std::vector<std::string> ListEntries(const std::string& folder, Keep keep) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeEc;
        if (keep(*it, typeEc)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

std::vector<std::string> ListFiles(const std::string& folder, const std::string& ending) {
    return ListEntries(folder, [&](const fs::directory_entry& e, std::error_code& ec) {
        if (!e.is_regular_file(ec)) return false;
        const std::string name = e.path().filename().string();
        return name.size() >= ending.size() &&
               name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
    });
}

std::vector<std::string> ListFolders(const std::string& folder) {
    return ListEntries(folder, [](const fs::directory_entry& e, std::error_code& ec) {
        return e.is_directory(ec);
    });
}

std::string FindFileAnyCase(const std::string& folder, const std::string& name) {
    const std::string dir = WithTrailingSeparator(folder);
    if (IsFile(dir + name)) return dir + name;
    const auto lower = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = char(c + 32);
        return s;
    };
    for (const auto& file : ListFiles(dir))
        if (lower(file) == lower(name)) return dir + file;
    return dir + name;
}

std::string WithTrailingSeparator(std::string folder) {
    while (!folder.empty() && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return folder + "/";
}

} // namespace dilato
