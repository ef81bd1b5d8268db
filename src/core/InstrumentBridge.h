#pragma once
// Joins the instrument links to the test run: the run sees the links as its TestInstruments;
// the links see the run's tick, instrument abort and "initialising" display as their LinkHost,
// and the settings file as their ComPortSettings.

#include "core/SettingsFile.h"
#include "core/TestInstruments.h"
#include "core/TestSession.h"
#include "instrument/ComDiscovery.h"
#include "instrument/InstrumentLinks.h"

namespace dilato {

class InstrumentBridge final : public TestInstruments, public LinkHost, public ComPortSettings {
  public:
    explicit InstrumentBridge(SettingsFile& settings) : settings_(settings) {}

    // The two sides, once built (the links need the bridge first, the session the links).
    void attach(InstrumentLinks& links, ComDiscovery& discovery, TestSession& session) {
        links_ = &links;
        discovery_ = &discovery;
        session_ = &session;
    }

    // TestInstruments
    void SetStageTemp(float temp, bool raw) override { links_->SetStageTemp(temp, raw); }
    void SetStageTestMode(bool on, bool waitForLink) override {
        links_->SetStageTestMode(on, !waitForLink);
    }
    bool ReadDisplacement() override { return links_->ReadDisplacement(); }
    bool ReadStageTemp() override { return links_->ReadStageTemperature(0, false, false); }
    // Asked from the ticks: the program is running.
    void CheckInstrumentLinks() override { discovery_->CheckInstrumentLinks(false); }
    [[nodiscard]] bool Measuring() const override { return !links_->DemoMode(); }
    [[nodiscard]] float IndicatorReading() const override { return links_->IndicatorReading(); }
    [[nodiscard]] float SampleTemp() const override { return links_->SampleTemp(); }
    [[nodiscard]] int CommandedTemp() const override { return links_->CommandedTemp(); }

    // LinkHost
    void SuspendTicks() override { session_->ticks.SuspendTicks(); }
    void EnableTicks() override { session_->ticks.EnableTicks(); }
    [[nodiscard]] bool TicksActive() const override { return session_->ticks.TicksActive(); }
    void AbortErrors(int failureKind) override { session_->start.AbortErrors(failureKind); }
    void ShowStageInitializing() override {
        session_->window.view().initializingLabelVisible = true;
    }

    // ComPortSettings
    [[nodiscard]] int DisplacementComPort() const override { return settings_.displacementComPort; }
    [[nodiscard]] int TempStageComPort() const override { return settings_.tempStageComPort; }
    void setDisplacementComPort(int port) override {
        settings_.displacementComPort = static_cast<std::int16_t>(port);
    }
    void setTempStageComPort(int port) override {
        settings_.tempStageComPort = static_cast<std::int16_t>(port);
    }
    void SaveSettings() override { settings_.SaveSettings(); }

  private:
    SettingsFile& settings_;
    InstrumentLinks* links_ = nullptr;
    ComDiscovery* discovery_ = nullptr;
    TestSession* session_ = nullptr;
};

} // namespace dilato
