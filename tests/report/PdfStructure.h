#pragma once
// Reads back the structure of a PDF the writer produced, straight from its bytes: the
// cross-reference table, the objects in file order and each page's content lines. Kept
// deliberately independent of the writer's code so that it checks the bytes, not itself.

#include <map>
#include <string>
#include <vector>

namespace dilato::test {

struct PdfObject {
    int number = 0;
    long long offset = 0; // where "n 0 obj" starts
    std::string body;     // from after "n 0 obj\r\n" to before "endobj"
};

struct PdfStructure {
    std::string bytes;
    std::vector<PdfObject> objects; // in file order
    std::map<int, long long> xref;  // object number -> offset from the table
    int size = 0;                   // "/Size"
    long long startxref = 0;
    long long xrefOffset = 0;          // where "xref" actually is
    std::vector<std::string> problems; // anything malformed, in words

    [[nodiscard]] const PdfObject* object(int number) const;
    // The object whose body contains `marker`, or nullptr.
    [[nodiscard]] const PdfObject* find(const std::string& marker) const;
    // The decoded lines of the stream of object `number` (split at CR LF).
    [[nodiscard]] std::vector<std::string> streamLines(int number) const;
    [[nodiscard]] std::string streamBytes(int number) const;
};

[[nodiscard]] PdfStructure ParsePdf(const std::string& bytes);

// Runs a command line and returns its exit status, its output in `output`.
int RunCommand(const std::string& command, std::string& output);

} // namespace dilato::test
