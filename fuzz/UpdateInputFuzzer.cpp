// What the update server sends, as arbitrary bytes: the version file is judged without a
// crash and never offers a version it cannot compare; an archive is unpacked or refused,
// and whatever happens nothing lands outside the work folder, nothing but plain files lands
// in it, and a refused archive leaves the folder as it was.

#include "FuzzSupport.h"

#include "update/SafeExtract.h"
#include "update/VersionText.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

void CheckVersionFileRules(const std::string& bytes) {
    using namespace dilato;
    const VersionCheck check = CheckVersionFile(bytes, "1.3.7");
    if (bytes.size() > kMaxVersionFileBytes && check.verdict != VersionVerdict::Invalid) std::abort();
    if (check.verdict == VersionVerdict::Newer &&
        (!IsVersionText(check.newVersion) || VersionNumber(check.newVersion) <= 137))
        std::abort();
}

void CheckArchiveRules(const std::string& bytes) {
    using namespace dilato;
    static fuzz::ScratchFolder scratch;
    const fs::path work = fs::path(scratch.path()) / "work";
    std::error_code ec;
    fs::remove_all(scratch.path(), ec);
    fs::create_directories(work);
    const fs::path archive = work / "Dilato140.zip";
    std::ofstream(archive, std::ios::binary) << bytes;
    std::ofstream(work / "keep.txt") << "keep";

    ExtractLimits limits;
    limits.maxEntries = 32;
    limits.maxTotalBytes = 1 << 20;
    const ExtractResult result = ExtractFlat(archive.string(), work.string() + "/", limits);

    // Nothing beside the work folder.
    for (const auto& entry : fs::directory_iterator(scratch.path()))
        if (entry.path().filename() != "work") std::abort();
    for (const auto& entry : fs::directory_iterator(work)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || entry.is_symlink()) std::abort();
        if (name == "Dilato140.zip") continue;
        if (name == "keep.txt") {
            std::ifstream in(entry.path());
            std::string text;
            in >> text;
            if (text != "keep" && std::find(result.files.begin(), result.files.end(), name) == result.files.end())
                std::abort();
            continue;
        }
        // Anything else was unpacked, and only by an archive that was accepted.
        if (!result.ok || std::find(result.files.begin(), result.files.end(), name) == result.files.end())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1)
        CheckArchiveRules(bytes);
    else
        CheckVersionFileRules(bytes);
    return 0;
}
