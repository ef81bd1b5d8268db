#include "core/FileSinks.h"

#include "platform/Desktop.h"

namespace dilato {

void RemoteCopySink::StepSaved(const StepSaving& step) {
    if (!step.report) return; // no summary was written
    try {
        files_.WriteRemoteDataFile(folders_.SummaryFileName);
    } catch (const std::exception& e) {
        ReportError(op_, 0, "WriteDataToFile", e.what());
    }
}

void ReportSink::StepSaved(const StepSaving& step) {
    if (!step.report) return;
    try {
        if (params_.SysParam(slot::PdfDataWrite).number() == 1)
            report_.WritePDF(ReportLineList{*step.report, files_.lastEvidence()},
                             folders_.DataPath);
    } catch (const std::exception& e) {
        ReportError(op_, 0, "WriteDataToFile", e.what());
    }
}

} // namespace dilato
