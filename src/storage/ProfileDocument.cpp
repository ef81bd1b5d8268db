#include "storage/ProfileDocument.h"

#include "platform/IniFile.h"
#include "platform/TextFile.h"

#include <filesystem>

namespace dilato {

ProfileDocument ProfileDocument::Load(const std::string& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::is_regular_file(status)) return ProfileDocument(path, {});
    auto lines = ReadTextLines(path);
    if (!lines) throw FileError("Cannot read " + path);
    return ProfileDocument(path, std::move(*lines));
}

std::string ProfileDocument::Read(const std::string& section, const std::string& key) const {
    return IniLookup(lines_, section, key);
}

void ProfileDocument::Write(const std::string& section, const std::string& key,
                            const std::string& value) {
    IniAssign(lines_, section, key, value);
}

void ProfileDocument::RemoveSection(const std::string& section) {
    (void)IniRemoveSection(lines_, section);
}

void ProfileDocument::Save() const {
    WriteTextLinesAtomic(path_, lines_);
}

} // namespace dilato
