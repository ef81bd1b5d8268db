#include "storage/Logs.h"

#include "platform/Desktop.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/LeadingNumber.h"
#include "platform/TextCodec.h"
#include "platform/TextFile.h"
#include "platform/Version.h"
#include "storage/SystemParameterFile.h"

#include <cmath>
#include <filesystem>
#include <limits>
#include <stdexcept>

namespace dilato {

namespace fs = std::filesystem;

namespace {

void EnsureFolder(const std::string& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return;
    fs::create_directories(folder, ec);
    if (ec) throw FileError("Cannot create " + folder + ": " + ec.message());
}

std::string Padded(const std::string& text, size_t width) {
    return Utf8Left(text + std::string(width, ' '), width);
}

} // namespace

std::string Logs::TestLogFile(int n) const {
    return folders_.LogFolder + "TestLog" + (n > 0 ? std::to_string(n) : std::string()) + ".txt";
}

std::string Logs::MeterFile() const {
    return folders_.LogFolder + "HobbsMeter " + SerialText(params_) + ".dat";
}

long Logs::NowSeconds() const {
    return static_cast<long>(std::floor(clock_.secondsSinceMidnight()));
}

std::string Logs::TimeText() const {
    return FormatTime24(clock_.now().time());
}

void Logs::ErrorLog(const std::string& text) {
    try {
        AppendTextLines(ErrorLogFile(), {text + folders_.DataPath + " " + folders_.DataFileName +
                                         " " + FormatDateMDY(clock_.today()) + " " + TimeText()});
    } catch (const std::exception& e) {
        ReportError(op_, 0, "ErrorLog", e.what());
    }
}

void Logs::RotateTestLogs() const {
    EnsureFolder(folders_.LogFolder);
    const auto move = [](const std::string& from, const std::string& to) {
        if (!IsFile(from)) return;
        std::error_code ec;
        fs::rename(from, to, ec);
        if (ec) throw FileError("Cannot rename " + from + ": " + ec.message());
    };
    for (int n = kKeptTestLogs - 1; n >= 1; --n) {
        const std::string older = TestLogFile(n + 1);
        if (IsFile(older)) {
            std::error_code ec;
            fs::remove(older, ec);
            if (ec) throw FileError("Cannot delete " + older + ": " + ec.message());
        }
        move(TestLogFile(n), older);
    }
    move(TestLogFile(0), TestLogFile(1));
}

void Logs::TestLog(const std::string& text, TestLogKind kind) {
    if (inputs_.CalibrationMode && inputs_.CalibrationMode()) return;
    try {
        const long now = NowSeconds();
        const long sinceStamp = ((now - state_.stamp) % 86400 + 86400) % 86400;
        const std::string elapsed = inputs_.ElapsedMinutes ? inputs_.ElapsedMinutes() : "";
        const std::string suffix = " @ Elapsed " + elapsed + " min";

        std::vector<std::string> entry;
        switch (kind) {
        case TestLogKind::Launch:
            RotateTestLogs();
            entry = {std::string("Dilato ") + " V" + kVersionText +
                     " Launched: " + FormatDateMDY(clock_.today()) + "  " + TimeText()};
            state_.stamp = now;
            break;
        case TestLogKind::InstrumentAbort:
            entry = {text + "  " + suffix};
            break;
        case TestLogKind::Calibrator:
            entry = {text + "  " + TimeText()};
            break;
        case TestLogKind::StepStart: {
            const std::string progress = window_.CurrentProgressText();
            if (sinceStamp < 15) return;
            if (!progress.empty() && progress == state_.lastProgressText) return;
            const int step = inputs_.StepIndex ? inputs_.StepIndex() : 0;
            const std::string setPoint =
                FormatParam(params_.SysParam(slot::FirstBatchTemp + step), "#");
            entry = {std::string(30, '='), Padded("Starting Test" + text, 25) + TimeText(),
                     std::string(30, '-'),
                     "     Batch T = " + setPoint +
                         "\xC2\xB0"
                         "C"};
            state_.stamp = now;
            AppendTextLines(TestLogFile(), entry);
            state_.lastProgressText = window_.CurrentProgressText();
            return;
        }
        case TestLogKind::Status:
            entry = {Padded("Status: " + text, 40) + "at " + TimeText()};
            break;
        default:
            return;
        }
        AppendTextLines(TestLogFile(), entry);
    } catch (const std::exception& e) {
        ReportError(op_, 0, "TestLog, RecCode=" + FormatNumber(static_cast<int>(kind), "#"),
                    e.what());
    }
}

void Logs::StartUsage() {
    usageMark_ = clock_.now();
}

void Logs::CountUsage() {
    if (!usageMark_) return;
    const QDateTime now = clock_.now();
    const double minutes = static_cast<double>(usageMark_->msecsTo(now)) / 60000.0;
    if (minutes <= 0) return;
    usageMark_ = now;
    (void)HobbsMeterUpdate(FormatNumber(minutes, "0.000000"));
}

std::string Logs::HobbsMeterUpdate(const std::string& minutes) {
    std::string result;
    try {
        const double hours = LeadingNumber(minutes) / 60.0;
        EnsureFolder(folders_.LogFolder);
        const std::string file = MeterFile();
        std::string startDate;
        double total = hours;
        if (IsFile(file)) {
            const auto lines = ReadTextLines(file);
            if (!lines) throw FileError("Cannot read " + file);
            if (lines->size() < 2) throw FileError("Input past end of file " + file);
            startDate = (*lines)[0];
            total = FileNumber((*lines)[1]) + hours;
            result = FormatNumber(total, "0.00");
            if (std::fabs(total) > std::numeric_limits<float>::max())
                throw std::overflow_error("Overflow");
            meterValue_ = static_cast<float>(total);
        } else {
            startDate = FormatDateMDY(clock_.today());
        }
        if (hours > 0) WriteTextLinesAtomic(file, {startDate, FormatNumber(total, "0.00")});
    } catch (const std::exception& e) {
        ReportError(op_, 0, "HobbsMeterUpdate", e.what());
    }
    return result;
}

} // namespace dilato
