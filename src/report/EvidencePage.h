#pragma once
// The report's evidence page: what showed each step at equilibrium, the expanded uncertainty
// of each result with its budget, and the method's limits, after the first page (which stays
// as it is). A long evidence list goes on to a further page.

#include "analysis/ResultEvidence.h"
#include "report/PdfPrinter.h"

namespace dilato {

// Lays out the evidence on new pages of `pdf` (the previous page must have ended).
void LayOutEvidencePages(PDFPrinter& pdf, const TestEvidence& evidence);

// The bottom rule and the page-number footer, then the end of the page: every page of the
// report ends this way.
void EndReportPage(PDFPrinter& pdf);

} // namespace dilato
