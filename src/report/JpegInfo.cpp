#include "report/JpegInfo.h"

#include <cstdint>

namespace dilato {

namespace {

int Byte(std::string_view b, size_t i) {
    return static_cast<uint8_t>(b[i]);
}
int Word(std::string_view b, size_t i) {
    return (Byte(b, i) << 8) | Byte(b, i + 1);
}

bool IsFrameHeader(int marker) {
    // baseline, extended, progressive, lossless and the differential Huffman frames
    return marker == 0xC0 || marker == 0xC1 || marker == 0xC2 || marker == 0xC3 || marker == 0xC5 ||
           marker == 0xC6 || marker == 0xC7;
}

// Markers that stand alone, without a length field.
bool IsStandalone(int marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8);
}

} // namespace

JpegScan ScanJpeg(std::string_view b) {
    const size_t n = b.size();
    if (n < 4 || Byte(b, 0) != 0xFF || Byte(b, 1) != 0xD8 || Byte(b, n - 2) != 0xFF ||
        Byte(b, n - 1) != 0xD9)
        return JpegRejection{JpegFault::BadStartOrEnd};

    JpegInfo info;
    size_t pos = 2;
    while (pos + 1 < n) {
        if (Byte(b, pos) != 0xFF) return JpegRejection{JpegFault::NoFrameHeader};
        const int marker = Byte(b, pos + 1);
        if (marker == 0xFF) { // fill byte before a marker
            ++pos;
            continue;
        }
        if (IsStandalone(marker)) {
            pos += 2;
            continue;
        }
        // the image data begins or the image ends before any frame header
        if (marker == 0xDA || marker == 0xD9) break;
        if (pos + 4 > n) break;
        const size_t length = static_cast<size_t>(Word(b, pos + 2));
        if (length < 2 || pos + 2 + length > n) break;
        const size_t seg = pos + 4; // first byte after the length field
        const size_t segEnd = pos + 2 + length;

        if (marker == 0xE0 && segEnd - seg >= 12 &&
            b.substr(seg, 5) == std::string_view("JFIF\0", 5)) {
            const int unit = Byte(b, seg + 7);
            const double x = Word(b, seg + 8);
            const double y = Word(b, seg + 10);
            if (unit == 1) {
                info.dpiX = x;
                info.dpiY = y;
            } else if (unit == 2) {
                info.dpiX = x * 2.54;
                info.dpiY = y * 2.54;
            } else if (unit != 0) {
                return JpegRejection{JpegFault::BadDensityUnit, unit};
            }
        } else if (IsFrameHeader(marker)) {
            if (segEnd - seg < 6) break;
            info.bitsPerComponent = Byte(b, seg);
            info.height = Word(b, seg + 1);
            info.width = Word(b, seg + 3);
            info.components = Byte(b, seg + 5);
            switch (info.components) {
            case 1:
                info.colourSpace = JpegColourSpace::DeviceGray;
                break;
            case 3:
                info.colourSpace = JpegColourSpace::DeviceRGB;
                break;
            case 4:
                info.colourSpace = JpegColourSpace::DeviceCMYK;
                break;
            default:
                return JpegRejection{JpegFault::NoFrameHeader};
            }
            if (info.width == 0 || info.height == 0 || info.bitsPerComponent == 0)
                return JpegRejection{JpegFault::NoFrameHeader};
            return info;
        }
        pos = segEnd;
    }
    return JpegRejection{JpegFault::NoFrameHeader};
}

std::string ColourSpaceName(JpegColourSpace space) {
    switch (space) {
    case JpegColourSpace::DeviceGray:
        return "DeviceGray";
    case JpegColourSpace::DeviceCMYK:
        return "DeviceCMYK";
    case JpegColourSpace::DeviceRGB:
        break;
    }
    return "DeviceRGB";
}

} // namespace dilato
