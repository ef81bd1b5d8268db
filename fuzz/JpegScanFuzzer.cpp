// The JPEG marker walk takes logo files from the data and system folders as they come: any
// bytes must give either a frame description or a rejection, never a read past the end.
#include "report/JpegInfo.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const dilato::JpegScan scan = dilato::ScanJpeg(bytes);
    if (const auto* info = std::get_if<dilato::JpegInfo>(&scan)) {
        // an accepted file starts and ends with its markers and has a usable frame
        if (size < 4 || data[0] != 0xFF || data[1] != 0xD8 || data[size - 1] != 0xD9) std::abort();
        if (info->width <= 0 || info->height <= 0 || info->bitsPerComponent <= 0) std::abort();
        if (info->components != 1 && info->components != 3 && info->components != 4) std::abort();
        if (info->dpiX < 0 || info->dpiY < 0) std::abort();
    }
    return 0;
}
