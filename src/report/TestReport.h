#pragma once
// The one-page test report: the letterhead page with the title box, the date and time, the
// body lines of the report line list and the page footer, written with PDFPrinter into the
// test's data folder and mirrored to the remote store folders. A failure is shown to the
// operator and written to the error log; the test's other files are never touched.

#include "platform/Clock.h"
#include "platform/Operator.h"
#include "report/ReportLineList.h"
#include "storage/LogSink.h"
#include "storage/SystemParameters.h"

#include <string>

namespace dilato {

// Copies a finished file of the data folder tree to the remote store folders. Implemented by
// the data files; the copy never fails the report (its own errors go to the error log).
class RemoteFileCopier {
  public:
    virtual ~RemoteFileCopier() = default;
    virtual void WriteRemoteDataFile(const std::string& path) = 0;
};

// Where the report finds its resources; every folder ends with a separator.
struct ReportFolders {
    std::string appFolder; // program folder: "Fonts" with the .afm files
    std::string sysFolder; // system folder: the default logo "Logosml.jpg"
};

// The maker's web address under the report's title.
inline constexpr const char* kMakerWebAddress = "www.norvane.example";

class TestReport {
  public:
    TestReport(Operator& op, const Clock& clock, LogSink& log, RemoteFileCopier& remote,
               const SystemParameters& params, ReportFolders folders);

    // Writes the report of `list` (entry 0 the PDF path). `dataPath` is the current data
    // folder, where a "PDFlogo.jpg" replaces the default logo. Returns nothing: failures are
    // reported here.
    void WritePDF(const ReportLineList& list, const std::string& dataPath);

    // The logo the report uses for that data folder: its "PDFlogo.jpg" when present, else the
    // system folder's "Logosml.jpg".
    [[nodiscard]] std::string LogoFile(const std::string& dataPath) const;

  private:
    void layOut(const ReportLineList& list, const std::string& dataPath);

    Operator& op_;
    const Clock& clock_;
    LogSink& log_;
    RemoteFileCopier& remote_;
    const SystemParameters& params_;
    ReportFolders folders_;
};

} // namespace dilato
