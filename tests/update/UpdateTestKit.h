#pragma once
// Tools of the update tests: zip archives made to order (hostile ones too), a signing key made
// for the test, and a small HTTP server on the loopback address that the test runs itself.

#include "update/Fetcher.h"
#include "update/ReleaseManifest.h"
#include "update/Signature.h"

#include <QByteArray>
#include <QTcpServer>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace dilato::test {

// One entry of an archive made by MakeZip.
struct ZipEntry {
    std::string name;
    std::string bytes;
    unsigned unixMode = 0100644; // 0120777 makes a symbolic link (bytes = its target)
};
// Writes the archive to `path`; false when libzip refused.
bool MakeZip(const std::string& path, const std::vector<ZipEntry>& entries);

// A key pair made for the test; signs files the way the release tool does.
class TestSigningKey {
  public:
    TestSigningKey();
    [[nodiscard]] const PublicKey& publicKey() const { return public_; }
    [[nodiscard]] std::string sign(const std::string& bytes) const; // 64-byte signature
    void signFile(const std::string& path) const;                   // writes path + ".sig"

  private:
    PublicKey public_{};
    std::array<unsigned char, 64> secret_{};
};

// How the server answers one path.
struct Answer {
    enum class Kind { Normal, Silent, CloseMidway };
    int status = 200;
    QByteArray body;
    Kind kind = Kind::Normal;
    QByteArray location; // a Location header (redirects)

    static Answer ok(QByteArray body) { return make(200, std::move(body), Kind::Normal, {}); }
    static Answer silent() { return make(200, {}, Kind::Silent, {}); }
    static Answer redirect(QByteArray to) { return make(302, {}, Kind::Normal, std::move(to)); }
    static Answer make(int status, QByteArray body, Kind kind, QByteArray location) {
        Answer a;
        a.status = status;
        a.body = std::move(body);
        a.kind = kind;
        a.location = std::move(location);
        return a;
    }
};

// Serves `answers` by path on 127.0.0.1 at a free port; unknown paths get 404. It serves at
// most `maxRequests` requests and then refuses, so a client that loops cannot loop forever.
class TestHttpServer {
  public:
    explicit TestHttpServer(int maxRequests = 20);
    [[nodiscard]] std::string address() const; // "http://127.0.0.1:port"
    std::map<std::string, Answer> answers;
    std::vector<std::string> requests; // the paths asked for, in order

  private:
    void serve(QTcpSocket* socket);
    QTcpServer server_;
    int maxRequests_;
};

// A fetcher the test answers by hand: it keeps the request until finish() writes the bytes
// (on success) and reports.
class ScriptedFetcher final : public Fetcher {
  public:
    void fetch(const std::string& url, const std::string& destination, std::int64_t maxBytes,
               Done done) override;
    void cancel() override;
    // Completes the transfer under way; false when none is.
    bool finish(bool ok, const std::string& bytes = {}, const std::string& error = "refused");

    std::vector<std::string> urls;
    int cancels = 0;
    [[nodiscard]] bool busy() const { return static_cast<bool>(done_); }

  private:
    std::string destination_;
    Done done_;
};

// A release as the update server publishes it: the signed manifest and the archive it names.
struct TestRelease {
    ReleaseManifest manifest;
    std::string manifestBytes; // the version file
    std::string signature;     // of the version file
    std::string archive;       // the archive's bytes
};
// Packs `entries` into the archive of `version`, writes and signs its manifest.
TestRelease MakeRelease(const TestSigningKey& key, const std::string& version,
                        const std::vector<ZipEntry>& entries,
                        const std::string& released = "2026-12-01",
                        const std::string& expires = "2027-06-01");
// Signs changed manifest bytes again (a release re-signed by the key's owner).
void Resign(TestRelease& release, const TestSigningKey& key);
// Writes the three files into `folder` (ending "/") under their published names.
void WriteRelease(const std::string& folder, const TestRelease& release);

// A Debian package file made with dpkg-deb; `marker` goes into a file of the package so that
// two packages of the same name and version still differ. False when dpkg-deb failed.
bool MakeDeb(const std::string& path, const std::string& package, const std::string& version,
             const std::string& marker);

// Lets the event loop run until `done` or `timeoutMs` passed; returns `done()`.
bool RunUntil(const std::function<bool()>& done, int timeoutMs = 5000);

} // namespace dilato::test
