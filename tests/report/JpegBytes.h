#pragma once
// Small hand-made JPEG files for the tests: the markers the writer walks, with a token
// scan in between. Only the headers matter; no test decodes the picture.

#include <string>

namespace dilato::test {

struct JpegSpec {
    int width = 40;
    int height = 20;
    int components = 3;
    int bits = 8;
    int frameMarker = 0xC0;
    int densityUnit = 1;
    int density = 96;
    bool withApp0 = true;
    bool withFrame = true;
};

inline std::string Word(int v) {
    return std::string{static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)};
}

inline std::string MakeJpeg(const JpegSpec& s = {}) {
    std::string b = "\xFF\xD8";
    if (s.withApp0) {
        b += "\xFF\xE0" + Word(16) + std::string("JFIF\0", 5) + "\x01\x01";
        b += static_cast<char>(s.densityUnit);
        b += Word(s.density) + Word(s.density) + std::string(2, '\0');
    }
    b += "\xFF\xDB" + Word(4) + std::string("\x00\x01", 2); // a (short) quantisation table
    if (s.withFrame) {
        b += "\xFF";
        b += static_cast<char>(s.frameMarker);
        b += Word(8 + 3 * s.components);
        b += static_cast<char>(s.bits);
        b += Word(s.height) + Word(s.width);
        b += static_cast<char>(s.components);
        for (int c = 0; c < s.components; ++c)
            b += std::string{static_cast<char>(c + 1), 0x11, 0};
    }
    b += "\xFF\xDA" + Word(8) + std::string("\x01\x01\x00\x00\x3F\x00", 6);
    b += std::string("\x12\x34\xFF\x00\x56", 5); // entropy-coded bytes with a stuffed FF
    b += "\xFF\xD9";
    return b;
}

} // namespace dilato::test
