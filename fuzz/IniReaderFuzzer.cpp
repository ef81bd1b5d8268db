// The profile-file reader on arbitrary bytes: decoding, line splitting, section and key
// lookup, and the in-place assignment. Checks that a value just assigned reads back.

#include "FuzzSupport.h"

#include "platform/IniFile.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// A section and a key name taken from the input itself, so that lookups also hit.
void NamesFromInput(const std::vector<std::string>& lines, std::string& section, std::string& key) {
    for (const auto& line : lines) {
        if (section.empty() && !line.empty() && line.front() == '[') {
            const auto close = line.find(']');
            section = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        } else if (key.empty()) {
            const auto eq = line.find('=');
            if (eq != std::string::npos) key = line.substr(0, eq);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace dilato;
    static fuzz::ScratchFolder scratch;
    const std::string file = scratch.path() + "input.ini";
    WriteFileAtomic(file, std::string_view(reinterpret_cast<const char*>(data), size));

    // the file path, as the settings and parameter files are read
    (void)ReadIniValue(file, "General", "Keyence_Comport");
    auto lines = ReadTextLines(file).value_or(std::vector<std::string>{});

    std::string section, key;
    NamesFromInput(lines, section, key);
    const std::string found = IniLookup(lines, section, key);
    // A value found is read whole from one of the lines: nothing added, nothing cut.
    if (!found.empty() && std::none_of(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.find(found) != std::string::npos;
        }))
        __builtin_trap();
    (void)IniLookup(lines, "SysParams", "Batch");

    IniAssign(lines, "General", "Probe", "value 1");
    if (IniLookup(lines, "general", "PROBE") != "value 1") __builtin_trap();
    IniAssign(lines, "Fresh Section", "k", "");
    if (!IniLookup(lines, "Fresh Section", "k").empty()) __builtin_trap();
    (void)EncodeTextLines(lines);
    return 0;
}
