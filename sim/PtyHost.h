#pragma once
// Simulated instruments behind pseudo-terminals, served by a thread of their own, so that the
// program's real serial adapter talks to them byte for byte as to a device. Each device gets a
// terminal pair; the program opens the terminal's device file (or, with a link folder, a
// stable symbolic link in it named after the device). The host keeps its own handle on each
// terminal open, so the program may close and reopen the port at will.
//
// vanish() closes a terminal for good, as when a cable is pulled: the program's open port
// loses its link and the device file disappears; restore() makes a new terminal and points
// the link at it.
//
// The devices and the bench are shared with the serving thread: touch them only inside
// withLock().

#include "SimDevice.h"

#include "platform/Clock.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dilato::sim {

class PtyHost {
  public:
    // `linkFolder`: where the stable links go (made when missing); empty: no links.
    explicit PtyHost(const Clock& clock, std::string linkFolder = {});
    ~PtyHost();
    PtyHost(const PtyHost&) = delete;
    PtyHost& operator=(const PtyHost&) = delete;

    // Serves the device on a new terminal; returns the path to open. `linkName` names the
    // link in the link folder (e.g. "COM2").
    std::string add(SimDevice& device, const std::string& linkName = {});
    void start();
    void stop();

    // The path the program opens for the device (the link when there is one).
    [[nodiscard]] std::string path(const SimDevice& device) const;
    // The terminal's own device file ("/dev/pts/N"); empty while vanished.
    [[nodiscard]] std::string terminal(const SimDevice& device) const;
    // The line rate the program has set on the device's terminal (0 while vanished).
    [[nodiscard]] int lineBaud(const SimDevice& device) const;

    void vanish(const SimDevice& device);
    std::string restore(const SimDevice& device);

    template <class F> decltype(auto) withLock(F&& f) {
        std::lock_guard<std::mutex> guard(mutex_);
        return f();
    }

  private:
    struct Endpoint {
        SimDevice* device = nullptr;
        int master = -1;
        int slave = -1; // the host's own handle, so that the line never hangs up
        std::string terminal;
        std::string link;
    };
    void openTerminal(Endpoint& e);
    void closeTerminal(Endpoint& e);
    void pointLink(const Endpoint& e);
    [[nodiscard]] Endpoint& find(const SimDevice& device);
    [[nodiscard]] const Endpoint& find(const SimDevice& device) const;
    void run();
    void serveOnce();

    const Clock& clock_;
    std::string linkFolder_;
    mutable std::mutex mutex_;
    std::vector<Endpoint> endpoints_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The line rate of a terminal's settings, in baud (0 when unknown).
[[nodiscard]] int TerminalBaud(int fd);

} // namespace dilato::sim
