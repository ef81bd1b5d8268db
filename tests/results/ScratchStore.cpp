#include "ScratchStore.h"

#include "results/StoreConnection.h"

#include <QUuid>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <stdexcept>

namespace dilato::test {

const char* EngineName(Engine engine) {
    return engine == Engine::Sqlite ? "Sqlite" : "Postgres";
}

std::optional<std::string> TestServer() {
    const char* uri = std::getenv("DILATO_TEST_POSTGRES");
    if (!uri || !*uri) return std::nullopt;
    return std::string(uri);
}

ScratchStore::ScratchStore(Engine engine, std::optional<std::string> server) {
    if (engine == Engine::Sqlite) {
        address_.path = folder_.file("store.sqlite");
        return;
    }
    if (!server) throw std::runtime_error("no test PostgreSQL server");
    std::string error;
    auto admin = results::ParseStoreAddress(*server, error);
    if (!admin) throw std::runtime_error(error);
    admin_ = *server;
    address_ = *admin;
    address_.database = "t" + QUuid::createUuid().toString(QUuid::Id128).left(16).toStdString();
    results::StoreConnection connection(*admin);
    connection.Exec("CREATE DATABASE " + address_.database);
}

ScratchStore::~ScratchStore() {
    if (admin_.empty()) return;
    try {
        std::string error;
        results::StoreConnection connection(*results::ParseStoreAddress(admin_, error));
        connection.Exec("DROP DATABASE IF EXISTS " + address_.database + " WITH (FORCE)");
    } catch (const std::exception&) {
        // the server's folder goes at the end of the run anyway
    }
}

std::string ScratchStore::uri() const {
    if (address_.engine == results::StoreEngine::Sqlite) return "sqlite:" + address_.path;
    return address_.text();
}

PrivateServer::PrivateServer() {
    // Directly in /tmp: the server's account must reach the folder, which scripts/test-postgres
    // hands to it.
    char name[] = "/tmp/dilato-pgXXXXXX";
    if (!::mkdtemp(name)) throw std::runtime_error("cannot make a folder for a test server");
    folder_ = name;
    uri_ = Ctl("start");
}

PrivateServer::~PrivateServer() {
    try {
        (void)Ctl("remove");
    } catch (const std::exception&) {
    }
}

void PrivateServer::Stop() {
    (void)Ctl("stop");
}

void PrivateServer::Start() {
    (void)Ctl("start");
}

std::string PrivateServer::Ctl(const std::string& command) {
    const char* ctl = std::getenv("DILATO_TEST_POSTGRES_CTL");
    if (!ctl) throw std::runtime_error("DILATO_TEST_POSTGRES_CTL is not set");
    const std::string line = std::string(ctl) + " " + command + " '" + folder_ + "'";
    FILE* pipe = ::popen(line.c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run " + line);
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    if (::pclose(pipe) != 0) throw std::runtime_error(line + " failed");
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

} // namespace dilato::test
