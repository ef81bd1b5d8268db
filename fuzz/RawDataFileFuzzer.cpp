// The raw data file reader on arbitrary bytes: a stored test is either read whole or refused
// with the corrupted-file message, never a crash; what it reads writes back to lines that
// read again to the same readings.

#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "storage/RawDataFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace dilato;
    const std::vector<std::string> lines =
        SplitTextLines(DecodeFileText(std::string(reinterpret_cast<const char*>(data), size)));
    const auto stored = ParseRawData(lines);
    if (!stored) return 0;
    // Written out again (as the program saves a test) and read back, it is still a test.
    const auto again = ParseRawData(RawDataLines(stored->data, stored->data.stepCount(),
                                                 stored->sampleLength, stored->accuracyOption));
    if (!again && stored->data.stepCount() >= 2) {
        // Readings of 0.01 minute or less are not written, so a step can come back empty,
        // but the step headers remain: the file must still read.
        std::abort();
    }
    return 0;
}
