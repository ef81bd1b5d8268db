#pragma once
// The results store of a program: every record goes first into the system folder's own
// SQLite store, in one short local transaction; when a lab server is configured the record's
// key also goes into the outbox, and a forwarder thread takes it to the server. The program
// therefore never waits on the network, and nothing is lost while the server is away.

#include "results/Forwarder.h"
#include "results/StoreConnection.h"
#include "results/StoreRow.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dilato::results {

class ResultsStore {
  public:
    // Opens (creates, migrates) `local`; with `lab`, forwards to it. Throws StoreError when
    // the local store cannot be opened or is newer than the program.
    explicit ResultsStore(const StoreAddress& local, std::optional<StoreAddress> lab = {},
                          std::chrono::milliseconds retry = std::chrono::seconds(2));
    ResultsStore(const ResultsStore&) = delete;
    ResultsStore& operator=(const ResultsStore&) = delete;

    // Writes the rows in one local transaction (and queues them for the lab server).
    void Write(const std::vector<StoreRow>& rows);

    [[nodiscard]] bool forwarding() const { return forwarder_ != nullptr; }
    [[nodiscard]] ForwardState forwardState() const;
    // The status bar's text: "results server offline (N waiting)" while the lab server cannot
    // be reached; empty otherwise.
    [[nodiscard]] std::string StatusText() const;
    // Waits up to `limit` for the lab server to have every row; true when it has.
    bool Drain(std::chrono::milliseconds limit);

    [[nodiscard]] StoreConnection& local() { return local_; }

  private:
    StoreConnection local_;
    std::unique_ptr<Forwarder> forwarder_;
};

// "results server offline (N waiting)" for a lab server that cannot be reached; empty when it
// can or when there is none.
[[nodiscard]] std::string OfflineText(const ForwardState& state);

} // namespace dilato::results
