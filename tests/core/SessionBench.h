#pragma once
// A whole test session on the virtual clock with the fake instruments: a system folder in a
// temporary folder, a plan in the parameter table, the Test tab filled in.

#include "CoreFakes.h"

#include "core/TestSession.h"
#include "platform/VirtualClock.h"
#include "storage/Folders.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <functional>

namespace dilato::test {

struct SessionBench {
    explicit SessionBench(std::vector<int> plan = {20, 50, 80},
                          QDateTime start = QDateTime(QDate(2026, 3, 2), QTime(9, 0)))
        : clock(start), instruments(clock), folders(dir.path() + "app/", dir.path() + "sys/") {
        std::filesystem::create_directories(folders.DataRoot());
        params.SysParam(slot::SerialNumber) = 1234;
        params.SysParam(slot::AccuracyOption) = 1;
        params.SysParam(slot::OptimumTempOrdering) = 1;
        params.SysParam(slot::NumberOfBatchTests) = static_cast<int>(plan.size());
        params.SysParam(slot::AddRoundTripTests) = 0;
        params.SysParam(slot::TestEndTempOption) = 0;
        for (int i = 0; i < 9; ++i)
            params.SysParam(slot::FirstBatchTemp + i) = std::to_string(
                i < static_cast<int>(plan.size()) ? plan[static_cast<size_t>(i)] : 0);
        folders.DataPath = folders.DataRoot() + "Demo/";
        session = std::make_unique<TestSession>(
            SessionAdapters{clock, op, termination, instruments, log, params, folders});
        auto& view = session->window.view();
        view.dataFolder = "Demo";
        view.dataFile = "Bar";
        view.sampleId = "Cu";
        view.sampleLength = "2.0";
    }

    // Enters the Test tab and presses Start.
    void Start() {
        session->EnterTest();
        session->start.StartPressed();
    }
    // Lets the ticks run until `done` holds or `maxMinutes` of virtual time have passed.
    bool RunUntil(const std::function<bool()>& done, double maxMinutes) {
        for (double t = 0; t < maxMinutes * 60.0; t += 1.0) {
            if (done()) return true;
            clock.advance(1.0);
        }
        return done();
    }
    [[nodiscard]] TestRun& run() { return session->run; }
    [[nodiscard]] std::string DataFile(const std::string& name) const {
        return folders.DataRoot() + "Demo/" + name;
    }

    TempFolder dir;
    VirtualClock clock;
    RecordingOperator op;
    RecordingTermination termination;
    MemoryLog log;
    FakeInstruments instruments;
    SystemParameters params;
    Folders folders;
    std::unique_ptr<TestSession> session;
};

} // namespace dilato::test
