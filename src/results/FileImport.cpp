#include "results/FileImport.h"

#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/IniFile.h"
#include "platform/TextFile.h"
#include "results/StoreRow.h"
#include "results/TestRows.h"
#include "storage/RawDataFile.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <filesystem>
#include <stdexcept>

namespace dilato::results {

namespace fs = std::filesystem;

namespace {

constexpr const char* kRawEnding = "_CTE.dat";

const QRegularExpression& ResultPattern() {
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*(-?[0-9.]+)\s*°C to\s*(-?[0-9.]+)\s*°C:\s*(-?[0-9.]+)\s*µ/°C \+/- (-?[0-9.]+)%\s*$)"));
    return pattern;
}

// The summary section that names `rawName` as its raw data file (the last one written).
std::string SectionOf(const std::vector<std::string>& lines, const std::string& rawName) {
    std::string found;
    for (const std::string& line : lines) {
        if (line.rfind("[CTE Test Summary #", 0) != 0 || line.back() != ']') continue;
        const std::string section = line.substr(1, line.size() - 2);
        std::string named = IniLookup(lines, section, "Raw Data File");
        named.erase(0, named.find_first_not_of(' '));
        if (named == rawName) found = section;
    }
    return found;
}

std::string Trimmed(std::string s) {
    s.erase(0, s.find_first_not_of(' '));
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// The summary's "Date/Time " value: "MM-dd-yyyy/HH:mm:ss  S/N:123 V1.0.0".
struct SummaryStamp {
    QDateTime at;
    std::string serial, version;
};
SummaryStamp ParseStamp(const std::string& value) {
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*(\d\d-\d\d-\d{4})/(\d\d:\d\d:\d\d)\s+S/N:(\S*)\s+V(\S+))"));
    SummaryStamp stamp;
    const auto m = pattern.match(QString::fromStdString(value));
    if (!m.hasMatch()) return stamp;
    stamp.at = QDateTime(QDate::fromString(m.captured(1), QStringLiteral("MM-dd-yyyy")),
                         QTime::fromString(m.captured(2), QStringLiteral("HH:mm:ss")));
    stamp.serial = m.captured(3).toStdString();
    stamp.version = m.captured(4).toStdString();
    return stamp;
}

// "U = 0.123 µ/°C (1.0%), k = 2; steps 1 to 2"
void ParseUncertainty(const std::string& value, ResultEvidence& r) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(U = (-?[0-9.]+) .*steps (\d+) to (\d+))"));
    const auto m = pattern.match(QString::fromStdString(value));
    if (!m.hasMatch()) return;
    r.hasBudget = true;
    r.budget.expanded = m.captured(1).toDouble();
    r.fromStep = m.captured(2).toInt();
    r.toStep = m.captured(3).toInt();
}

// Where a data folder sits: the system folder above its "Data/" and the folder below it.
void PlaceOf(const std::string& dataPath, TestFacts& facts) {
    const std::string marker = "/Data/";
    const auto at = dataPath.rfind(marker);
    std::string folder = dataPath;
    if (at != std::string::npos) {
        facts.systemFolder = dataPath.substr(0, at + 1);
        folder = dataPath.substr(at + marker.size());
    }
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    facts.dataFolder = folder.empty() ? fs::path(dataPath).parent_path().filename().string() : folder;
}

// Rows of the results of `section` in the summary `lines`; throws on a damaged result line.
std::vector<StoreRow> ResultRows(const QString& uid, const std::vector<std::string>& lines,
                                 const std::string& section, const std::string& evidenceSection) {
    std::vector<StoreRow> rows;
    for (int k = 1;; ++k) {
        const std::string key = "CTE " + std::to_string(k) + ":";
        const std::string line = IniLookup(lines, section, key);
        if (Trimmed(line).empty()) break;
        SummaryResult s;
        if (!ParseResultLine(line, s))
            throw std::runtime_error("its summary's \"" + key + "\" line cannot be read");
        ResultEvidence r;
        r.key = k;
        r.fromTemp = static_cast<float>(s.fromTemp);
        r.toTemp = static_cast<float>(s.toTemp);
        r.cte = static_cast<float>(s.cte);
        r.accuracy = static_cast<float>(s.accuracy);
        ParseUncertainty(IniLookup(lines, evidenceSection, "CTE " + std::to_string(k) + " Uncertainty"),
                         r);
        const std::string evidenceKey = "CTE " + std::to_string(k) + " ";
        const std::string flag = Trimmed(IniLookup(lines, evidenceSection, evidenceKey + "Flag"));
        const std::string equilibrium =
            Trimmed(IniLookup(lines, evidenceSection, evidenceKey + "Equilibrium"));
        // The flags as the summary words them (a summary from before the evidence was
        // written knows none; one from before the equilibrium, none of that).
        std::string flags;
        for (const std::string& f :
             {flag, Trimmed(IniLookup(lines, evidenceSection, evidenceKey + "Expansion Flag")),
              equilibrium.rfind("not at", 0) == 0 ? equilibrium : std::string()})
            if (!f.empty() && f != "none") flags += (flags.empty() ? "" : "; ") + f;
        StoreRow row = ResultRow(uid, k, r);
        for (auto& [name, value] : row.columns) {
            if (name == "flags")
                value = flag.empty() ? QVariant()
                                     : QVariant(QString::fromStdString(flags.empty() ? "none" : flags));
            if (name == "at_equilibrium")
                value = equilibrium.empty() ? QVariant()
                                            : QVariant(equilibrium.rfind("not at", 0) == 0 ? 0 : 1);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

bool IsStored(StoreConnection& store, const std::string& sha) {
    QSqlQuery q = store.Prepare(QStringLiteral("SELECT COUNT(*) FROM files WHERE sha256 = ? AND kind = 'raw'"));
    q.addBindValue(QString::fromStdString(sha));
    store.Run(q);
    return q.next() && q.value(0).toLongLong() > 0;
}

} // namespace

bool ParseResultLine(const std::string& line, SummaryResult& result) {
    const auto m = ResultPattern().match(QString::fromStdString(line));
    if (!m.hasMatch()) return false;
    bool ok[4] = {};
    result.fromTemp = m.captured(1).toDouble(&ok[0]);
    result.toTemp = m.captured(2).toDouble(&ok[1]);
    result.cte = m.captured(3).toDouble(&ok[2]);
    result.accuracy = m.captured(4).toDouble(&ok[3]) / 100.0;
    return ok[0] && ok[1] && ok[2] && ok[3];
}

void ImportRawDataFile(StoreConnection& store, const std::string& rawFile,
                       const std::string& material, ImportReport& report) {
    const auto sha = FileSha256(rawFile);
    if (!sha) {
        report.damaged.emplace_back(rawFile, "it cannot be read");
        return;
    }
    if (IsStored(store, *sha)) {
        report.skipped.push_back(rawFile);
        return;
    }
    try {
        const auto lines = ReadTextLines(rawFile);
        const auto stored = lines ? ParseRawData(*lines) : std::nullopt;
        if (!stored) throw std::runtime_error(kCorruptedFileMessage);

        const fs::path path(rawFile);
        const std::string fileName = path.filename().string();
        const std::string name = fileName.substr(0, fileName.size() - std::string(kRawEnding).size());
        const std::string dataPath = path.parent_path().string() + "/";
        const std::string summaryFile = dataPath + name + "_CTE.txt";
        // Half the hash names the test: as unique among a lab's files, and a shorter key in
        // every row of the test.
        const QString uid = QStringLiteral("import-") + QString::fromStdString(sha->substr(0, 32));

        TestFacts facts;
        PlaceOf(dataPath, facts);
        facts.testName = name;
        facts.material = material;
        facts.sampleLength = stored->sampleLength;
        facts.accuracyOption = stored->accuracyOption;
        facts.ending = "imported";
        facts.origin = "import";
        facts.ended = QFileInfo(QString::fromStdString(rawFile)).lastModified();

        std::vector<StoreRow> rows;
        std::vector<std::string> summary;
        std::string section;
        if (IsFile(summaryFile)) {
            const auto summaryLines = ReadTextLines(summaryFile);
            if (!summaryLines) throw std::runtime_error("its summary cannot be read");
            summary = *summaryLines;
            section = SectionOf(summary, fileName);
        }
        if (!section.empty()) {
            facts.sampleId = Trimmed(IniLookup(summary, section, "Sample ID"));
            const SummaryStamp stamp = ParseStamp(IniLookup(summary, section, "Date/Time "));
            if (stamp.at.isValid()) facts.ended = stamp.at;
            facts.instrumentSerial = stamp.serial;
            facts.programVersion = stamp.version;
            const std::string counter = section.substr(std::string("CTE Test Summary #").size());
            facts.systemCorrection = Trimmed(
                IniLookup(summary, "CTE Test Evidence #" + counter, "System Correction"));
            for (StoreRow& r : ResultRows(uid, summary, section, "CTE Test Evidence #" + counter))
                rows.push_back(std::move(r));
            if (auto file = FileRow(uid, "summary", summaryFile, facts.ended)) rows.push_back(*file);
        }
        const StepData& data = stored->data;
        for (int s = 1; s <= data.stepCount(); ++s) {
            int number = 0;
            const Reading* last = nullptr;
            for (const Reading& r : data.readings(s)) {
                if (r.elapsedMinutes <= 0.001f) continue;
                rows.push_back(ReadingRow(uid, s, ++number, r, {}));
                if (r.elapsedMinutes > 0.5f) last = &r;
            }
            if (number > 0) rows.push_back(StepRow(uid, s, std::nullopt, nullptr, last, {}));
        }
        rows.push_back(TestRow(uid, facts));
        if (auto file = FileRow(uid, "raw", rawFile, facts.ended)) rows.push_back(*file);
        store.InTransaction([&] {
            for (const StoreRow& row : rows) UpsertRow(store, row);
        });
        report.imported.push_back(rawFile);
    } catch (const std::exception& e) {
        report.damaged.emplace_back(rawFile, e.what());
    }
}

ImportReport ImportFolder(StoreConnection& store, const std::string& folder,
                          const std::string& material) {
    ImportReport report;
    std::vector<std::string> raw;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        const std::string p = it->path().string();
        if (it->is_regular_file() && p.size() > 8 && p.compare(p.size() - 8, 8, kRawEnding) == 0)
            raw.push_back(p);
    }
    if (ec) report.damaged.emplace_back(folder, ec.message());
    std::sort(raw.begin(), raw.end());
    for (const std::string& file : raw) ImportRawDataFile(store, file, material, report);
    return report;
}

} // namespace dilato::results
