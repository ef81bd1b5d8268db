#include "report/AfmMetrics.h"

#include <charconv>
#include <map>
#include <optional>

namespace dilato {

namespace {

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::optional<int> ToInt(std::string_view s) {
    s = Trim(s);
    int value = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || ptr == s.data()) return std::nullopt;
    return value; // "278.5" reads as 278: widths are whole numbers in practice
}

struct CharLine {
    std::optional<int> code;
    std::optional<int> width;
    std::string name;
};

// "C 32 ; WX 278 ; N space ; B 191 0 191 0 ;"
CharLine ParseCharLine(std::string_view line) {
    CharLine c;
    size_t start = 0;
    while (start <= line.size()) {
        size_t end = line.find(';', start);
        if (end == std::string_view::npos) end = line.size();
        const std::string_view field = Trim(line.substr(start, end - start));
        const auto blank = field.find_first_of(" \t");
        const std::string_view key = field.substr(0, blank);
        const std::string_view value =
            blank == std::string_view::npos ? std::string_view() : Trim(field.substr(blank));
        if (key == "C")
            c.code = ToInt(value);
        else if (key == "WX" || key == "W0X")
            c.width = ToInt(value);
        else if (key == "N")
            c.name = std::string(value);
        start = end + 1;
    }
    return c;
}

} // namespace

AfmMetrics AfmMetrics::Parse(std::string_view text) {
    AfmMetrics m;
    std::map<std::string, int, std::less<>> byName;
    std::array<std::optional<int>, 256> byCode{};
    bool inChars = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (!inChars) {
            if (line.starts_with("EncodingScheme"))
                m.symbolic_ = Trim(line.substr(14)) == "FontSpecific";
            else if (line.starts_with("StartCharMetrics"))
                inChars = true;
            continue;
        }
        if (line.starts_with("EndCharMetrics")) break;
        if (!line.starts_with("C ") && !line.starts_with("CH ")) continue;
        const CharLine c = ParseCharLine(line);
        if (!c.width) continue;
        if (!c.name.empty()) byName.emplace(c.name, *c.width);
        // characters outside the font's own encoding carry code -1
        if (c.code && *c.code >= 0 && *c.code < 256) byCode[static_cast<size_t>(*c.code)] = c.width;
    }
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        std::optional<int> w;
        if (!m.symbolic_) {
            const std::string_view name = WinAnsiGlyphName(byte);
            if (!name.empty())
                if (const auto it = byName.find(name); it != byName.end()) w = it->second;
        }
        if (!w) w = byCode[byte];
        m.widths_[byte] = w.value_or(0);
    }
    return m;
}

long AfmMetrics::textWidth(std::string_view winAnsi) const {
    long sum = 0;
    for (const char c : winAnsi)
        sum += widths_[static_cast<unsigned char>(c)];
    return sum;
}

} // namespace dilato
