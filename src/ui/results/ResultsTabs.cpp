#include "ui/results/ResultsTabs.h"

#include <QDateTime>

namespace dilato {

ResultsTabs::ResultsTabs(const ResultsTabServices& services)
    : fontsFolder_(services.fontsFolder), source_(services.store), overlay_(std::make_unique<ResultsChart>()),
      alpha_(std::make_unique<ResultsChart>()) {
    model_ = std::make_unique<ResultsTabModel>(ResultsServices{
        source_, services.op, switch_, *overlay_, *alpha_, services.exportFolder, [] {
            return QDateTime::currentDateTime()
                .toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"))
                .toStdString();
        },
        [this, &op = services.op, &clock = services.clock](
            const std::string& path, const BatchSummary& summary, std::string& error) {
            return WriteBatchSummaryPdf(op, clock, fontsFolder_, path, summary, error);
        }});
    page_ = new ResultsPage(*model_, *overlay_, *alpha_);
}

ResultsTabs::~ResultsTabs() {
    if (page_ && !page_->parent()) delete page_;
}

void ResultsTabs::Enter() {
    model_->Enter();
    page_->Enter();
}

} // namespace dilato
