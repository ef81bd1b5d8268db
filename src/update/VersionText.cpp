#include "update/VersionText.h"

#include "platform/TextFile.h"
#include "platform/Version.h"

namespace dilato {

namespace {

int DigitAt(std::string_view text, std::size_t index) {
    if (index >= text.size()) return 0;
    const char c = text[index];
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

int VersionNumber(std::string_view versionText) {
    return 100 * DigitAt(versionText, 0) + 10 * DigitAt(versionText, 2) + DigitAt(versionText, 4);
}

bool IsVersionText(std::string_view text) {
    return text.size() == 5 && IsDigit(text[0]) && text[1] == '.' && IsDigit(text[2]) &&
           text[3] == '.' && IsDigit(text[4]);
}

std::string RunningVersionText() {
    return std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionRevision);
}

std::string ArchiveName(std::string_view versionText) {
    std::string name = "Dilato";
    for (std::size_t i : {0u, 2u, 4u})
        if (i < versionText.size()) name += versionText[i];
    return name + ".zip";
}

VersionCheck CheckVersionFile(std::string_view fileBytes, std::string_view runningVersion) {
    VersionCheck check;
    if (fileBytes.size() > kMaxVersionFileBytes) {
        check.verdict = VersionVerdict::Invalid;
        return check;
    }
    for (const std::string& line : SplitTextLines(fileBytes)) {
        const auto at = line.find(kVersionMarker);
        if (at == std::string::npos) continue;
        // The version is the run of digits and dots after the marker; the rest of the line
        // (markup, a note) is not part of it.
        std::size_t end = at + kVersionMarker.size();
        while (end < line.size() && (IsDigit(line[end]) || line[end] == '.')) ++end;
        check.newVersion = line.substr(at + kVersionMarker.size(), end - at - kVersionMarker.size());
        break;
    }
    if (check.newVersion.empty()) {
        check.verdict = VersionVerdict::NoVersion;
    } else if (!IsVersionText(check.newVersion)) {
        // "1.10.0" would read as 1.1.0: a field of two digits cannot be compared.
        check.verdict = VersionVerdict::Invalid;
    } else if (VersionNumber(check.newVersion) == 0) {
        check.verdict = VersionVerdict::NoVersion;
    } else {
        check.verdict = VersionNumber(runningVersion) >= VersionNumber(check.newVersion)
                            ? VersionVerdict::UpToDate
                            : VersionVerdict::Newer;
    }
    return check;
}

} // namespace dilato
