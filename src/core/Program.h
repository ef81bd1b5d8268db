#pragma once
// The composition root: every long-lived object of the program, built in one place and in
// one order for the main window, the headless runner and the tests alike. Only the adapters
// differ (clock, operator, dialogs, the three serial ports).

#include "core/FileSinks.h"
#include "core/InstrumentBridge.h"
#include "core/SettingsFile.h"
#include "core/TestRecovery.h"
#include "core/TestSession.h"
#include "instrument/ComDiscovery.h"
#include "instrument/InstrumentLinks.h"
#include "report/TestReport.h"
#include "results/ResultsStore.h"
#include "results/StoreSink.h"
#include "storage/Folders.h"
#include "storage/Logs.h"
#include "storage/SystemParameterFile.h"
#include "storage/SystemParameters.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace dilato {

inline constexpr const char* kResultsStoreTitle = "Results Store";

struct ProgramAdapters {
    Clock& clock;
    Operator& op;
    TerminationDialog& termination;
    ComDialog& comDialog;
    SerialPort& displacementPort; // link 1
    SerialPort& tempStagePort;    // link 2
    SerialPort& calibratorPort;   // link 3
    std::string programFolder;
    std::string systemFolder;
    // A pause that lets nothing else run (see LinkServices); empty: the default.
    std::function<void(double)> blockingPause;
};

// The report's remote copies go through the data files' copy to the remote stores.
class RemoteCopies final : public RemoteFileCopier {
  public:
    explicit RemoteCopies(DataFiles& files) : files_(files) {}
    void WriteRemoteDataFile(const std::string& path) override { files_.WriteRemoteDataFile(path); }

  private:
    DataFiles& files_;
};

class Program {
  public:
    explicit Program(const ProgramAdapters& adapters);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Loads the parameter file (offering a per-serial backup when it cannot be used) and the
    // settings file; false when no parameter file could be loaded (the program cannot start
    // without it).
    [[nodiscard]] bool LoadFiles();
    // The instruments' part of the start-up, once the files are loaded: the launch entry of
    // the test log, both links checked, the hour meter read, the stage to 20 °C, the Test tab
    // entered (the ticks start).
    void StartInstruments();
    // Adds the time since the last count to the hour meter while the instruments are
    // connected (not in demo mode); run at every step's end and at shutdown.
    void CountUsage();
    // The orderly end: ticks stopped, test mode off, stage to 20 °C, links closed, settings
    // (unless told not to) and parameters saved, the main file and then the backup.
    void ShutDown(bool saveSettings = true);

    // Opens the results store (`given`: a --results-db address; else the lab's configuration,
    // else the system folder's own file) and adds it to the result sinks. False, the reason
    // told to the operator, when it cannot be used: testing goes on with the files alone.
    bool OpenResultsStore(const std::optional<std::string>& given);
    // The status bar's word on the lab server ("results server offline (N waiting)"); empty
    // when there is nothing to say.
    [[nodiscard]] std::string ResultsStatusText() const;
    // Where the results go: the local store and, when there is one, the lab server.
    [[nodiscard]] std::string ResultsStoreText() const { return resultsWhere_; }

    Folders folders;
    SystemParameters params;
    SystemParameterFile paramFile;
    SettingsFile settings;
    NoMainWindow noWindow; // until the session's window model exists
    Logs logs;
    InstrumentBridge bridge;
    InstrumentLinks links;
    ComDiscovery discovery;
    TestSession session;
    TestRecovery recovery; // of a test a crash or a power cut interrupted
    RemoteCopies remoteCopies;
    TestReport report; // written after a test's summary when "PDFdataWrite" is 1
    RemoteCopySink remoteCopySink; // the result sinks of the save, after the journal
    ReportSink reportSink;
    std::unique_ptr<results::ResultsStore> resultsStore; // none until OpenResultsStore
    std::unique_ptr<results::StoreSink> storeSink;

  private:
    Operator& op_;
    std::string resultsWhere_;
};

} // namespace dilato
