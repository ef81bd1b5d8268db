// A simulated test with the results store registered, on either engine: the store holds the
// test once, every stored reading, each step, the summary's results with the same values,
// and the hashes of the files as they are on the disk.

#include "SimulatedProgram.h"

#include "platform/IniFile.h"
#include "results/FileImport.h"
#include "results/Schema.h"
#include "results/TestRows.h"
#include "ScratchStore.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

using namespace std::chrono_literals;
using test::Engine;

class StoreEndToEnd : public ::testing::TestWithParam<Engine> {};

TEST_P(StoreEndToEnd, ASimulatedTestArrivesWholeWithTheSummarysResultsAndItsFileHashes) {
    SKIP_WITHOUT_SERVER(GetParam());
    test::ScratchStore lab(GetParam());
    test::SimulatedProgram p{sim::BenchParams{}, "20/50/80/0/0/0/0/0/0", 3};
    ASSERT_TRUE(p.program.OpenResultsStore(lab.uri())) << p.op.last().text;
    p.program.session.window.view().materialClass = "metal";
    p.RunTest();
    ASSERT_EQ(p.program.session.run.StepsSaved, 3);
    ASSERT_TRUE(p.program.resultsStore->Drain(30s)) << p.program.ResultsStatusText();

    results::StoreConnection c(lab.address());
    auto value = [&c](const std::string& sql) { return c.Value(QString::fromStdString(sql)); };
    EXPECT_EQ(value("SELECT COUNT(*) FROM tests").toInt(), 1);
    const QString uid = value("SELECT test_uid FROM tests").toString();
    EXPECT_EQ(value("SELECT ending FROM tests").toString(), "completed");
    EXPECT_EQ(value("SELECT test_name FROM tests").toString(), "Sample1");
    EXPECT_EQ(value("SELECT data_folder FROM tests").toString(), "Demo");
    EXPECT_EQ(value("SELECT set_points FROM tests").toString(), "20,50,80");
    EXPECT_EQ(value("SELECT material FROM tests").toString(), "metal") << "the class it ran as";
    EXPECT_EQ(value("SELECT system_correction FROM tests").toString(), "fixed fixture correction");
    EXPECT_TRUE(value("SELECT reference_material FROM tests").isNull()) << "no reference run";
    EXPECT_EQ(value("SELECT reference_out_of_control FROM tests").toInt(), 0);
    EXPECT_EQ(value("SELECT COUNT(*) FROM results WHERE at_equilibrium = 1").toInt(), 3);
    EXPECT_EQ(value("SELECT COUNT(*) FROM calibrations").toInt(), 1);

    const StepData& data = p.program.session.run.stepData;
    int readings = 0;
    for (int s = 1; s <= 3; ++s) readings += data.readingCount(s);
    EXPECT_EQ(value("SELECT COUNT(*) FROM readings").toInt(), readings);
    EXPECT_EQ(value("SELECT COUNT(*) FROM steps WHERE ending IS NOT NULL").toInt(), 3);

    const std::string summary = p.program.folders.SummaryFileName;
    for (int k = 1; k <= 3; ++k) {
        results::SummaryResult expected;
        ASSERT_TRUE(results::ParseResultLine(
            ReadIniValue(summary, "CTE Test Summary #", "CTE " + std::to_string(k) + ":"), expected));
        QSqlQuery q = c.Prepare(QStringLiteral(
            "SELECT from_temp_c, to_temp_c, cte_per_c, accuracy, expanded_u FROM results WHERE "
            "result_no = ?"));
        q.addBindValue(k);
        c.Run(q);
        ASSERT_TRUE(q.next()) << "result " << k;
        EXPECT_NEAR(q.value(0).toDouble(), expected.fromTemp, 0.05) << "result " << k;
        EXPECT_NEAR(q.value(1).toDouble(), expected.toTemp, 0.05) << "result " << k;
        EXPECT_NEAR(q.value(2).toDouble(), expected.cte, 0.05) << "result " << k;
        EXPECT_NEAR(q.value(3).toDouble(), expected.accuracy, 0.0005) << "result " << k;
        EXPECT_GT(q.value(4).toDouble(), 0.0) << "its expanded uncertainty";
    }
    for (const std::string kind : {"raw", "summary"}) {
        QSqlQuery q = c.Prepare(QStringLiteral("SELECT path, sha256 FROM files WHERE kind = ?"));
        q.addBindValue(QString::fromStdString(kind));
        c.Run(q);
        ASSERT_TRUE(q.next()) << kind;
        EXPECT_EQ(q.value(1).toString().toStdString(),
                  results::FileSha256(q.value(0).toString().toStdString()).value_or(""))
            << kind << " as it is on the disk";
    }
    EXPECT_TRUE(p.op.messages.empty()) << p.op.last().text;

    // Imported from its files, the test names the correction its summary gives.
    test::ScratchStore imported(Engine::Sqlite);
    results::StoreConnection fresh(imported.address());
    results::MigrateStore(fresh);
    results::ImportReport report;
    results::ImportRawDataFile(fresh, p.program.folders.DataPath + "Sample1_CTE.dat", "", report);
    EXPECT_EQ(fresh.Value(QStringLiteral("SELECT system_correction FROM tests")).toString(),
              "fixed fixture correction");
}

INSTANTIATE_TEST_SUITE_P(BothEngines, StoreEndToEnd,
                         ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const auto& info) { return test::EngineName(info.param); });

} // namespace
} // namespace dilato
