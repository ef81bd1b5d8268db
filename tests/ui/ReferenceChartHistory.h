#pragma once
// A year of monthly copper reference runs for the chart's window: a first run, then checks
// that scatter about the certified value; `drifted` appends a check that a drifting sensor
// put beyond the lab's limits.

#include "calibration/ControlChart.h"

#include <vector>

namespace dilato::test {

inline ChartState ReferenceHistory(bool drifted) {
    const double scatter[] = {0.000, 0.004, -0.003, 0.002, -0.004, 0.003,
                              -0.001, 0.001, -0.002, 0.003, 0.000};
    std::vector<CorrectionRecordData> records;
    for (int i = 0; i < 11; ++i) {
        CorrectionRecordData r;
        r.number = i + 1;
        r.made = QDateTime(QDate(2026, 1, 6).addMonths(i), QTime(15, 30));
        r.reference = "SRM736";
        r.measuredCte = 16.911 + scatter[i] + (i == 0 ? -0.05 : 0.0);
        r.measuredU = 0.036;
        r.certifiedCte = 16.911;
        r.certifiedU = 0.028;
        r.usedRecord = i;
        records.push_back(r);
    }
    if (drifted) {
        CorrectionRecordData r = records.back();
        r.number = 12;
        r.usedRecord = 11;
        r.made = r.made.addMonths(1);
        r.measuredCte = 16.911 + 0.017 * 1.2; // 0.12 % of gain in the month
        records.push_back(r);
    }
    return EvaluateChart(records);
}

} // namespace dilato::test
