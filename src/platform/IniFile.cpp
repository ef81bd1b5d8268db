#include "platform/IniFile.h"

#include "platform/TextCodec.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace dilato {

namespace {

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

// The section name of a "[name]" line, or nullopt for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    const auto t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    const auto close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

// The key of a "key=value" line, or nullopt.
std::optional<std::string_view> KeyName(std::string_view line) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(0, eq));
}

struct SectionSpan {
    size_t header; // index of the "[section]" line
    size_t end;    // one past its last line
};

std::optional<SectionSpan> FindSection(const std::vector<std::string>& lines,
                                       std::string_view section) {
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i]);
        if (!name || !EqualNoCase(*name, Trim(section))) continue;
        size_t end = i + 1;
        while (end < lines.size() && !SectionName(lines[end]))
            ++end;
        return SectionSpan{i, end};
    }
    return std::nullopt;
}

// A key of "=" signs only (a rule line such as "======" + "=" + "=====") cannot be told
// from its value by the first "="; it is the line of "=" signs longer than the key.
bool IsRuleKey(std::string_view key) {
    return !key.empty() && key.find_first_not_of('=') == std::string_view::npos;
}

std::optional<size_t> FindKey(const std::vector<std::string>& lines, const SectionSpan& span,
                              std::string_view key) {
    const bool rule = IsRuleKey(Trim(key));
    for (size_t i = span.header + 1; i < span.end; ++i) {
        if (rule) {
            if (IsRuleKey(Trim(lines[i])) && Trim(lines[i]).size() > Trim(key).size()) return i;
            continue;
        }
        const auto name = KeyName(lines[i]);
        if (name && EqualNoCase(*name, Trim(key))) return i;
    }
    return std::nullopt;
}

} // namespace

std::string IniLookup(const std::vector<std::string>& lines, const std::string& section,
                      const std::string& key) {
    const auto span = FindSection(lines, section);
    if (!span) return {};
    const auto at = FindKey(lines, *span, key);
    if (!at) return {};
    const std::string& line = lines[*at];
    const size_t valueAt =
        IsRuleKey(Trim(key)) ? line.find('=') + Trim(key).size() + 1 : line.find('=') + 1;
    std::string_view value = Trim(std::string_view(line).substr(std::min(valueAt, line.size())));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

bool IniRemoveSection(std::vector<std::string>& lines, const std::string& section) {
    const auto span = FindSection(lines, section);
    if (!span) return false;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(span->header),
                lines.begin() + static_cast<std::ptrdiff_t>(span->end));
    return true;
}

void IniAssign(std::vector<std::string>& lines, const std::string& section, const std::string& key,
               const std::string& value) {
    // Keys and values are one line each, whatever text they were given.
    const std::string entry = OneLineText(key) + "=" + OneLineText(value);
    const auto span = FindSection(lines, section);
    if (!span) {
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
        return;
    }
    if (const auto at = FindKey(lines, *span, key)) {
        lines[*at] = entry;
        return;
    }
    // After the section's last non-blank line, so that a blank line before the next section
    // stays where it is.
    size_t insertAt = span->end;
    while (insertAt > span->header + 1 && Trim(lines[insertAt - 1]).empty())
        --insertAt;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
}

std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key) {
    const auto lines = ReadTextLines(file);
    return lines ? IniLookup(*lines, section, key) : std::string();
}

void WriteIniValue(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) {
    std::error_code ec;
    auto lines = ReadTextLines(file);
    // A file that is there but cannot be read is never written over as if it were empty:
    // its other keys would be lost.
    if (!lines && std::filesystem::exists(file, ec)) throw FileError("Cannot read " + file);
    if (!lines) lines.emplace();
    IniAssign(*lines, section, key, value);
    WriteTextLinesAtomic(file, *lines);
}

} // namespace dilato
