#pragma once
// Forwards the rows waiting in the local store's outbox to the lab's server, on a thread of
// its own so that nothing the test does ever waits on the network. While the server cannot be
// reached it tries again every `retry` and the rows wait; when it answers again they go in
// the order written, in batches, each batch committed on the server before it leaves the
// outbox. A batch sent again after a lost answer overwrites the same rows (their keys), so
// every row arrives once.

#include "results/StoreAddress.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace dilato::results {

struct ForwardState {
    bool online = true;     // the server took the last batch (or had nothing to take)
    long long waiting = 0;  // rows in the outbox
    std::string problem;    // why the server is not reached; empty when it is
};

class Forwarder {
  public:
    Forwarder(StoreAddress local, StoreAddress remote,
              std::chrono::milliseconds retry = std::chrono::seconds(2));
    // Stops the thread; rows not forwarded stay in the outbox for the next start.
    ~Forwarder();
    Forwarder(const Forwarder&) = delete;
    Forwarder& operator=(const Forwarder&) = delete;

    // New rows are in the outbox (`added` of them): forward soon.
    void Nudge(long long added);
    [[nodiscard]] ForwardState state() const;
    // Waits until the outbox is empty or `limit` has passed; true when empty.
    bool Drain(std::chrono::milliseconds limit);

  private:
    void Loop();
    // One pass: connects when needed and forwards what waits. False when the server failed.
    bool Pass();

    StoreAddress local_, remote_;
    std::chrono::milliseconds retry_;
    mutable std::mutex mutex_;
    std::condition_variable wake_, drained_;
    bool stop_ = false;
    bool nudged_ = false;
    long long addedDuringPass_ = 0;
    ForwardState state_;
    std::thread thread_;
};

} // namespace dilato::results
