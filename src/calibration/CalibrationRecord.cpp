#include "calibration/CalibrationRecord.h"

#include "platform/Desktop.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/TextFile.h"
#include "storage/ParamValue.h"

#include <filesystem>

namespace dilato {

std::string CalibrationRecordFolder(const std::string& sysFolder, const SystemParameters& params) {
    return sysFolder + "Calib-" + FormatParam(params.SysParam(slot::SerialNumber), "0");
}

std::string RecordSerialText(const SystemParameters& params) {
    const std::string serial = FormatParam(params.SysParam(slot::SerialNumber), "0");
    return serial == "0" ? std::string("not set") : serial;
}

std::string CalibrationRecord::Folder() const {
    return CalibrationRecordFolder(sysFolder_, params_) + "/";
}

void CalibrationRecord::StartRecord(bool start) {
    if (!start) {
        name_.clear();
        return;
    }
    const std::string folder = Folder();
    std::error_code ignored; // a folder that cannot be made fails the first write
    std::filesystem::create_directories(folder, ignored);
    for (int n = 1;; ++n) {
        const std::string candidate = folder + "Cal_" + std::to_string(n) + ".txt";
        if (!IsFile(candidate)) {
            name_ = candidate;
            return;
        }
    }
}

std::string CalibrationRecord::HeaderLine() const {
    const QDateTime now = clock_.now();
    return std::string("Calibration of CTE Tester ") + " serial #: " + RecordSerialText(params_) +
           "  " + FormatDateMDY(now.date()) + "  " + FormatTime24(now.time());
}

void CalibrationRecord::WriteCalFile(const std::string& text) {
    try {
        bool fresh = false;
        if (name_.empty()) {
            StartRecord(true);
            fresh = true;
            identificationAsked_ = false;
        }
        if (fresh) {
            // The header and its underline take the place of the record's first line.
            const std::string header = HeaderLine();
            AppendTextLines(name_, {header, std::string(header.size(), '-')});
        } else {
            AppendTextLines(name_, {text});
        }
        if (calDone_ && calDone_() && !identificationAsked_) {
            identificationAsked_ = true;
            if (identification_) identification_();
        }
    } catch (const std::exception& e) {
        ReportError(op_, 0, "modFileUtils.WriteCalFile", e.what());
    }
}

std::vector<std::string> IdentificationLines(const std::string& serial,
                                             const std::string& certificate) {
    const auto field = [](const std::string& text) {
        const size_t first = text.find_first_not_of(' ');
        const std::string trimmed = first == std::string::npos ? std::string() : text.substr(first);
        return trimmed.empty() ? std::string(kNotAvailable) : trimmed;
    };
    std::vector<std::string> lines{"    Tc Calibrator Serial #: " + field(serial),
                                   "    Tc Calibrator Cert. #: " + field(certificate)};
    for (int i = 0; i < 5; ++i)
        lines.emplace_back(" ");
    lines.push_back("Calibration Performed by: " + std::string(30, '_'));
    return lines;
}

} // namespace dilato
