#include "core/SettingsFile.h"

#include "platform/Desktop.h"
#include "platform/Format.h"
#include "platform/LeadingNumber.h"
#include "storage/ParamValue.h"
#include "storage/ProfileDocument.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>

namespace dilato {

namespace settings {

std::int16_t ToInt16(const std::string& text, std::int16_t fallback) {
    if (text.empty()) return fallback;
    const double whole = std::nearbyint(FileNumber(text));
    if (whole < std::numeric_limits<std::int16_t>::min() ||
        whole > std::numeric_limits<std::int16_t>::max())
        throw std::overflow_error("Overflow");
    return static_cast<std::int16_t>(whole);
}

bool ToBoolean(const std::string& text, bool fallback) {
    if (text.empty()) return fallback;
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (lower == "true") return true;
    if (lower == "false") return false;
    return ParamValue(text).number() != 0.0; // throws "Type mismatch" for a word
}

} // namespace settings

namespace {

std::string RemoteKey(size_t i) {
    return "RemoteStore" + std::to_string(i + 1);
}

} // namespace

void SettingsFile::LoadSettings() {
    using namespace settings;
    constexpr const char* kPlace = "modIO.ReadDilatoIni";
    std::optional<ProfileDocument> doc;
    try {
        doc = ProfileDocument::Load(FileName());
    } catch (const std::exception& e) {
        ReportError(op_, 0, kPlace, e.what());
        return;
    }
    // Each key on its own: a value that cannot be converted keeps its earlier value in
    // memory and is reported with its name; every other key is read as usual.
    const auto read = [&](const std::string& key, auto assign) {
        const std::string text = doc->Read(kSettingsSection, key);
        try {
            assign(text);
        } catch (const std::exception& e) {
            ReportError(op_, 0, kPlace,
                        std::string(e.what()) + " (" + key + "=" + text + " in " + FileName() +
                            ")");
        }
    };
    const auto dateOrToday = [&](const std::string& text) {
        return text.empty() ? FormatDateMDY(clock_.today()) : text;
    };
    read("Keyence_Comport", [&](const std::string& t) { displacementComPort = ToInt16(t, 0); });
    read("TE_Comport", [&](const std::string& t) { tempStageComPort = ToInt16(t, 0); });
    read("TipsStatus", [&](const std::string& t) { showTips = ToBoolean(t, true); });
    read("LastTip", [&](const std::string& t) { lastTip = ToInt16(t, 1); });
    read("BackupStatus", [&](const std::string& t) { backupReminderOn = ToBoolean(t, true); });
    read("BackupDate", [&](const std::string& t) { backupReminderDate = dateOrToday(t); });
    read("UpdateStatus", [&](const std::string& t) { updateReminderOn = ToBoolean(t, true); });
    read("UpdateDate", [&](const std::string& t) { updateReminderDate = dateOrToday(t); });
    read("SystemWarnings", [&](const std::string& t) { showSystemWarnings = ToBoolean(t, true); });
    for (size_t i = 0; i < folders_.RemoteStore.size(); ++i)
        read(RemoteKey(i), [&](const std::string& t) { folders_.RemoteStore[i] = t; });
    read("TcCalType", [&](const std::string& t) { calibratorType = ToInt16(t, 0); });
    read("PdfViewerPrompt", [&](const std::string& t) { promptForPdfViewer = ToBoolean(t, true); });
}

void SettingsFile::SaveSettings() {
    using settings::BooleanText;
    try {
        ProfileDocument doc = ProfileDocument::Load(FileName());
        const auto put = [&](const char* key, const std::string& text) {
            doc.Write(kSettingsSection, key, text);
        };
        put("Keyence_Comport", std::to_string(displacementComPort));
        put("TE_Comport", std::to_string(tempStageComPort));
        put("TipsStatus", BooleanText(showTips));
        put("LastTip", std::to_string(lastTip));
        put("BackupStatus", BooleanText(backupReminderOn));
        put("BackupDate", backupReminderDate);
        put("UpdateStatus", BooleanText(updateReminderOn));
        put("UpdateDate", updateReminderDate);
        put("SystemWarnings", BooleanText(showSystemWarnings));
        for (size_t i = 0; i < folders_.RemoteStore.size(); ++i)
            doc.Write(kSettingsSection, RemoteKey(i), folders_.RemoteStore[i]);
        put("TcCalType", FormatNumber(calibratorType, "0"));
        put("PdfViewerPrompt", BooleanText(promptForPdfViewer));
        doc.Save();
    } catch (const std::exception& e) {
        ReportError(op_, 0, "modIO.WriteDilatoIni", e.what());
    }
}

} // namespace dilato
