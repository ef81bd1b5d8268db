#pragma once
// A store of its own for one test, on either engine: a SQLite file in a temporary folder, or
// a new database on the test PostgreSQL server that scripts/test starts
// (DILATO_TEST_POSTGRES), dropped at the end. A private server that a test may stop and start
// comes from scripts/test-postgres (DILATO_TEST_POSTGRES_CTL).

#include "results/StoreAddress.h"
#include "support/TempFolder.h"

#include <optional>
#include <string>

namespace dilato::test {

enum class Engine { Sqlite, Postgres };
[[nodiscard]] const char* EngineName(Engine engine);

// The test server's address; nullopt when the tests run without one.
[[nodiscard]] std::optional<std::string> TestServer();

class ScratchStore {
  public:
    explicit ScratchStore(Engine engine, std::optional<std::string> server = TestServer());
    ~ScratchStore();
    ScratchStore(const ScratchStore&) = delete;
    ScratchStore& operator=(const ScratchStore&) = delete;

    [[nodiscard]] const results::StoreAddress& address() const { return address_; }
    [[nodiscard]] std::string uri() const;
    [[nodiscard]] const TempFolder& folder() const { return folder_; }

  private:
    TempFolder folder_;
    results::StoreAddress address_;
    std::string admin_; // the server's address, to drop the database at the end
};

// A PostgreSQL server of the test's own, which it may stop and start.
class PrivateServer {
  public:
    PrivateServer();
    ~PrivateServer();
    [[nodiscard]] const std::string& uri() const { return uri_; }
    void Stop();
    void Start();

  private:
    std::string Ctl(const std::string& command);
    std::string folder_; // removed with the server
    std::string uri_;
};

// Skips the test when no test server runs (the suite outside scripts/test).
#define SKIP_WITHOUT_SERVER(engine)                                                               \
    if ((engine) == ::dilato::test::Engine::Postgres && !::dilato::test::TestServer())            \
    GTEST_SKIP() << "no test PostgreSQL server (scripts/test starts one)"

} // namespace dilato::test
