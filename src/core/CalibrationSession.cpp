#include "core/CalibrationSession.h"

namespace dilato {

CalibrationSession::CalibrationSession(Program& p, CalibrationDialogs& dialogs,
                                       std::function<void(const std::string&)> openFolder)
    : link(CalibratorLinkServices{p.links, dialogs, p.settings.calibratorType,
                                  [&p] { return p.discovery.ComPorts(); }}),
      testUtility(link, p.links.services().op, p.links.services().clock),
      record(p.folders.SysFolder, p.params, p.links.services().clock, p.links.services().op),
      calibration(StageCalibrationServices{link, p.params, record, tab, view,
                                           [&p] {
                                               return p.paramFile.ReadWriteSysFile(
                                                   SysFileAccess::Save, false, SysFileCopy::Main);
                                           }}),
      tab(CalibrationTabServices{p.session.run, p.session.window, p.session.ticks, p.links,
                                 p.paramFile, p.settings, p.logs, p.folders.SysFolder,
                                 std::move(openFolder)},
          calibration, link, testUtility, view),
      program_(p) {
    record.setCalDone([this] { return calibration.CalDone; });
    record.setIdentification([this] {
        const CalibratorIdentity id = link.dialogs().AskCalibratorIdentity();
        for (const std::string& line : IdentificationLines(id.serial, id.certificate))
            record.WriteCalFile(line);
    });
    p.session.cycle.setCalibrationStep([this] { tab.Step(); });
}

CalibrationSession::~CalibrationSession() {
    program_.session.cycle.setCalibrationStep({});
}

} // namespace dilato
