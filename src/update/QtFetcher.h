#pragma once
// Fetcher over Qt Network. No cache: every request goes to the server. Redirects are followed
// only within the same scheme, host and port; a transfer that stays silent longer than the
// timeout is abandoned.

#include "update/Fetcher.h"

#include <QNetworkAccessManager>
#include <QPointer>
#include <QSaveFile>
#include <memory>

class QNetworkReply;

namespace dilato {

class QtFetcher final : public Fetcher {
  public:
    explicit QtFetcher(int silenceTimeoutMs = 30000);
    ~QtFetcher() override;

    void fetch(const std::string& url, const std::string& destination, std::int64_t maxBytes,
               Done done) override;
    void cancel() override;

  private:
    void onHeaders();
    void onReadyRead();
    void onFinished();
    void finish(const FetchResult& result);

    QNetworkAccessManager manager_;
    int timeoutMs_;
    QPointer<QNetworkReply> reply_;
    std::unique_ptr<QSaveFile> file_;
    std::int64_t maxBytes_ = 0;
    std::int64_t received_ = 0;
    std::string tooLarge_;
    bool rejected_ = false;    // the status was not 200: the answer is not the file
    bool writeFailed_ = false; // the destination refused the bytes
    int status_ = 0;
    Done done_;
    int generation_ = 0; // a queued report of an abandoned transfer is dropped
};

} // namespace dilato
