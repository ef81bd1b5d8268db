// The update helper as the attack tests run it: the helper's own hand-over, run as root and
// started directly (as pkexec would), with two stand-ins a test needs: a test key instead of
// the release key, and a package manager that records the package it would install (its
// SHA-256, one line each, in $DILATO_TEST_INSTALLED_LOG) instead of installing it on the test
// machine. With DILATO_TEST_PAUSE set it names each step on standard output and waits for a
// line on standard input before it goes on, so that a test can act between the steps.
//
//   DILATO_TEST_KEY=<hex> DILATO_TEST_RESULTS=<folder> DILATO_TEST_INSTALLED_LOG=<file>
//   DILATO_TEST_INSTALLED_VERSION=1.3.7 test-update-helper <work folder>

#include "update/HandOver.h"
#include "update/ReleaseManifest.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : value;
}

struct RecordingPackages final : dilato::PackageSystem {
    std::string log;
    std::string version;
    std::string installedVersion() override { return version; }
    dilato::PackageInstall install(const std::string& deb, int) override {
        std::ifstream in(deb, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        const dilato::Sha256 hash = dilato::HashBytes(bytes);
        std::ofstream(log, std::ios::app) << dilato::HexText(hash.data(), hash.size()) << "\n";
        return {true, false, {}};
    }
};

} // namespace

int main(int argc, char** argv) {
    using namespace dilato;
    if (argc != 2) return 2;
    RecordingPackages packages;
    packages.log = Env("DILATO_TEST_INSTALLED_LOG");
    packages.version = Env("DILATO_TEST_INSTALLED_VERSION");
    HandOverConfig config;
    config.key = PublicKeyFromHex(Env("DILATO_TEST_KEY"));
    config.resultFolder = Env("DILATO_TEST_RESULTS") + "/record";
    config.log = Env("DILATO_TEST_RESULTS") + "/update.log";
    config.today = [] { return std::string("2026-12-09"); };
    if (!Env("DILATO_TEST_PAUSE").empty())
        config.between = [](const std::string& step) {
            std::cout << "step " << step << std::endl;
            std::string go;
            std::getline(std::cin, go);
        };
    const HandOverOutcome outcome = RunHandOver(argv[1], packages, config);
    std::cout << (outcome.installed ? "installed " : "refused ") << outcome.message << std::endl;
    return outcome.installed ? 0 : 1;
}
