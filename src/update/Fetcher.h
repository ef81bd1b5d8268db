#pragma once
// Downloads for the update control panel, as its logic sees them: one transfer at a time,
// reported when it ends, so that the dialog stays responsive while it runs.

#include <cstdint>
#include <functional>
#include <string>

namespace dilato {

struct FetchResult {
    bool ok = false;
    bool tooLarge = false; // the answer went beyond the size allowed
    std::string error;     // why it failed, for the operator; empty when ok
    bool localFailure = false; // the destination could not be written (not the server's fault)
    bool notFound = false;     // the server has no such file (404)
};

class Fetcher {
  public:
    using Done = std::function<void(const FetchResult&)>;
    virtual ~Fetcher() = default;
    // Fetches `url` into the file `destination`. The file appears only when the whole answer
    // arrived (status 200, at most `maxBytes`); otherwise it is left as it was. `done` runs
    // exactly once, after fetch has returned, unless cancel() comes first.
    virtual void fetch(const std::string& url, const std::string& destination,
                       std::int64_t maxBytes, Done done) = 0;
    // Abandons the transfer under way; its `done` does not run.
    virtual void cancel() = 0;
};

} // namespace dilato
