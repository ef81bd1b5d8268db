#include "PdfStructure.h"

#include <array>
#include <cstdio>
#include <regex>

namespace dilato::test {

const PdfObject* PdfStructure::object(int number) const {
    for (const auto& o : objects)
        if (o.number == number) return &o;
    return nullptr;
}

const PdfObject* PdfStructure::find(const std::string& marker) const {
    for (const auto& o : objects)
        if (o.body.find(marker) != std::string::npos) return &o;
    return nullptr;
}

std::string PdfStructure::streamBytes(int number) const {
    const PdfObject* o = object(number);
    if (!o) return {};
    const auto start = o->body.find("stream\r\n");
    const auto end = o->body.rfind("\r\nendstream");
    if (start == std::string::npos || end == std::string::npos || end < start + 8) return {};
    return o->body.substr(start + 8, end - start - 8);
}

std::vector<std::string> PdfStructure::streamLines(int number) const {
    const std::string s = streamBytes(number);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= s.size()) {
        size_t end = s.find("\r\n", start);
        if (end == std::string::npos) end = s.size();
        lines.push_back(s.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

PdfStructure ParsePdf(const std::string& bytes) {
    PdfStructure pdf;
    pdf.bytes = bytes;
    if (!bytes.starts_with("%PDF-1.3\r\n")) pdf.problems.push_back("no %PDF-1.3 header");

    // objects: "N 0 obj" at the start of a line, up to the next "endobj" line; image streams
    // hold binary bytes, so the end is found through the stream's own /Length when present
    size_t pos = 0;
    while (true) {
        pos = bytes.find(" 0 obj\r\n", pos);
        if (pos == std::string::npos) break;
        size_t lineStart = bytes.rfind("\r\n", pos);
        lineStart = lineStart == std::string::npos ? 0 : lineStart + 2;
        const std::string number = bytes.substr(lineStart, pos - lineStart);
        if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
            pos += 8;
            continue;
        }
        PdfObject o;
        o.number = std::stoi(number);
        o.offset = static_cast<long long>(lineStart);
        size_t bodyStart = pos + 8;
        size_t end;
        const size_t streamAt = bytes.find("stream\r\n", bodyStart);
        const size_t endobjAt = bytes.find("endobj\r\n", bodyStart);
        std::smatch m;
        const std::string dict = bytes.substr(bodyStart, std::min(streamAt, endobjAt) - bodyStart);
        if (streamAt < endobjAt && std::regex_search(dict, m, std::regex(R"(/Length (\d+)\r\n)"))) {
            const size_t length = std::stoul(m[1]);
            end = bytes.find("endobj\r\n", streamAt + 8 + length);
        } else {
            end = endobjAt;
        }
        if (end == std::string::npos) {
            pdf.problems.push_back("object " + number + " has no endobj");
            break;
        }
        o.body = bytes.substr(bodyStart, end - bodyStart);
        pdf.objects.push_back(o);
        pos = end + 8;
    }

    const size_t xref = bytes.rfind("\r\nxref\r\n");
    if (xref == std::string::npos) {
        pdf.problems.push_back("no xref");
        return pdf;
    }
    pdf.xrefOffset = static_cast<long long>(xref + 2);
    std::smatch m;
    const std::string tail = bytes.substr(xref + 2);
    if (!std::regex_search(tail, m, std::regex(R"(^xref\r\n0 (\d+)\r\n0000000000 65535 f\r\n)"))) {
        pdf.problems.push_back("bad xref header");
        return pdf;
    }
    const int count = std::stoi(m[1]);
    size_t at = static_cast<size_t>(m.length(0));
    for (int n = 1; n < count; ++n, at += 20) {
        const std::string entry = tail.substr(at, 20);
        if (!std::regex_match(entry, std::regex(R"(\d{10} 00000 n\r\n)"))) {
            pdf.problems.push_back("bad xref entry for object " + std::to_string(n));
            return pdf;
        }
        pdf.xref[n] = std::stoll(entry.substr(0, 10));
    }
    const std::string trailer = tail.substr(at);
    if (std::regex_search(trailer, m, std::regex(R"(/Size (\d+))"))) pdf.size = std::stoi(m[1]);
    if (std::regex_search(trailer, m, std::regex(R"(startxref\r\n(\d+)\r\n%%EOF\r\n$)")))
        pdf.startxref = std::stoll(m[1]);
    else
        pdf.problems.push_back("no startxref / %%EOF at the end");
    if (pdf.size != count) pdf.problems.push_back("/Size differs from the xref count");
    return pdf;
}

int RunCommand(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    std::array<char, 4096> buf{};
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0)
        output.append(buf.data(), n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace dilato::test
