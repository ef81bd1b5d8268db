#include "ResultsTool.h"

#include "platform/SystemFolder.h"
#include "platform/TextFile.h"
#include "results/Export.h"
#include "results/FileImport.h"
#include "results/Schema.h"
#include "results/Verify.h"

#include <optional>
#include <ostream>
#include <stdexcept>

namespace dilato::results_tool {

using namespace results;

namespace {

struct ToolOptions {
    std::optional<std::string> resultsDb, systemFolder;
    std::string command;
    std::vector<std::string> folders;
    std::string material; // import: the material class of the tests
    TestFilter filter;
    std::string format = "csv";
    ExportRows rows = ExportRows::Results;
    bool readings = false;
    std::string output;
    bool help = false;
};

QDate DateOption(const std::string& text, const char* option) {
    const QDate date = QDate::fromString(QString::fromStdString(text), Qt::ISODate);
    if (!date.isValid())
        throw std::invalid_argument(std::string(option) + " takes a date YYYY-MM-DD, not \"" + text + "\"");
    return date;
}

ToolOptions Parse(const std::vector<std::string>& args) {
    ToolOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) throw std::invalid_argument(a + " needs a value");
            return args[++i];
        };
        if (a == "--help" || a == "-h") o.help = true;
        else if (a == "--results-db") o.resultsDb = value();
        else if (a == "--system-folder") o.systemFolder = value();
        else if (a == "--material" && o.command == "import") o.material = value();
        else if (a == "--sample") o.filter.sample = value();
        else if (a == "--material") o.filter.material = value();
        else if (a == "--from") o.filter.from = DateOption(value(), "--from");
        else if (a == "--to") o.filter.to = DateOption(value(), "--to");
        else if (a == "--operator") o.filter.operatorLogin = value();
        else if (a == "--folder") o.filter.dataFolder = value();
        else if (a == "--flagged") o.filter.flaggedOnly = true;
        else if (a == "--not-at-equilibrium") o.filter.notAtEquilibriumOnly = true;
        else if (a == "--test") o.filter.testUid = value();
        else if (a == "--format") {
            o.format = value();
            if (o.format != "csv" && o.format != "json")
                throw std::invalid_argument("--format takes csv or json");
        } else if (a == "--rows") {
            const std::string rows = value();
            if (rows != "results" && rows != "readings")
                throw std::invalid_argument("--rows takes results or readings");
            o.rows = rows == "results" ? ExportRows::Results : ExportRows::Readings;
        } else if (a == "--readings") o.readings = true;
        else if (a == "--output") o.output = value();
        else if (a.rfind("--", 0) == 0) throw std::invalid_argument("unknown option \"" + a + "\"");
        else if (o.command.empty()) o.command = a;
        else if (o.command == "import") o.folders.push_back(a);
        else throw std::invalid_argument("unexpected \"" + a + "\"");
    }
    if (o.help) return o;
    if (o.command != "import" && o.command != "export" && o.command != "query" && o.command != "verify")
        throw std::invalid_argument(o.command.empty() ? "no command given"
                                                      : "unknown command \"" + o.command + "\"");
    if (o.command == "import" && o.folders.empty())
        throw std::invalid_argument("import needs at least one FOLDER");
    return o;
}

StoreAddress Address(const ToolOptions& o) {
    std::string error;
    std::string systemFolder;
    if (!o.resultsDb) {
        const SystemFolderChoice choice = ChooseSystemFolder(o.systemFolder, false);
        if (!choice.usable()) throw StoreError(choice.problem);
        systemFolder = choice.path;
    }
    auto address = ChooseStoreAddress(o.resultsDb, systemFolder, error);
    if (!address) throw StoreError(error);
    return *address;
}

int Import(StoreConnection& store, const ToolOptions& o, std::ostream& out) {
    int damaged = 0;
    for (const std::string& folder : o.folders) {
        const ImportReport report = ImportFolder(store, folder, o.material);
        for (const auto& f : report.imported) out << "imported " << f << "\n";
        for (const auto& f : report.skipped) out << "already stored " << f << "\n";
        for (const auto& [f, why] : report.damaged) out << "damaged, skipped " << f << ": " << why << "\n";
        out << folder << ": " << report.imported.size() << " imported, " << report.skipped.size()
            << " already stored, " << report.damaged.size() << " damaged\n";
        damaged += static_cast<int>(report.damaged.size());
    }
    return damaged ? kFound : kDone;
}

int Query(StoreConnection& store, const ToolOptions& o, std::ostream& out) {
    const auto tests = FindTests(store, o.filter);
    out << "started\ttest\tsample\tfolder\toperator\tending\tresults\tflagged\tuid\n";
    for (const FoundTest& t : tests)
        out << (t.started.isEmpty() ? t.ended : t.started).toStdString() << "\t"
            << t.testName.toStdString() << "\t" << t.sampleId.toStdString() << "\t"
            << t.dataFolder.toStdString() << "\t" << t.operatorLogin.toStdString() << "\t"
            << t.ending.toStdString() << "\t" << t.results << "\t" << t.flagged << "\t"
            << t.uid.toStdString() << "\n";
    out << tests.size() << " tests\n";
    return kDone;
}

int Export(StoreConnection& store, const ToolOptions& o, std::ostream& out) {
    const std::string text = o.format == "json" ? ExportJson(store, o.filter, o.readings)
                                                : ExportCsv(store, o.filter, o.rows);
    if (o.output.empty()) out << text;
    else WriteFileAtomic(o.output, text);
    return kDone;
}

int Verify(StoreConnection& store, const ToolOptions& o, std::ostream& out) {
    int found = 0;
    const auto files = VerifyFiles(store, o.filter);
    for (const CheckedFile& f : files) {
        if (f.check == FileCheck::Unchanged) continue;
        ++found;
        out << CheckText(f.check) << "\t" << f.path.toStdString() << "\t(test "
            << f.testName.toStdString() << ", " << f.testUid.toStdString() << ")\n";
    }
    out << files.size() << " files checked, " << found << " changed or missing\n";
    return found ? kFound : kDone;
}

} // namespace

int RunResultsTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ToolOptions o;
    try {
        o = Parse(args);
    } catch (const std::invalid_argument& e) {
        err << "dilato-results: " << e.what() << "\n\n" << ResultsUsage();
        return kBadOptions;
    }
    if (o.help) {
        out << ResultsUsage();
        return kDone;
    }
    try {
        StoreConnection store(Address(o));
        MigrateStore(store);
        if (o.command == "import") return Import(store, o, out);
        if (o.command == "query") return Query(store, o, out);
        if (o.command == "export") return Export(store, o, out);
        return Verify(store, o, out);
    } catch (const std::exception& e) {
        err << "dilato-results: " << e.what() << "\n";
        return kNoStore;
    }
}

const char* ResultsUsage() {
    return R"(dilato-results: the results store of Dilato (every test, step, result and reading, and
the hashes of the test's files).

  dilato-results [STORE] import [--material NAME] FOLDER...
        reads the raw data files "*_CTE.dat" under each FOLDER with their summaries into the
        store; a test already stored (same raw data file) is skipped, a damaged one reported
        and skipped
  dilato-results [STORE] query [FILTER]
        lists the tests
  dilato-results [STORE] export [--format csv|json] [--rows results|readings] [--readings]
                 [--output FILE] [FILTER]
        CSV (UTF-8, "." decimals, ISO-8601 times, units in the header; one row per result,
        or per reading with --rows readings) or JSON (docs/results-export.md; --readings adds
        every reading)
  dilato-results [STORE] verify [FILTER]
        reports every file of the stored tests changed or missing since it was written

STORE: --results-db sqlite:PATH or postgresql://user@host:port/db[?passfile=FILE]; else the
lab's /etc/dilato/results.conf; else results.sqlite in the system folder (--system-folder DIR,
$DILATO_SYSTEM_FOLDER or /var/lib/dilato).
FILTER: --sample PATTERN (% any text)  --material NAME  --from YYYY-MM-DD  --to YYYY-MM-DD
        --operator LOGIN  --folder DATAFOLDER  --flagged (a result outside the method's
        range or not at equilibrium)  --not-at-equilibrium (a result whose steps did not end
        at equilibrium)  --test UID
        --material takes the class the test was run with (metal, glass, polymer, unknown)
        or the name given at import

Exit status: 0 done; 1 verify found a changed or missing file, or import a damaged one;
2 bad options; 3 the store cannot be used.
)";
}

} // namespace dilato::results_tool
