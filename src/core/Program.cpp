#include "core/Program.h"

namespace dilato {

Program::Program(const ProgramAdapters& a)
    : folders(a.programFolder, a.systemFolder), paramFile(params, folders, a.op),
      settings(folders, a.clock, a.op),
      logs(folders, params, a.clock, a.op, session.window,
           LogInputs{[this] { return session.run.CalibrationMode; },
                     [this] { return session.run.ElapsedMinutes; },
                     [this] { return session.run.StepIndex; }}),
      bridge(settings),
      links(LinkServices{a.clock, a.op, logs, params, bridge, bridge, a.blockingPause},
            a.displacementPort, a.tempStagePort, a.calibratorPort),
      discovery(links, a.comDialog),
      session(SessionAdapters{a.clock, a.op, a.termination, bridge, logs, params, folders}),
      recovery(session, params, folders, bridge, a.op), remoteCopies(session.files), report(a.op, a.clock, logs, remoteCopies, params,
                                          ReportFolders{folders.AppFolder, folders.SysFolder}),
      remoteCopySink(session.files, folders, a.op),
      reportSink(report, session.files, folders, params, a.op), op_(a.op) {
    bridge.attach(links, discovery, session);
    // The hour meter counts at every step's end, saved or not: no result, so no sink.
    session.setStepSavedListener([this] { CountUsage(); });
    session.sinks.add(remoteCopySink, SinkPlace::RemoteCopies);
    session.sinks.add(reportSink, SinkPlace::Report);
}

bool Program::LoadFiles() {
    if (!paramFile.LoadMainOrOfferBackup()) return false;
    settings.LoadSettings();
    session.run.UnitsInches = params.SysParam(slot::Units).number() == 0;
    return true;
}

void Program::StartInstruments() {
    logs.TestLog("", TestLogKind::Launch);
    discovery.CheckInstrumentLinks();
    (void)logs.HobbsMeterUpdate("0.00");
    if (!links.DemoMode()) logs.StartUsage();
    links.SetStageTemp(20.0f, true);
    session.EnterTest();
    session.ShowReferenceState(true);
}

void Program::CountUsage() {
    if (!links.DemoMode()) logs.CountUsage();
}

void Program::ShutDown(bool saveSettings) {
    session.ticks.SuspendTicks();
    links.SetStageTestMode(false, true);
    links.SetStageTemp(20.0f, false);
    if (saveSettings) settings.SaveSettings();
    links.OpenCommPort(false, Link::All);
    CountUsage();
    (void)paramFile.ReadWriteSysFile(SysFileAccess::Save, false, SysFileCopy::Main);
    (void)paramFile.ReadWriteSysFile(SysFileAccess::Save, false, SysFileCopy::Backup);
    // The lab server gets a moment to take what waits; the rest waits for the next start.
    if (resultsStore) (void)resultsStore->Drain(std::chrono::seconds(3));
}

bool Program::OpenResultsStore(const std::optional<std::string>& given) {
    std::string error;
    try {
        const auto address = results::ChooseStoreAddress(given, folders.SysFolder, error);
        if (!address) throw results::StoreError(error);
        const bool lab = address->engine == results::StoreEngine::Postgres;
        resultsStore = std::make_unique<results::ResultsStore>(
            lab ? results::LocalStoreAddress(folders.SysFolder) : *address,
            lab ? std::optional(*address) : std::nullopt);
        storeSink = std::make_unique<results::StoreSink>(*resultsStore, results::ThisWorkstation());
        session.sinks.add(*storeSink);
        resultsWhere_ = lab ? results::LocalStoreAddress(folders.SysFolder).text() +
                                  ", forwarded to " + address->text()
                            : address->text();
        return true;
    } catch (const std::exception& e) {
        resultsStore.reset();
        ShowMessage(op_, std::string(e.what()) + "\nTests go on; their files are written as always.",
                    kResultsStoreTitle, MessageIcon::Exclamation);
        return false;
    }
}

std::string Program::ResultsStatusText() const {
    return resultsStore ? resultsStore->StatusText() : std::string();
}

} // namespace dilato
