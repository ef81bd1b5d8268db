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
#include <stdexcept>

namespace dilato {

namespace settings {

std::int16_t ToInt16(const std::string& text, std::int16_t fallback) {
    if (text.empty()) return fallback;
    const double whole = std::nearbyint(LeadingNumber(text));
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
    try {
        const ProfileDocument doc = ProfileDocument::Load(FileName());
        const auto value = [&](const char* key) { return doc.Read(kSettingsSection, key); };
        const auto dateOrToday = [&](const std::string& text) {
            return text.empty() ? FormatDateMDY(clock_.today()) : text;
        };
        Keyence_Comport = ToInt16(value("Keyence_Comport"), 0);
        TE_Comport = ToInt16(value("TE_Comport"), 0);
        TipsStatus = ToBoolean(value("TipsStatus"), true);
        LastTip = ToInt16(value("LastTip"), 1);
        BackupStatus = ToBoolean(value("BackupStatus"), true);
        BackupDate = dateOrToday(value("BackupDate"));
        UpdateStatus = ToBoolean(value("UpdateStatus"), true);
        UpdateDate = dateOrToday(value("UpdateDate"));
        SystemWarnings = ToBoolean(value("SystemWarnings"), true);
        for (size_t i = 0; i < folders_.RemoteStore.size(); ++i)
            folders_.RemoteStore[i] = doc.Read(kSettingsSection, RemoteKey(i));
        TcCalType = ToInt16(value("TcCalType"), 0);
    } catch (const std::exception& e) {
        ReportError(op_, 0, "modIO.ReadDilatoIni", e.what());
    }
}

void SettingsFile::WriteDilatoIni() {
    using settings::BooleanText;
    try {
        ProfileDocument doc = ProfileDocument::Load(FileName());
        const auto put = [&](const char* key, const std::string& text) {
            doc.Write(kSettingsSection, key, text);
        };
        put("Keyence_Comport", std::to_string(Keyence_Comport));
        put("TE_Comport", std::to_string(TE_Comport));
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
        doc.Save();
    } catch (const std::exception& e) {
        ReportError(op_, 0, "modIO.WriteDilatoIni", e.what());
    }
}

} // namespace dilato
