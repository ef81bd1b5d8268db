#include "UpdateTestKit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QThread>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include "update/VersionText.h"
#include <sodium.h>
#include <zip.h>

namespace dilato::test {

bool MakeZip(const std::string& path, const std::vector<ZipEntry>& entries) {
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (zip == nullptr) return false;
    for (const ZipEntry& entry : entries) {
        zip_source_t* source = zip_source_buffer(zip, entry.bytes.data(), entry.bytes.size(), 0);
        const zip_int64_t index =
            zip_file_add(zip, entry.name.c_str(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            zip_discard(zip);
            return false;
        }
        zip_file_set_external_attributes(zip, static_cast<zip_uint64_t>(index), 0,
                                         ZIP_OPSYS_UNIX, entry.unixMode << 16);
    }
    return zip_close(zip) == 0;
}

TestSigningKey::TestSigningKey() {
    if (sodium_init() < 0) throw std::runtime_error("libsodium");
    crypto_sign_keypair(public_.data(), secret_.data());
}

std::string TestSigningKey::sign(const std::string& bytes) const {
    std::string signature(crypto_sign_BYTES, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                         secret_.data());
    return signature;
}

void TestSigningKey::signFile(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::ofstream(path + ".sig", std::ios::binary) << sign(bytes);
}

TestHttpServer::TestHttpServer(int maxRequests) : maxRequests_(maxRequests) {
    if (!server_.listen(QHostAddress::LocalHost, 0)) throw std::runtime_error("cannot listen");
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(&server_);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { serve(socket); });
        }
    });
}

std::string TestHttpServer::address() const {
    return "http://127.0.0.1:" + std::to_string(server_.serverPort());
}

void TestHttpServer::serve(QTcpSocket* socket) {
    if (socket->property("answered").toBool()) return;
    const QByteArray request = socket->property("request").toByteArray() + socket->readAll();
    socket->setProperty("request", request);
    if (request.size() > 16 * 1024) {
        socket->abort();
        return;
    }
    const auto headerEnd = request.indexOf("\r\n\r\n");
    if (headerEnd < 0) return; // the rest of the request is still on its way
    socket->setProperty("answered", true);
    if (static_cast<int>(requests.size()) >= maxRequests_) {
        socket->abort();
        return;
    }
    const QList<QByteArray> firstLine = request.left(request.indexOf("\r\n")).split(' ');
    const std::string path = firstLine.size() >= 2 ? firstLine[1].toStdString() : std::string();
    requests.push_back(path);

    Answer answer;
    if (auto it = answers.find(path); it != answers.end())
        answer = it->second;
    else
        answer.status = 404, answer.body = "<html><body>Not Found</body></html>";
    if (answer.kind == Answer::Kind::Silent) return; // the connection stays open, unanswered

    QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) +
                      (answer.status == 200 ? " OK" : " Other") + "\r\n";
    head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    if (!answer.location.isEmpty()) head += "Location: " + answer.location + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    if (answer.kind == Answer::Kind::CloseMidway) {
        socket->write(answer.body.left(answer.body.size() / 2));
        socket->flush();
        socket->waitForBytesWritten(1000);
        socket->abort();
        return;
    }
    socket->write(answer.body);
    socket->disconnectFromHost();
}

void ScriptedFetcher::fetch(const std::string& url, const std::string& destination,
                            std::int64_t /*maxBytes*/, Done done) {
    urls.push_back(url);
    destination_ = destination;
    done_ = std::move(done);
}

void ScriptedFetcher::cancel() {
    if (done_) ++cancels;
    done_ = nullptr;
}

bool ScriptedFetcher::finish(bool ok, const std::string& bytes, const std::string& error) {
    if (!done_) return false;
    if (ok) std::ofstream(destination_, std::ios::binary) << bytes;
    Done done = std::move(done_);
    done_ = nullptr;
    done(ok ? FetchResult{true, false, {}} : FetchResult{false, false, error});
    return true;
}

TestRelease MakeRelease(const TestSigningKey& key, const std::string& version,
                        const std::vector<ZipEntry>& entries, const std::string& released,
                        const std::string& expires) {
    TestRelease release;
    char pattern[] = "/tmp/dilato-release-XXXXXX";
    const int fd = ::mkstemp(pattern);
    if (fd < 0) throw std::runtime_error("mkstemp");
    ::close(fd);
    if (!MakeZip(pattern, entries)) throw std::runtime_error("MakeZip");
    {
        std::ifstream in(pattern, std::ios::binary);
        release.archive.assign(std::istreambuf_iterator<char>(in), {});
    }
    ::unlink(pattern);
    release.manifest.version = version;
    release.manifest.product = kProductId;
    release.manifest.archive = ArchiveName(version);
    release.manifest.length = static_cast<std::int64_t>(release.archive.size());
    release.manifest.sha256 = HashBytes(release.archive);
    release.manifest.released = released;
    release.manifest.expires = expires;
    release.manifestBytes = FormatManifest(release.manifest);
    release.signature = key.sign(release.manifestBytes);
    return release;
}

void Resign(TestRelease& release, const TestSigningKey& key) {
    release.signature = key.sign(release.manifestBytes);
}

void WriteRelease(const std::string& folder, const TestRelease& release) {
    std::ofstream(folder + kVersionFileName, std::ios::binary) << release.manifestBytes;
    std::ofstream(folder + kVersionFileName + ".sig", std::ios::binary) << release.signature;
    std::ofstream(folder + release.manifest.archive, std::ios::binary) << release.archive;
}

bool MakeDeb(const std::string& path, const std::string& package, const std::string& version,
             const std::string& marker) {
    char pattern[] = "/tmp/dilato-deb-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return false;
    const std::string root = pattern;
    std::filesystem::create_directories(root + "/DEBIAN");
    std::filesystem::create_directories(root + "/usr/share/doc/" + package);
    std::ofstream(root + "/DEBIAN/control")
        << "Package: " << package << "\nVersion: " << version
        << "\nArchitecture: all\nMaintainer: Test <test@example.invalid>\nDescription: test package\n";
    std::ofstream(root + "/usr/share/doc/" + package + "/marker") << marker << "\n";
    const std::string command = "dpkg-deb --root-owner-group --build '" + root + "' '" + path +
                                "' >/dev/null 2>&1";
    const bool ok = std::system(command.c_str()) == 0;
    std::filesystem::remove_all(root);
    return ok;
}

bool RunUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return done();
}

} // namespace dilato::test
