#pragma once
// A correction record as a copper reference run on a 2 in sample writes it, for tests that
// need records in a program's record folder.

#include "calibration/CorrectionRecord.h"
#include "storage/SystemParameters.h"

#include <vector>

namespace dilato::test {

// Made at `made` with the stage constants of `params`, over the points' temperatures.
inline CorrectionRecordData CopperRecord(const QDateTime& made, const SystemParameters& params,
                                         std::vector<CorrectionPoint> points) {
    CorrectionRecordData r;
    r.made = made;
    r.serial = "1234";
    r.reference = "SRM736";
    r.certificate = "NIST SRM 736";
    r.test = "Ref";
    r.sampleLength = 2.0;
    r.alphaUncertainty = 0.014;
    for (int i = 0; i < 4; ++i) r.scales[static_cast<size_t>(i)] = params.Scale(i + 1);
    r.fromTemp = points.front().temp;
    r.toTemp = points.back().temp;
    r.points = std::move(points);
    r.measuredCte = 16.9;
    r.measuredU = 0.05;
    r.certifiedCte = 16.91;
    r.certifiedU = 0.028;
    return r;
}

} // namespace dilato::test
