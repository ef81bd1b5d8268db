#pragma once
// From the Start button to the first set point: orders the plan, checks the test name, the
// data folder and the sample length, prepares the window for a running test and hands over
// to the sequencer. Also the instrument abort that stops a test when an instrument is silent.

#include "core/Sequencer.h"
#include "storage/Folders.h"
#include "storage/SampleClassMemory.h"

#include <functional>

namespace dilato {

inline constexpr const char* kDataFolderErrorTitle = "Data Folder Error";

// The abort message and title of an instrument failure.
struct AbortMessage {
    std::string text, title;
};

class TestStart {
  public:
    TestStart(SequencerContext context, Sequencer& sequencer, Folders& folders)
        : c_(std::move(context)), sequencer_(sequencer), folders_(folders) {}

    // The Start button: Start disabled, status "Ready (1 of N)", and the request for the next
    // tick; the ticks are resumed when they are not running.
    void StartPressed();
    // Run by the read cycle on the first idle tick after the Start button.
    void StartTest();
    // Chooses the system correction (and the reference material of a reference run) once the
    // sample is accepted; false stops the start.
    void setPrepareCorrection(std::function<bool()> prepare) { prepare_ = std::move(prepare); }
    // Test name, data folder and summary name; the window's buttons for a running test.
    [[nodiscard]] bool PrepareTestStart();
    // True when the data folder can take the test's files; otherwise the operator is told
    // why and the test does not start.
    [[nodiscard]] bool DataFolderWritable();

    // Stops the test after an instrument failure (failure kind 1, 2, 3, 4, 8 or other) and tells
    // the operator; the next tick's link check takes over.
    void AbortErrors(int failureKind);
    // The same abort with a message of its own (a failure the types above do not name).
    void AbortWith(const AbortMessage& message);

    // The class each sample ID was last started with (the operator's own; nothing kept until
    // the program says where): a started test keeps its class there, the Test tab offers it
    // again for the same sample ID.
    SampleClassMemory sampleClasses;

  private:
    void RememberSampleClass(const std::string& sampleId, MaterialClass kind);
    SequencerContext c_;
    Sequencer& sequencer_;
    Folders& folders_;
    std::function<bool()> prepare_;
};

// The abort message and title of an instrument failure type.
[[nodiscard]] AbortMessage AbortMessageFor(int failureKind);

} // namespace dilato
