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

void SettingsFile::ReadDilatoIni() {
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
    read("TipsStatus", [&](const std::string& t) { TipsStatus = ToBoolean(t, true); });
    read("LastTip", [&](const std::string& t) { LastTip = ToInt16(t, 1); });
    read("BackupStatus", [&](const std::string& t) { BackupStatus = ToBoolean(t, true); });
    read("BackupDate", [&](const std::string& t) { BackupDate = dateOrToday(t); });
    read("UpdateStatus", [&](const std::string& t) { UpdateStatus = ToBoolean(t, true); });
    read("UpdateDate", [&](const std::string& t) { UpdateDate = dateOrToday(t); });
    read("SystemWarnings", [&](const std::string& t) { SystemWarnings = ToBoolean(t, true); });
    for (size_t i = 0; i < folders_.RemoteStore.size(); ++i)
        read(RemoteKey(i), [&](const std::string& t) { folders_.RemoteStore[i] = t; });
    read("TcCalType", [&](const std::string& t) { TcCalType = ToInt16(t, 0); });
    read("PdfViewerPrompt", [&](const std::string& t) { PdfViewerPrompt = ToBoolean(t, true); });
}

void SettingsFile::WriteDilatoIni() {
    using settings::BooleanText;
    try {
        ProfileDocument doc = ProfileDocument::Load(FileName());
        const auto put = [&](const char* key, const std::string& text) {
            doc.Write(kSettingsSection, key, text);
        };
        put("Keyence_Comport", std::to_string(displacementComPort));
        put("TE_Comport", std::to_string(tempStageComPort));
        put("TipsStatus", BooleanText(TipsStatus));
        put("LastTip", std::to_string(LastTip));
        put("BackupStatus", BooleanText(BackupStatus));
        put("BackupDate", BackupDate);
        put("UpdateStatus", BooleanText(UpdateStatus));
        put("UpdateDate", UpdateDate);
        put("SystemWarnings", BooleanText(SystemWarnings));
        for (size_t i = 0; i < folders_.RemoteStore.size(); ++i)
            doc.Write(kSettingsSection, RemoteKey(i), folders_.RemoteStore[i]);
        put("TcCalType", FormatNumber(TcCalType, "0"));
        put("PdfViewerPrompt", BooleanText(PdfViewerPrompt));
        doc.Save();
    } catch (const std::exception& e) {
        ReportError(op_, 0, "modIO.WriteDilatoIni", e.what());
    }
}

} // namespace dilato
