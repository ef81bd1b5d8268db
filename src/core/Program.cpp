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
                                          ReportFolders{folders.AppFolder, folders.SysFolder}) {
    bridge.attach(links, discovery, session);
    session.setStepSavedListener([this] { CountUsage(); });
    session.files.setReportSink([this](const ReportLines& lines) {
        report.WritePDF(ReportLineList{lines, session.files.lastEvidence()}, folders.DataPath);
    });
}

bool Program::LoadFiles() {
    if (!paramFile.LoadMainOrOfferBackup()) return false;
    settings.ReadDilatoIni();
    session.run.UnitsInches = params.SysParam(slot::Units).number() == 0;
    return true;
}

void Program::StartInstruments() {
    logs.TestLog("", testlog::Launch);
    discovery.CheckInstrumentLinks();
    (void)logs.HobbsMeterUpdate("0.00");
    if (!links.DemoMode()) logs.StartUsage();
    links.SetStageTemp(20.0f, true);
    session.EnterTest();
}

void Program::CountUsage() {
    if (!links.DemoMode()) logs.CountUsage();
}

void Program::ShutDown(bool saveSettings) {
    session.ticks.SuspendTicks();
    links.SetStageTestMode(false, true);
    links.SetStageTemp(20.0f, false);
    if (saveSettings) settings.WriteDilatoIni();
    links.OpenCommPort(false, link::All);
    CountUsage();
    (void)paramFile.ReadWriteSysFile(SysFileAccess::Save, false, SysFileCopy::Main);
    (void)paramFile.ReadWriteSysFile(SysFileAccess::Save, false, SysFileCopy::Backup);
}

} // namespace dilato
