// The store on both engines with the same test code: its migrations, its refusal of a store
// newer than the program, and rows that are written once however often they are sent.

#include "ScratchStore.h"

#include "results/Query.h"
#include "results/Schema.h"
#include "results/StoreRow.h"
#include "results/TestRows.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace dilato {
namespace {

using namespace results;
using test::Engine;

class StoreEngine : public ::testing::TestWithParam<Engine> {};

long long Count(StoreConnection& c, const char* sql) {
    return c.Value(QString::fromLatin1(sql)).toLongLong();
}

TEST_P(StoreEngine, MigratesOnceAndRefusesAStoreANewerProgramWrote) {
    SKIP_WITHOUT_SERVER(GetParam());
    test::ScratchStore scratch(GetParam());
    StoreConnection c(scratch.address());
    EXPECT_EQ(StoreVersion(c), 0);
    MigrateStore(c);
    MigrateStore(c); // a second program start
    EXPECT_EQ(StoreVersion(c), SchemaVersion());
    EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM store_migrations"), SchemaVersion());

    c.Exec("INSERT INTO store_migrations (version, applied_at, program_version) VALUES (" +
           std::to_string(SchemaVersion() + 1) + ", 'later', '9.0.0')");
    c.Exec("DROP TABLE results"); // a later migration's change
    try {
        MigrateStore(c);
        FAIL() << "a store newer than the program was used";
    } catch (const StoreError& e) {
        EXPECT_NE(std::string(e.what()).find("was written by a newer Dilato (store version " +
                                             std::to_string(SchemaVersion() + 1)),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM store_migrations"), SchemaVersion() + 1)
        << "the refused store is left as it was";
}

TEST_P(StoreEngine, ARowWrittenAgainIsOneRowWithItsLatestValues) {
    SKIP_WITHOUT_SERVER(GetParam());
    test::ScratchStore scratch(GetParam());
    StoreConnection c(scratch.address());
    MigrateStore(c);
    TestFacts facts;
    facts.testName = "Bar";
    facts.sampleId = "Cu-7 \xC2\xB5"; // beyond ASCII
    facts.sampleLength = 2.0f;
    facts.setPoints = {20, 50};
    facts.started = QDateTime(QDate(2026, 3, 4), QTime(10, 0), Qt::UTC);
    facts.ending = "running";
    for (int i = 0; i < 3; ++i) UpsertRow(c, TestRow("uid-1", facts));
    UpsertRow(c, TestEndRow("uid-1", facts.started.addSecs(3600), "completed"));
    Reading r{12.5f, 0.012345f, 20.01f, 3.0f, 0.01235f};
    UpsertRow(c, ReadingRow("uid-1", 1, 1, r, facts.started));
    UpsertRow(c, ReadingRow("uid-1", 1, 1, r, facts.started));

    EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM tests"), 1);
    EXPECT_EQ(Count(c, "SELECT COUNT(*) FROM readings"), 1);
    const StoreRow row = ReadRow(c, "tests", "uid-1");
    ASSERT_FALSE(row.columns.empty());
    auto value = [&row](const std::string& name) {
        for (const auto& [n, v] : row.columns)
            if (n == name) return v;
        return QVariant();
    };
    EXPECT_EQ(value("ending").toString(), "completed") << "the end updates the row";
    EXPECT_EQ(value("sample_id").toString().toStdString(), facts.sampleId)
        << "and keeps what it does not name";
    EXPECT_EQ(value("set_points").toString(), "20,50");
    EXPECT_EQ(value("started_at").toString(), "2026-03-04T10:00:00Z");
    EXPECT_DOUBLE_EQ(value("sample_length_in").toDouble(), 2.0);
}

// A result's flags as the store keeps them, and the tests a query finds by them.
TEST_P(StoreEngine, AResultNotAtEquilibriumIsFlaggedAndFoundByItself) {
    SKIP_WITHOUT_SERVER(GetParam());
    test::ScratchStore scratch(GetParam());
    StoreConnection c(scratch.address());
    MigrateStore(c);
    ResultEvidence settled;
    settled.hasBudget = true;
    ResultEvidence drifting = settled;
    drifting.atEquilibrium = false;
    drifting.stillToCome = 540e-6;
    drifting.stillToComeFraction = 0.129;
    ResultEvidence small = settled;
    small.cte = 0.5f;
    small.belowMethodRange = true;
    small.belowNoiseRange = true;
    small.expansion = 30e-6;
    small.indicatorNoise = 4e-6;
    ResultEvidence unknown; // imported from a summary without evidence: nobody knows
    const struct {
        const char* uid;
        const ResultEvidence& result;
        const char* flags;
    } tests[] = {
        {"settled", settled, "none"},
        {"drifting", drifting,
         "not at equilibrium: 540.0 \xC2\xB5in (12.9 %) still to come"},
        {"small", small,
         "below the range of the method (under 1 \xC2\xB5/\xC2\xB0"
         "C); below the range of the method: 30.0 \xC2\xB5in of expansion, under 10 times the "
         "noise (4.0 \xC2\xB5in)"},
        {"unknown", unknown, "none"},
    };
    for (const auto& t : tests) {
        TestFacts facts;
        facts.testName = t.uid;
        facts.material = "metal";
        UpsertRow(c, TestRow(t.uid, facts));
        UpsertRow(c, ResultRow(t.uid, 1, t.result));
        EXPECT_EQ(StoreFlags(t.result), t.flags) << t.uid;
    }
    const auto found = [&](const TestFilter& f) {
        std::vector<std::string> uids;
        for (const FoundTest& t : FindTests(c, f)) uids.push_back(t.uid.toStdString());
        std::sort(uids.begin(), uids.end());
        return uids;
    };
    TestFilter notAtEquilibrium;
    notAtEquilibrium.notAtEquilibriumOnly = true;
    EXPECT_EQ(found(notAtEquilibrium), std::vector<std::string>{"drifting"});
    TestFilter flagged;
    flagged.flaggedOnly = true;
    EXPECT_EQ(found(flagged), (std::vector<std::string>{"drifting", "small"}));
    TestFilter metal;
    metal.material = "metal";
    EXPECT_EQ(found(metal).size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(BothEngines, StoreEngine,
                         ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         [](const auto& info) { return test::EngineName(info.param); });

} // namespace
} // namespace dilato
