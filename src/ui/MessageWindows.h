#pragma once
// The small message windows: the timed message that closes itself, the general message with
// its Continue button, the regional-settings and video-mode warnings and the PDF viewer
// prompt. Each is modal; the ones whose close decides something say how they were closed.

#include "core/StartUp.h"

#include <QDialog>

#include <string>

class QLabel;

namespace dilato::ui {

class HelpViewer;

// `frmSystemMessage`: a caption and a message, gone after `ms` milliseconds.
void ShowTimedMessage(const std::string& caption, const std::string& text, int ms,
                      QWidget* parent = nullptr);

// `frmGeneralMessage`: a titled message with a Continue button.
void ShowGeneralMessage(const std::string& title, const std::string& text,
                        QWidget* parent = nullptr);

enum class EnvironmentWarning { RegionalSettings, VideoMode };
// `frmSystemRegionalSettingsWarning` and `frmSystemVideoModeWarning`.
DialogClose ShowEnvironmentWarning(EnvironmentWarning which, HelpViewer& help,
                                   QWidget* parent = nullptr);

// The prompt shown when no PDF viewer is registered for PDF files.
DialogClose ShowPdfViewerPrompt(HelpViewer& help, QWidget* parent = nullptr);

// The texts of the windows above, for the tests and the manual.
struct EnvironmentTexts {
    const char* caption;
    const char* heading;
    const char* text;
};
[[nodiscard]] EnvironmentTexts EnvironmentWarningTexts(EnvironmentWarning which);
inline constexpr const char* kPdfPromptCaption = "PDF Viewer Install Prompt";
inline constexpr const char* kPdfPromptHeading = "PDF Viewer Not Found";
inline constexpr const char* kPdfPromptText =
    "Dilato software requires a PDF viewer for full functionality. No program for opening PDF "
    "files was found on this computer. Please install a PDF viewer (for example Evince or "
    "Okular) from your distribution's software manager, or with \"sudo apt install evince\", "
    "and make it the default program for PDF files.";

} // namespace dilato::ui
