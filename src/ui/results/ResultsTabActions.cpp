#include "ui/results/ResultsTabModel.h"

#include "platform/Files.h"
#include "platform/TextFile.h"

#include <filesystem>

// The Results tab's actions: opening the selected test's files, and the exports.

namespace dilato {

namespace {

constexpr const char* kTitle = "Results";

// The folder a file lies in (with its "/").
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Makes the folder and those above it; false when it cannot be made.
bool MakeFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return IsDirectory(folder);
}

} // namespace

void ResultsTabModel::Tell(const std::string& text, MessageIcon icon) {
    ShowMessage(s_.op, text, kTitle, icon);
}

bool ResultsTabModel::OpenPath(const std::string& path, const std::string& what) {
    if (path.empty()) {
        Tell("The results store has no " + what + " of this test.");
        return false;
    }
    if (!IsFile(path) && !IsDirectory(path)) {
        Tell(path + " is not there any more.");
        return false;
    }
    if (!s_.opener.Open(path)) {
        Tell("No program on this computer is set up to open " + path + ".");
        return false;
    }
    return true;
}

bool ResultsTabModel::OpenReport() {
    if (selected_.empty()) return false;
    return OpenPath(DetailOf(selected_).file("report"), "PDF report");
}

bool ResultsTabModel::OpenFolder() {
    if (selected_.empty()) return false;
    const results::CatalogDetail& d = DetailOf(selected_);
    std::string file = d.file("raw");
    if (file.empty()) file = d.file("summary");
    return OpenPath(FolderOf(file), "data folder");
}

bool ResultsTabModel::OpenPlot() {
    if (selected_.empty()) return false;
    const std::string raw = DetailOf(selected_).file("raw");
    if (raw.empty() || !IsFile(raw)) {
        Tell(raw.empty() ? "The results store has no raw data file of this test."
                         : raw + " is not there any more.");
        return false;
    }
    if (showPlot_) showPlot_(raw);
    return true;
}

std::string ResultsTabModel::WriteExport(const std::string& name, const FileWriter& write) {
    const std::string folder = s_.exportFolder();
    const std::string path = folder + name;
    std::string error;
    bool written = false;
    try {
        written = MakeFolder(folder) && write(path, error);
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (!written) {
        Tell(path + " could not be written" + (error.empty() ? "." : ": " + error));
        return {};
    }
    lastExport_ = path;
    return path;
}

std::string ResultsTabModel::WriteText(const std::string& name, const std::string& text) {
    return WriteExport(name, [&text](const std::string& path, std::string&) {
        WriteFileAtomic(path, text);
        return true;
    });
}

std::string ResultsTabModel::ExportImage(ResultsCanvas& canvas, const std::string& name,
                                         ImageFormat format) {
    return WriteExport(name + "." + ImageExtension(format),
                       [&](const std::string& path, std::string& error) {
                           return canvas.Export(path, format, error);
                       });
}

std::string ResultsTabModel::ExportOverlayImage(ImageFormat format) {
    if (FigureUids().empty()) return Tell("Tick the tests to lay over each other."), std::string();
    DrawOverlay();
    return ExportImage(s_.overlayCanvas, "overlay-" + s_.stamp(), format);
}

std::string ResultsTabModel::ExportOverlayCsv() {
    if (FigureUids().empty()) return Tell("Tick the tests to lay over each other."), std::string();
    return WriteText("overlay-" + s_.stamp() + ".csv", OverlayCsv(Overlay()));
}

std::string ResultsTabModel::ExportAlphaImage(ImageFormat format) {
    if (FigureUids().empty()) return Tell("Tick the tests to show α(T) of."), std::string();
    DrawAlpha();
    return ExportImage(s_.alphaCanvas, "alpha-" + s_.stamp(), format);
}

std::string ResultsTabModel::ExportAlphaCsv() {
    if (FigureUids().empty()) return Tell("Tick the tests to show α(T) of."), std::string();
    return WriteText("alpha-" + s_.stamp() + ".csv", AlphaCsv(Alpha()));
}

std::string ResultsTabModel::ExportBatchCsv() {
    const BatchTable table = Batch();
    if (!table.problem.empty()) return Tell(table.problem), std::string();
    return WriteText("batch-" + s_.stamp() + ".csv", BatchCsv(table));
}

std::string ResultsTabModel::ExportBatchPdf() {
    const BatchTable table = Batch();
    if (!table.problem.empty()) return Tell(table.problem), std::string();
    if (!s_.writeBatchPdf) return {};
    BatchSummary summary{table.material, table.tests, {}};
    for (const BatchRow& r : table.rows)
        summary.rows.push_back({r.interval, r.stats});
    return WriteExport("batch-" + s_.stamp() + ".pdf",
                       [&](const std::string& path, std::string& error) {
                           return s_.writeBatchPdf(path, summary, error);
                       });
}

const char* ImageExtension(ImageFormat format) {
    switch (format) {
    case ImageFormat::Png: return "png";
    case ImageFormat::Pdf: return "pdf";
    case ImageFormat::Svg: return "svg";
    }
    return "png";
}

} // namespace dilato
