// The results store as a test's sink, on both engines (the PostgreSQL one as the lab server the
// local store forwards to): a test's results keep the uncertainty of the system correction
// they use, and the test's row says which correction that was.

#include "ScratchStore.h"

#include "results/ResultsStore.h"
#include "results/StoreSink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>

namespace dilato {
namespace {

using namespace results;
using namespace std::chrono_literals;
using test::Engine;

class StoreSinkEngine : public ::testing::TestWithParam<Engine> {};

StepEvidence Step(int step, float temperature, float indicator) {
    StepEvidence e;
    e.step = step;
    e.facts.setPoint = temperature;
    e.endTemperature = temperature;
    e.endIndicator = indicator;
    e.tempReadings = 30;
    e.tempSigma = 0.01;
    e.noiseReadings = 50;
    e.indicatorSigma = 1e-6;
    return e;
}

// A column that shrinks 0.5 µin per degree, learnt from a copper run on a 2 in sample.
CorrectionInUse Measured() {
    CorrectionInUse use;
    use.curve = ColumnCorrection::Fit({{20, 0, 1e-7}, {50, -15e-6, 1e-7}, {80, -30e-6, 1e-7}},
                                      2.0, 0.014, 16.9);
    use.record = 4;
    use.text = "correction record 4 of 01-04-2026 from SRM736 over 20.0 \xC2\xB0"
               "C to 80.0 \xC2\xB0"
               "C";
    use.warnings = {"The instrument is out of control"};
    use.outOfControl = true;
    return use;
}

TEST_P(StoreSinkEngine, ResultsKeepTheirCorrectionsUncertaintyAndTheRowNamesIt) {
    SKIP_WITHOUT_SERVER(GetParam());
    const bool server = GetParam() == Engine::Postgres;
    test::ScratchStore pc(Engine::Sqlite);
    std::optional<test::ScratchStore> lab;
    if (server) lab.emplace(Engine::Postgres);

    const std::vector<StepEvidence> evidence{Step(1, 20.0f, 0.0100f), Step(2, 80.0f, 0.0120f)};
    StepData data;
    data.reset(2);
    ResultTable table;
    table.at(1, result::StartTemp) = 20.0f;
    table.at(1, result::EndTemp) = 80.0f;
    table.at(1, result::Cte) = 16.9f;

    struct Case {
        const char* uid;
        CorrectionInUse correction;
        std::string reference;
    };
    const Case cases[] = {{"fixed", CorrectionInUse{}, ""}, {"measured", Measured(), "SRM736"}};
    std::map<std::string, QString> keys;
    {
        ResultsStore store(pc.address(),
                           lab ? std::optional<StoreAddress>(lab->address()) : std::nullopt);
        StoreSink sink(store, Workstation{"op", "pc"});
        for (const Case& c : cases) {
            TestOpening opening;
            opening.testName = c.uid;
            opening.sampleLength = 2.0f;
            opening.setPoints = {20, 80};
            opening.batchTemps = 2;
            opening.correction = c.correction;
            opening.referenceMaterial = c.reference;
            sink.TestStarted(opening);
            keys[c.uid] = sink.testKey();
            for (int step = 1; step <= 2; ++step)
                sink.StepSaved(StepSaving{step, QDateTime::currentDateTime(), data, table,
                                          evidence, c.uid, {}});
            sink.TestEnded(TestEnding{"completed", QDateTime::currentDateTime()});
        }
        if (server) {
            ASSERT_TRUE(store.Drain(30s));
        }
    }

    StoreConnection c(server ? lab->address() : pc.address());
    const auto value = [&](const std::string& uid, const char* sql) {
        QSqlQuery q = c.Prepare(QString::fromLatin1(sql));
        q.addBindValue(keys.at(uid));
        c.Run(q);
        return q.next() ? q.value(0) : QVariant();
    };
    const std::vector<double> setPoints{20, 80};
    const PlanShape plan{setPoints, 2, false};
    for (const Case& t : cases) {
        SCOPED_TRACE(t.uid);
        const auto& curve = t.correction.curve;
        const TestEvidence expected =
            BuildTestEvidence(evidence, table, plan, 2.0f, {}, curve ? &*curve : nullptr);
        ASSERT_EQ(expected.results.size(), 1u);
        EXPECT_NEAR(value(t.uid, "SELECT expanded_u FROM results WHERE test_uid = ?").toDouble(),
                    expected.results[0].budget.expanded, 1e-9);
        EXPECT_EQ(value(t.uid, "SELECT system_correction FROM tests WHERE test_uid = ?")
                      .toString()
                      .toStdString(),
                  t.correction.text);
        const QVariant reference =
            value(t.uid, "SELECT reference_material FROM tests WHERE test_uid = ?");
        EXPECT_EQ(reference.toString().toStdString(), t.reference);
        EXPECT_EQ(reference.isNull(), t.reference.empty()) << "an ordinary test names none";
        EXPECT_EQ(value(t.uid, "SELECT reference_out_of_control FROM tests WHERE test_uid = ?")
                      .toInt(),
                  t.correction.outOfControl ? 1 : 0);
    }
    // The measured correction's own uncertainty is far below the fixed correction's.
    EXPECT_LT(value("measured", "SELECT expanded_u FROM results WHERE test_uid = ?").toDouble(),
              value("fixed", "SELECT expanded_u FROM results WHERE test_uid = ?").toDouble());
}

INSTANTIATE_TEST_SUITE_P(BothEngines, StoreSinkEngine,
                         ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const ::testing::TestParamInfo<Engine>& engine) {
                             return test::EngineName(engine.param);
                         });

} // namespace
} // namespace dilato
