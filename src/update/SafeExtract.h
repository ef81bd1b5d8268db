#pragma once
// Extraction of an update archive flat into a folder: every file lands under its base name
// directly in the folder, whatever folders the archive stored. Only plain files are written;
// an archive that names a file outside the folder, holds a link or a device, repeats a name
// or expands beyond the limits is refused as a whole. Nothing of a refused or broken archive
// reaches the folder: the files are unpacked beside it first and moved in only when every
// one of them was read whole and intact.
// The archive is read from bytes in memory: the bytes whose signature or hash was checked are
// the bytes unpacked, whatever happens to the file on the disk meanwhile.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dilato {

struct ExtractLimits {
    std::int64_t maxEntries = 256;
    std::int64_t maxTotalBytes = 1024LL * 1024 * 1024; // sum of the unpacked sizes
    std::int64_t maxArchiveBytes = 1024LL * 1024 * 1024; // the archive file itself
};

struct ExtractResult {
    bool ok = false;
    std::string message;            // why it failed, for the operator
    std::vector<std::string> files; // base names written into the folder
};

// Receives each unpacked file by base name with its content; "" when it took it, otherwise why
// not (the extraction then fails with that reason).
using EntrySink = std::function<std::string(const std::string& base, const std::string& content)>;

// Checks the archive and unpacks every entry in memory; only when all of them are whole and
// intact are they handed to `sink` (none: a check that writes nothing). `archiveName` is the
// archive's own file name, which no entry may take.
[[nodiscard]] ExtractResult UnpackArchive(std::string_view archiveBytes, const std::string& archiveName,
                                          const ExtractLimits& limits, const std::string& required,
                                          const EntrySink& sink);

// Extracts the archive into `folder` (which must exist). Files already in the folder under the
// same names are replaced; every other file of the folder is left alone. A non-empty
// `required` name refuses an archive that holds no file of that name.
[[nodiscard]] ExtractResult ExtractFlat(std::string_view archiveBytes, const std::string& archiveName,
                                        const std::string& folder, const ExtractLimits& limits = {},
                                        const std::string& required = {});
// The same for an archive file, read once (never through a link).
[[nodiscard]] ExtractResult ExtractFlat(const std::string& archive, const std::string& folder,
                                        const ExtractLimits& limits = {},
                                        const std::string& required = {});

// The base name an entry is written under, or "" when the entry name is refused (absolute,
// "..", drive letters, empty). A name ending in "/" is a folder and gives "" too; callers tell
// the two apart with IsFolderEntry.
[[nodiscard]] std::string FlatEntryName(const std::string& entryName);
[[nodiscard]] bool IsFolderEntry(const std::string& entryName);

} // namespace dilato
