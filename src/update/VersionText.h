#pragma once
// Version texts and the version file the update server publishes.
// A version text is three one-digit fields joined by "." ("1.3.7"); its number is
// 100 x field 1 + 10 x field 2 + field 3, and versions compare by that number alone.

#include <string>
#include <string_view>

namespace dilato {

// The version file on the server and in the work folder.
inline constexpr const char* kVersionFileName = "Dilato_Version.htm";
// A real version file is a few lines; anything of this size or more is an error page.
inline constexpr std::size_t kMaxVersionFileBytes = 299;
// The marker in front of the new version text inside the version file.
inline constexpr std::string_view kVersionMarker = "Ver. ";

// 100 x the value of character 1 + 10 x character 3 + character 5; a character that is not a
// digit (or missing) counts 0.
[[nodiscard]] int VersionNumber(std::string_view versionText);
// True for exactly digit "." digit "." digit.
[[nodiscard]] bool IsVersionText(std::string_view text);
// The running program's own version text, major "." minor "." revision.
[[nodiscard]] std::string RunningVersionText();
// "Dilato" + characters 1, 3 and 5 of the version text + ".zip" (1.3.7: "Dilato137.zip").
[[nodiscard]] std::string ArchiveName(std::string_view versionText);

enum class VersionVerdict {
    Invalid,   // too large, or the version after the marker is not three one-digit fields
    NoVersion, // no line holds the marker (or the version reads as 0)
    UpToDate,  // the running version is the same or newer
    Newer,     // the server offers a newer version
};

struct VersionCheck {
    VersionVerdict verdict = VersionVerdict::NoVersion;
    std::string newVersion; // the text after the marker as far as it reads as a version
};

// Judges the bytes of a downloaded version file against the running version text.
[[nodiscard]] VersionCheck CheckVersionFile(std::string_view fileBytes,
                                            std::string_view runningVersion);

} // namespace dilato
