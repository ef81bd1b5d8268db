#include "storage/SampleClassMemory.h"

#include "platform/TextFile.h"

#include <cstdlib>
#include <filesystem>
#include <utility>
#include <vector>

namespace dilato {

namespace {

using Entry = std::pair<std::string, MaterialClass>; // sample ID, class

// A sample ID as the file keeps it: one line, no tab (tabs and control characters become
// blanks), without the blanks around it, so that the typed ID and the kept one compare equal.
std::string Key(const std::string& sampleId) {
    std::string id = OneLineText(sampleId);
    const auto first = id.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return id.substr(first, id.find_last_not_of(' ') - first + 1);
}

std::vector<Entry> ReadEntries(const std::string& path) {
    std::vector<Entry> entries;
    const auto bytes = ReadFileBytes(path);
    if (!bytes) return entries;
    for (const std::string& line : SplitTextLines(*bytes)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos) continue;
        const auto kind = ParseMaterialClass(std::string_view(line).substr(0, tab));
        const std::string id = line.substr(tab + 1);
        if (kind && !id.empty()) entries.emplace_back(id, *kind);
    }
    return entries;
}

std::string Absolute(const char* variable) {
    const char* value = std::getenv(variable);
    return value && value[0] == '/' ? std::string(value) : std::string();
}

} // namespace

std::string OperatorSampleClassesPath() {
    std::string folder = Absolute("XDG_CONFIG_HOME");
    if (folder.empty()) {
        const std::string home = Absolute("HOME");
        if (home.empty()) return {};
        folder = home + "/.config";
    }
    return folder + "/dilato/" + kSampleClassesFile;
}

std::optional<MaterialClass> SampleClassMemory::Recall(const std::string& sampleId) const {
    const std::string id = Key(sampleId);
    if (path_.empty() || id.empty()) return std::nullopt;
    std::optional<MaterialClass> found;
    for (const auto& [kept, kind] : ReadEntries(path_))
        if (kept == id) found = kind; // the latest line wins
    return found;
}

void SampleClassMemory::Remember(const std::string& sampleId, MaterialClass kind) const {
    const std::string id = Key(sampleId);
    if (path_.empty() || id.empty()) return;
    std::vector<Entry> entries = ReadEntries(path_);
    std::erase_if(entries, [&](const Entry& e) { return e.first == id; });
    entries.emplace_back(id, kind);
    const size_t drop = entries.size() > kSampleClassesKept ? entries.size() - kSampleClassesKept : 0;
    std::string text;
    for (size_t i = drop; i < entries.size(); ++i)
        text += MaterialClassName(entries[i].second) + "\t" + entries[i].first + "\n";
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path_).parent_path(), ec);
    if (ec) throw FileError("Cannot make the folder of " + path_ + ": " + ec.message());
    WriteFileAtomic(path_, text);
}

} // namespace dilato
