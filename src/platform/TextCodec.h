#pragma once
// Text files keep the instrument's single-byte Windows-1252 encoding ("°" is B0, "µ" is B5);
// in memory every text is UTF-8.

#include <string>
#include <string_view>

namespace dilato {

// Windows-1252 bytes to UTF-8. The five unassigned bytes map to the control points of the
// same number, as Windows does.
[[nodiscard]] std::string Cp1252ToUtf8(std::string_view bytes);
// UTF-8 to Windows-1252; a character the code page cannot hold becomes "?". Malformed UTF-8
// bytes are taken as Windows-1252 already.
[[nodiscard]] std::string Utf8ToCp1252(std::string_view text);
// A file's bytes as UTF-8: taken as UTF-8 when they are valid UTF-8, else as Windows-1252.
// A UTF-8 byte-order mark at the start is dropped.
[[nodiscard]] std::string DecodeFileText(std::string_view bytes);
// Number of characters (code points) of a UTF-8 text; the first `count` characters of it.
[[nodiscard]] size_t Utf8Length(std::string_view text);
[[nodiscard]] std::string Utf8Left(std::string_view text, size_t count);

} // namespace dilato
