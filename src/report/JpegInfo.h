#pragma once
// What the PDF writer needs to know about a JPEG file before it embeds the bytes unchanged:
// the frame size, the colour space and the resolution. Found by walking the file's markers
// from the start of image to the first frame header; the bytes come from outside the program,
// so every length is checked against the end of the data.

#include <string>
#include <string_view>
#include <variant>

namespace dilato {

enum class JpegColourSpace { DeviceGray, DeviceRGB, DeviceCMYK };

struct JpegInfo {
    int width = 0;
    int height = 0;
    int components = 0;
    int bitsPerComponent = 0;
    JpegColourSpace colourSpace = JpegColourSpace::DeviceRGB;
    // Dots per inch from the application header; 0 when the file gives none.
    double dpiX = 0.0;
    double dpiY = 0.0;
};

// Why a JPEG cannot be embedded.
enum class JpegFault {
    BadStartOrEnd,  // no FF D8 at the start or no FF D9 at the end
    BadDensityUnit, // the application header's density unit is not 0, 1 or 2
    NoFrameHeader,  // the markers end (or break off) before a usable frame header
};

struct JpegRejection {
    JpegFault fault;
    int densityUnit = 0; // the unit found, for BadDensityUnit
};

using JpegScan = std::variant<JpegInfo, JpegRejection>;

[[nodiscard]] JpegScan ScanJpeg(std::string_view bytes);

[[nodiscard]] std::string ColourSpaceName(JpegColourSpace space);

} // namespace dilato
