#include "results/StoreSink.h"

#include "platform/Version.h"
#include "results/Query.h"

#include <QHostInfo>
#include <QUuid>

#include <pwd.h>
#include <unistd.h>

namespace dilato::results {

Workstation ThisWorkstation() {
    Workstation w;
    if (const passwd* pw = ::getpwuid(::geteuid())) w.operatorLogin = pw->pw_name;
    w.pcName = QHostInfo::localHostName().toStdString();
    return w;
}

void StoreSink::TestStarted(const TestOpening& t) {
    // A test that stopped without an end (its save failed) is not left "running".
    if (!uid_.isEmpty()) store_.Write({TestEndRow(uid_, t.started, "interrupted")});
    uid_ = QUuid::createUuid().toString(QUuid::WithoutBraces);
    opening_ = t;
    readings_.fill(0);
    store_.Write({TestRow(uid_, Facts(t)), CalibrationRow(uid_, t.calibration)});
}

void StoreSink::TestResumed(const TestResumption& r) {
    if (!uid_.isEmpty()) store_.Write({TestEndRow(uid_, r.test.started, "interrupted")});
    uid_.clear();
    opening_ = r.test;
    readings_.fill(0);
    // The interrupted test's own row, still "running", when the store followed it; its
    // readings are there already.
    TestFilter filter;
    filter.dataFolder = r.test.dataFolder;
    for (const FoundTest& found : FindTests(store_.local(), filter))
        if (found.testName == QString::fromStdString(r.test.testName) && found.ending == "running")
            uid_ = found.uid; // the newest is listed last
    const bool known = !uid_.isEmpty();
    if (!known) uid_ = QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::vector<StoreRow> rows;
    if (!known) {
        rows.push_back(TestRow(uid_, Facts(r.test)));
        rows.push_back(CalibrationRow(uid_, r.test.calibration));
    }
    for (int step = 1; step <= r.stepsSaved && step <= r.data.stepCount(); ++step) {
        const int count = r.data.readingCount(step);
        readings_.at(static_cast<size_t>(step)) = count;
        if (known) continue;
        // When each was stored is known to the journal only: left open.
        for (int n = 1; n <= count; ++n)
            rows.push_back(ReadingRow(uid_, step, n, r.data.reading(step, n), QDateTime()));
    }
    store_.Write(rows);
}

TestFacts StoreSink::Facts(const TestOpening& t) const {
    TestFacts facts;
    facts.systemFolder = t.systemFolder;
    facts.dataFolder = t.dataFolder;
    facts.testName = t.testName;
    facts.sampleId = t.sampleId;
    facts.material = MaterialClassName(t.materialClass);
    facts.sampleLength = t.sampleLength;
    facts.lengthUnits = t.unitsInches ? "in" : "mm";
    facts.operatorLogin = where_.operatorLogin;
    facts.pcName = where_.pcName;
    facts.instrumentSerial = t.instrumentSerial;
    facts.programVersion = kVersionText;
    facts.accuracyOption = t.accuracyOption;
    facts.setPoints = t.setPoints;
    facts.initialIndicator = t.initial.indicator;
    facts.initialTemp = t.initial.sampleTemp;
    facts.started = t.started;
    facts.ending = "running";
    facts.origin = "live";
    facts.systemCorrection = t.correction.text;
    facts.referenceMaterial = t.referenceMaterial;
    facts.referenceOutOfControl = t.correction.outOfControl;
    return facts;
}

void StoreSink::ReadingStored(int step, const Reading& reading, const QDateTime& at) {
    if (uid_.isEmpty()) return;
    const int number = ++readings_.at(static_cast<size_t>(step));
    store_.Write({ReadingRow(uid_, step, number, reading, at)});
}

void StoreSink::StepSaved(const StepSaving& s) {
    if (uid_.isEmpty()) return;
    std::vector<StoreRow> rows;
    const size_t at = static_cast<size_t>(s.step - 1);
    const StepEvidence* evidence =
        at < s.evidence.size() && s.evidence[at].step == s.step ? &s.evidence[at] : nullptr;
    const std::optional<double> setPoint =
        at < opening_.setPoints.size() ? std::optional<double>(opening_.setPoints[at]) : std::nullopt;
    rows.push_back(StepRow(uid_, s.step, setPoint, evidence, nullptr, s.at));
    if (s.step >= 2) {
        // The results so far, as the summary reports them, with their U and flags.
        const PlanShape plan{opening_.setPoints, opening_.batchTemps, opening_.roundTrip,
                             opening_.materialClass};
        // The budgets with the correction the results use, as the summary gives them.
        const auto& curve = opening_.correction.curve;
        const TestEvidence test = BuildTestEvidence(s.evidence, s.results, plan,
                                                    opening_.sampleLength, {},
                                                    curve ? &*curve : nullptr);
        for (const ResultEvidence& r : test.results)
            if (r.toStep <= s.step && r.fromStep <= s.step) rows.push_back(ResultRow(uid_, r.key, r));
    }
    for (const std::string& file : s.files)
        if (auto row = FileRow(uid_, FileKind(file), file, s.at)) rows.push_back(std::move(*row));
    if (s.testName != opening_.testName) { // an incomplete test keeps its files under a -x name
        rows.push_back(StoreRow{"tests",
                                {{"row_key", uid_},
                                 {"test_uid", uid_},
                                 {"test_name", QString::fromStdString(s.testName)}}});
    }
    store_.Write(rows);
}

void StoreSink::TestEnded(const TestEnding& ending) {
    if (uid_.isEmpty()) return;
    store_.Write({TestEndRow(uid_, ending.at, ending.how)});
    uid_.clear();
}

} // namespace dilato::results
