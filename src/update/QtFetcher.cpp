#include "update/QtFetcher.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace dilato {

QtFetcher::QtFetcher(int silenceTimeoutMs) : timeoutMs_(silenceTimeoutMs) {
    manager_.setRedirectPolicy(QNetworkRequest::SameOriginRedirectPolicy);
}

QtFetcher::~QtFetcher() {
    cancel();
}

void QtFetcher::fetch(const std::string& url, const std::string& destination,
                      std::int64_t maxBytes, Done done) {
    cancel();
    const int generation = ++generation_;
    done_ = std::move(done);
    maxBytes_ = maxBytes;
    received_ = 0;
    tooLarge_.clear();
    rejected_ = false;
    writeFailed_ = false;
    status_ = 0;
    file_ = std::make_unique<QSaveFile>(QString::fromStdString(destination));
    if (!file_->open(QIODevice::WriteOnly)) {
        const std::string why = file_->errorString().toStdString();
        file_.reset();
        // Reported after fetch returns, as every other outcome.
        QMetaObject::invokeMethod(
            &manager_,
            [this, why, generation] {
                FetchResult failed{false, false, why};
                failed.localFailure = true;
                if (generation == generation_) finish(failed);
            },
            Qt::QueuedConnection);
        return;
    }
    const QUrl qurl(QString::fromStdString(url));
    QNetworkRequest request(qurl);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(timeoutMs_);
    reply_ = manager_.get(request);
    QObject::connect(reply_, &QNetworkReply::metaDataChanged, &manager_, [this] { onHeaders(); });
    QObject::connect(reply_, &QNetworkReply::readyRead, &manager_, [this] { onReadyRead(); });
    QObject::connect(reply_, &QNetworkReply::finished, &manager_, [this] { onFinished(); });
}

void QtFetcher::cancel() {
    ++generation_;
    done_ = nullptr;
    if (reply_) {
        reply_->disconnect(&manager_);
        reply_->abort();
        reply_->deleteLater();
        reply_ = nullptr;
    }
    if (file_) file_->cancelWriting();
    file_.reset(); // an uncommitted QSaveFile leaves the destination as it was
}

// An answer other than 200 is no file at all: its page is neither kept nor counted against
// the size allowed for the file.
void QtFetcher::onHeaders() {
    if (!reply_) return;
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) return;
    status_ = status.toInt();
    if (status_ == 200 || (status_ >= 300 && status_ < 400)) return;
    rejected_ = true; // the page that follows is read and dropped
}

void QtFetcher::onReadyRead() {
    if (rejected_ && reply_) {
        (void)reply_->readAll();
        return;
    }
    if (!reply_ || !file_ || !reply_->isReadable() || !tooLarge_.empty()) return;
    const QByteArray chunk = reply_->readAll();
    received_ += chunk.size();
    if (received_ > maxBytes_) {
        tooLarge_ = "The server sent more than " + std::to_string(maxBytes_) + " bytes.";
        reply_->abort(); // finished follows with the reason kept above
        return;
    }
    if (file_->write(chunk) != chunk.size()) {
        tooLarge_ = file_->errorString().toStdString();
        writeFailed_ = true;
        reply_->abort();
    }
}

void QtFetcher::onFinished() {
    if (!reply_) return;
    onReadyRead();
    FetchResult result;
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (rejected_) {
        result.notFound = status_ == 404;
        result.error = result.notFound ? "file not found on the server"
                                       : "The server answered with status " + std::to_string(status_) + ".";
    } else if (!tooLarge_.empty()) {
        result.tooLarge = received_ > maxBytes_;
        result.localFailure = writeFailed_;
        result.error = tooLarge_;
    } else if (status == 404) {
        result.notFound = true;
        result.error = "file not found on the server";
    } else if (reply_->error() == QNetworkReply::OperationCanceledError) {
        result.error = "The server did not answer in time.";
    } else if (reply_->error() != QNetworkReply::NoError) {
        result.error = reply_->errorString().toStdString();
    } else if (status != 200) {
        result.error = "The server answered with status " + std::to_string(status) + ".";
    } else if (!file_->commit()) {
        result.error = file_->errorString().toStdString();
        result.localFailure = true;
    } else {
        result.ok = true;
    }
    reply_->deleteLater();
    reply_ = nullptr;
    if (!result.ok && file_) file_->cancelWriting();
    file_.reset();
    finish(result);
}

void QtFetcher::finish(const FetchResult& result) {
    Done done = std::move(done_);
    done_ = nullptr;
    if (done) done(result);
}

} // namespace dilato
