#pragma once
// The output file of a PDF document while it is being built. Bytes go to a temporary file
// beside the target and replace it only when the document is complete, so a failure half-way
// never leaves a truncated report in place of the previous one. It counts every byte, which
// gives each object's offset for the cross-reference table.

#include "platform/TextFile.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace dilato {

class PdfFileSink {
  public:
    // Creates the temporary file; throws FileError with the system's description when the
    // folder is missing or cannot be written.
    explicit PdfFileSink(const std::string& path);

    // Appends bytes as they stand.
    void write(std::string_view bytes);
    // Appends a line and its CR LF.
    void line(std::string_view text);
    // Appends a whole object built in one buffer, noting where it starts.
    void object(int number, std::string_view body);

    [[nodiscard]] long long offset() const { return offset_; }
    // Offset of object `number`; throws std::out_of_range for an object never written.
    [[nodiscard]] long long offsetOf(int number) const { return offsets_.at(number); }

    // Flushes and puts the finished file in place of the target; throws FileError.
    void commit();
    [[nodiscard]] const std::string& path() const { return path_; }

  private:
    std::string path_;
    std::unique_ptr<FileReplacement> file_;
    long long offset_ = 0;
    std::map<int, long long> offsets_;
};

} // namespace dilato
