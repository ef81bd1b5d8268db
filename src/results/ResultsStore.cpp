#include "results/ResultsStore.h"

#include "results/Schema.h"

namespace dilato::results {

ResultsStore::ResultsStore(const StoreAddress& local, std::optional<StoreAddress> lab,
                           std::chrono::milliseconds retry)
    : local_(local) {
    MigrateStore(local_);
    if (lab) forwarder_ = std::make_unique<Forwarder>(local, *lab, retry);
}

void ResultsStore::Write(const std::vector<StoreRow>& rows) {
    local_.InTransaction([&] {
        for (const StoreRow& row : rows) {
            UpsertRow(local_, row);
            if (!forwarder_) continue;
            QSqlQuery q =
                local_.Prepare(QStringLiteral("INSERT INTO outbox (table_name, row_key) VALUES (?, ?)"));
            q.addBindValue(QString::fromStdString(row.table));
            q.addBindValue(row.key());
            local_.Run(q);
        }
    });
    if (forwarder_) forwarder_->Nudge(static_cast<long long>(rows.size()));
}

ForwardState ResultsStore::forwardState() const {
    return forwarder_ ? forwarder_->state() : ForwardState{true, 0, {}};
}

std::string OfflineText(const ForwardState& state) {
    if (state.online) return {};
    return "results server offline (" + std::to_string(state.waiting) + " waiting)";
}

std::string ResultsStore::StatusText() const {
    return forwarder_ ? OfflineText(forwarder_->state()) : std::string();
}

bool ResultsStore::Drain(std::chrono::milliseconds limit) {
    return forwarder_ ? forwarder_->Drain(limit) : true;
}

} // namespace dilato::results
