#include "results/Forwarder.h"

#include "results/Schema.h"
#include "results/StoreRow.h"

#include <memory>
#include <vector>

namespace dilato::results {

namespace {

constexpr int kBatch = 500;

struct Waiting {
    long long seq;
    std::string table;
    QString key;
};

std::vector<Waiting> NextBatch(StoreConnection& local) {
    QSqlQuery q = local.Prepare(
        QStringLiteral("SELECT seq, table_name, row_key FROM outbox ORDER BY seq LIMIT %1")
            .arg(kBatch));
    local.Run(q);
    std::vector<Waiting> batch;
    while (q.next())
        batch.push_back({q.value(0).toLongLong(), q.value(1).toString().toStdString(),
                         q.value(2).toString()});
    return batch;
}

} // namespace

Forwarder::Forwarder(StoreAddress local, StoreAddress remote, std::chrono::milliseconds retry)
    : local_(std::move(local)), remote_(std::move(remote)), retry_(retry) {
    thread_ = std::thread([this] { Loop(); });
}

Forwarder::~Forwarder() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void Forwarder::Nudge(long long added) {
    {
        std::lock_guard lock(mutex_);
        nudged_ = true;
        addedDuringPass_ += added;
        state_.waiting += added;
    }
    wake_.notify_all();
}

ForwardState Forwarder::state() const {
    std::lock_guard lock(mutex_);
    return state_;
}

bool Forwarder::Drain(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    nudged_ = true;
    wake_.notify_all();
    return drained_.wait_for(lock, limit, [this] { return state_.waiting == 0; });
}

void Forwarder::Loop() {
    std::unique_ptr<StoreConnection> local;
    std::unique_ptr<StoreConnection> remote;
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            addedDuringPass_ = 0;
        }
        bool ok = true;
        std::string problem;
        long long waiting = 0;
        try {
            if (!local) local = std::make_unique<StoreConnection>(local_);
            for (;;) {
                const auto batch = NextBatch(*local);
                if (batch.empty()) break;
                if (!remote) {
                    remote = std::make_unique<StoreConnection>(remote_, 2);
                    MigrateStore(*remote);
                }
                try {
                    remote->InTransaction([&] {
                        for (const Waiting& w : batch) {
                            const StoreRow row = ReadRow(*local, w.table, w.key);
                            if (!row.columns.empty()) UpsertRow(*remote, row);
                        }
                    });
                } catch (...) {
                    remote.reset(); // a new connection next time: the server may be back
                    throw;
                }
                QSqlQuery done = local->Prepare(QStringLiteral("DELETE FROM outbox WHERE seq <= ?"));
                done.addBindValue(batch.back().seq);
                local->Run(done);
                std::lock_guard lock(mutex_);
                if (stop_) break;
            }
            waiting = local->Value(QStringLiteral("SELECT COUNT(*) FROM outbox")).toLongLong();
        } catch (const std::exception& e) {
            ok = false;
            problem = e.what();
            try {
                if (local)
                    waiting =
                        local->Value(QStringLiteral("SELECT COUNT(*) FROM outbox")).toLongLong();
            } catch (const std::exception&) {
                local.reset();
            }
        }
        std::unique_lock lock(mutex_);
        state_.online = ok;
        state_.problem = problem;
        // Rows added while this pass ran may be in its count or not: counted twice until
        // the next pass rather than not at all.
        state_.waiting = waiting + addedDuringPass_;
        if (state_.waiting == 0) drained_.notify_all();
        if (stop_) return;
        if (ok && !nudged_) wake_.wait(lock, [this] { return stop_ || nudged_; });
        else if (!ok) wake_.wait_for(lock, retry_, [this] { return stop_; });
        if (stop_) return;
        nudged_ = false;
    }
}

} // namespace dilato::results
