#pragma once
// The start-up's questions to the desktop: how the user's locale writes money, whether a
// program is registered for PDF files, and a raised scheduling priority.

#include <QLocale>

#include <string>
#include <vector>

namespace dilato {

// True when `locale` writes amounts of money with "." before the cents.
[[nodiscard]] bool MonetaryDecimalIsPoint(const QLocale& locale);

// True when a desktop program is registered for "application/pdf": a default in a
// mimeapps.list, or an entry of a mimeinfo.cache, in the desktop's configuration and data
// folders (XDG_CONFIG_HOME, XDG_CONFIG_DIRS, XDG_DATA_HOME, XDG_DATA_DIRS and their defaults).
[[nodiscard]] bool PdfViewerRegistered();
// The same check over explicit files (mimeapps.list and mimeinfo.cache files).
[[nodiscard]] bool PdfViewerListed(const std::vector<std::string>& files);

// The same two checks for any file type ("text/plain").
[[nodiscard]] bool ProgramRegistered(const std::string& mimeType);
[[nodiscard]] bool ProgramListed(const std::vector<std::string>& files,
                                 const std::string& mimeType);

// Raises the process's scheduling priority a little where permitted; does nothing otherwise.
void RaisePriority();

} // namespace dilato
