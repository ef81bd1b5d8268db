#include "PtyHost.h"

#include "SimSerialPort.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace dilato::sim {

namespace {

constexpr int kMaxPollMs = 20;

struct Rate {
    speed_t code;
    int baud;
};
constexpr Rate kRates[] = {{B1200, 1200},     {B2400, 2400},     {B4800, 4800},
                           {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
                           {B57600, 57600},   {B115200, 115200}, {B230400, 230400},
                           {B460800, 460800}, {B921600, 921600}};

} // namespace

int TerminalBaud(int fd) {
    termios t{};
    if (fd < 0 || tcgetattr(fd, &t) != 0) return 0;
    const speed_t code = cfgetospeed(&t);
    for (const Rate& r : kRates)
        if (r.code == code) return r.baud;
    return 0;
}

PtyHost::PtyHost(const Clock& clock, std::string linkFolder)
    : clock_(clock), linkFolder_(std::move(linkFolder)) {
    if (!linkFolder_.empty()) std::filesystem::create_directories(linkFolder_);
}

PtyHost::~PtyHost() {
    stop();
    for (Endpoint& e : endpoints_) {
        closeTerminal(e);
        if (!e.link.empty()) {
            std::error_code ec;
            std::filesystem::remove(e.link, ec);
        }
    }
}

void PtyHost::openTerminal(Endpoint& e) {
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    char name[256] = {};
    if (openpty(&e.master, &e.slave, name, &raw, nullptr) != 0)
        throw std::runtime_error(std::string("openpty: ") + std::strerror(errno));
    fcntl(e.master, F_SETFL, fcntl(e.master, F_GETFL) | O_NONBLOCK);
    fcntl(e.master, F_SETFD, FD_CLOEXEC);
    fcntl(e.slave, F_SETFD, FD_CLOEXEC);
    e.terminal = name;
}

void PtyHost::closeTerminal(Endpoint& e) {
    if (e.master >= 0) close(e.master);
    if (e.slave >= 0) close(e.slave);
    e.master = e.slave = -1;
    e.terminal.clear();
}

void PtyHost::pointLink(const Endpoint& e) {
    if (e.link.empty()) return;
    std::error_code ec;
    const std::string temporary = e.link + ".new";
    std::filesystem::remove(temporary, ec);
    std::filesystem::create_symlink(e.terminal, temporary);
    std::filesystem::rename(temporary, e.link); // replaces the old link in one step
}

std::string PtyHost::add(SimDevice& device, const std::string& linkName) {
    std::lock_guard<std::mutex> guard(mutex_);
    Endpoint e;
    e.device = &device;
    openTerminal(e);
    if (!linkFolder_.empty() && !linkName.empty()) {
        e.link = (std::filesystem::path(linkFolder_) / linkName).string();
        pointLink(e);
    }
    endpoints_.push_back(e);
    return e.link.empty() ? e.terminal : e.link;
}

PtyHost::Endpoint& PtyHost::find(const SimDevice& device) {
    for (Endpoint& e : endpoints_)
        if (e.device == &device) return e;
    throw std::invalid_argument("device not served by this host");
}

const PtyHost::Endpoint& PtyHost::find(const SimDevice& device) const {
    for (const Endpoint& e : endpoints_)
        if (e.device == &device) return e;
    throw std::invalid_argument("device not served by this host");
}

std::string PtyHost::path(const SimDevice& device) const {
    std::lock_guard<std::mutex> guard(mutex_);
    const Endpoint& e = find(device);
    return e.link.empty() ? e.terminal : e.link;
}

std::string PtyHost::terminal(const SimDevice& device) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return find(device).terminal;
}

int PtyHost::lineBaud(const SimDevice& device) const {
    std::lock_guard<std::mutex> guard(mutex_);
    return TerminalBaud(find(device).master);
}

void PtyHost::vanish(const SimDevice& device) {
    std::lock_guard<std::mutex> guard(mutex_);
    Endpoint& e = find(device);
    closeTerminal(e);
    e.device->dropLine();
    if (!e.link.empty()) {
        std::error_code ec;
        std::filesystem::remove(e.link, ec);
    }
}

std::string PtyHost::restore(const SimDevice& device) {
    std::lock_guard<std::mutex> guard(mutex_);
    Endpoint& e = find(device);
    if (e.master < 0) {
        openTerminal(e);
        pointLink(e);
    }
    return e.link.empty() ? e.terminal : e.link;
}

void PtyHost::start() {
    if (thread_.joinable()) return;
    stop_ = false;
    thread_ = std::thread([this] { run(); });
}

void PtyHost::stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

void PtyHost::run() {
    while (!stop_)
        serveOnce();
}

void PtyHost::serveOnce() {
    std::vector<pollfd> fds;
    // Sub-millisecond: an answer's characters leave when they are due, not on the next
    // millisecond (at 230400 baud eight characters take a third of one).
    double timeoutMs = kMaxPollMs;
    {
        std::lock_guard<std::mutex> guard(mutex_);
        const double now = SimSeconds(clock_);
        const double factor = clock_.timeFactor() > 0 ? clock_.timeFactor() : 1.0;
        for (const Endpoint& e : endpoints_) {
            if (e.master < 0) continue;
            fds.push_back({e.master, POLLIN, 0});
            const double wait = (e.device->nextDue() - now) / factor * 1000.0;
            if (std::isfinite(wait)) timeoutMs = std::clamp(wait, 0.0, timeoutMs);
        }
    }
    if (fds.empty()) {
        usleep(kMaxPollMs * 1000);
        return;
    }
    const auto ns = static_cast<long>(timeoutMs * 1e6);
    const timespec timeout{ns / 1000000000L, ns % 1000000000L};
    if (ppoll(fds.data(), fds.size(), &timeout, nullptr) < 0 && errno != EINTR) {
        usleep(kMaxPollMs * 1000);
        return;
    }
    std::lock_guard<std::mutex> guard(mutex_);
    const double now = SimSeconds(clock_);
    for (Endpoint& e : endpoints_) {
        if (e.master < 0) continue;
        char buffer[512];
        for (;;) {
            const ssize_t n = read(e.master, buffer, sizeof buffer);
            if (n <= 0) break;
            e.device->receive(std::string_view(buffer, static_cast<size_t>(n)), now,
                              TerminalBaud(e.master));
        }
        const std::string out = e.device->takeDue(now);
        size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = write(e.master, out.data() + done, out.size() - done);
            if (n <= 0) break; // the terminal is full: the rest is lost, as on a real line
            done += static_cast<size_t>(n);
        }
    }
}

} // namespace dilato::sim
