// The local store forwards to the lab server: two stores writing at once deliver every row
// once; a server that stops in the middle neither slows a write nor loses or doubles a row.

#include "ScratchStore.h"

#include "results/ResultsStore.h"
#include "results/TestRows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace dilato {
namespace {

using namespace results;
using namespace std::chrono_literals;

std::vector<StoreRow> Readings(const QString& uid, int from, int count) {
    std::vector<StoreRow> rows;
    for (int n = from; n < from + count; ++n)
        rows.push_back(ReadingRow(uid, 1, n, Reading{0.1f * n, 1e-6f * n, 20.0f, 0, 0},
                                  QDateTime::currentDateTime()));
    return rows;
}

long long Count(const StoreAddress& address, const QString& sql) {
    StoreConnection c(address);
    return c.Value(sql).toLongLong();
}

TEST(Forwarding, TwoPcsWritingToOneServerAtOnceDeliverEveryRowOnce) {
    if (!test::TestServer()) GTEST_SKIP() << "no test PostgreSQL server";
    test::ScratchStore lab(test::Engine::Postgres);
    test::ScratchStore pc1(test::Engine::Sqlite), pc2(test::Engine::Sqlite);
    {
        ResultsStore a(pc1.address(), lab.address()), b(pc2.address(), lab.address());
        auto write = [](ResultsStore& store, const QString& uid) {
            for (int n = 1; n <= 200; n += 10) store.Write(Readings(uid, n, 10));
        };
        std::thread first([&] { write(a, "pc1-test"); });
        write(b, "pc2-test");
        first.join();
        EXPECT_TRUE(a.Drain(30s));
        EXPECT_TRUE(b.Drain(30s));
        EXPECT_EQ(a.StatusText(), "");
    }
    EXPECT_EQ(Count(lab.address(), "SELECT COUNT(*) FROM readings"), 400);
    EXPECT_EQ(Count(lab.address(), "SELECT COUNT(DISTINCT row_key) FROM readings"), 400);
    EXPECT_EQ(Count(lab.address(), "SELECT COUNT(*) FROM readings WHERE test_uid = 'pc2-test'"),
              200);
    EXPECT_EQ(Count(pc1.address(), "SELECT COUNT(*) FROM outbox"), 0);
}

TEST(Forwarding, AServerStoppedMidTestCostsNoWaitAndLosesOrDoublesNothing) {
    if (!std::getenv("DILATO_TEST_POSTGRES_CTL")) GTEST_SKIP() << "no test PostgreSQL server";
    test::PrivateServer server;
    std::string error;
    const StoreAddress lab = *ParseStoreAddress(server.uri(), error);
    test::ScratchStore pc(test::Engine::Sqlite);
    ResultsStore store(pc.address(), lab, 200ms);
    store.Write(Readings("t", 1, 50));
    ASSERT_TRUE(store.Drain(30s));

    server.Stop();
    auto slowest = std::chrono::steady_clock::duration::zero();
    for (int n = 51; n <= 150; ++n) {
        const auto start = std::chrono::steady_clock::now();
        store.Write(Readings("t", n, 1));
        slowest = std::max(slowest, std::chrono::steady_clock::now() - start);
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_LT(slowest, 50ms) << "a write waited on the stopped server";
    std::printf("slowest of 100 writes while the server was stopped: %.2f ms\n",
                std::chrono::duration<double, std::milli>(slowest).count());
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (store.StatusText().empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    // The 100 new rows wait; a row that was on its way when the server stopped waits with them.
    const std::string offline = store.StatusText();
    EXPECT_TRUE(offline == "results server offline (100 waiting)" ||
                offline == "results server offline (101 waiting)")
        << offline;

    server.Start();
    ASSERT_TRUE(store.Drain(30s)) << store.StatusText();
    EXPECT_EQ(store.StatusText(), "");
    EXPECT_EQ(Count(lab, "SELECT COUNT(*) FROM readings"), 150);
    EXPECT_EQ(Count(lab, "SELECT SUM(reading_no) FROM readings"), 150 * 151 / 2)
        << "each reading arrived, none twice";
}

} // namespace
} // namespace dilato
