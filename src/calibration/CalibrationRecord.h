#pragma once
// The instrument's calibration records: one numbered text file per calibration ("Cal_" + n +
// ".txt", n the first free number) in a folder per serial number (SysFolder + "Calib-" +
// serial), opened by a header with the serial number, date and time. Records are appended
// to, never overwritten or deleted.

#include "calibration/CalibrationDialogs.h"
#include "platform/Clock.h"
#include "platform/Operator.h"
#include "storage/SystemParameters.h"

#include <functional>
#include <string>
#include <vector>

namespace dilato {

// The folder of the records of the present serial number, without a trailing separator. The
// records and the tab's Browse button both name it so; a serial number never set (0) has
// the folder "Calib-0".
[[nodiscard]] std::string CalibrationRecordFolder(const std::string& sysFolder,
                                                  const SystemParameters& params);
// The serial number as a record's header shows it; "not set" for a serial number of 0.
[[nodiscard]] std::string RecordSerialText(const SystemParameters& params);

class CalibrationRecord {
  public:
    CalibrationRecord(const std::string& sysFolder, const SystemParameters& params, Clock& clock,
                      Operator& op)
        : sysFolder_(sysFolder), params_(params), clock_(clock), op_(op) {}

    // The record folder of the present serial number (with its trailing separator).
    [[nodiscard]] std::string Folder() const;
    // true: forms the next free record name, making the folder when missing; false: clears
    // the current record name, so that the next line starts a new record.
    void StartRecord(bool start);
    [[nodiscard]] const std::string& RecordName() const { return name_; }

    // Appends one line to the current record, starting a new record (header and dash line in
    // place of the line) when there is none. Once the calibration is done (`calDone`), the
    // first line written asks for the calibrator's identification, once per record.
    void WriteCalFile(const std::string& text);

    // Whether the calibration is done; read when a line is written.
    void setCalDone(std::function<bool()> calDone) { calDone_ = std::move(calDone); }
    // The identification dialog; it writes its own lines back through WriteCalFile.
    void setIdentification(std::function<void()> ask) { identification_ = std::move(ask); }

    // The header line of a record started now.
    [[nodiscard]] std::string HeaderLine() const;

  private:
    const std::string& sysFolder_;
    const SystemParameters& params_;
    Clock& clock_;
    Operator& op_;
    std::string name_;
    bool identificationAsked_ = false;
    std::function<bool()> calDone_;
    std::function<void()> identification_;
};

// The lines the identification dialog's OK button writes.
[[nodiscard]] std::vector<std::string> IdentificationLines(const std::string& serial,
                                                           const std::string& certificate);

} // namespace dilato
