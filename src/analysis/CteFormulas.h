#pragma once
// The CTE formulas: the coefficient from a change of indicator and temperature, the
// fixture's expansion that is added to every measured change, the accuracy estimate, and
// the caption of a CTE between two plot points. Single precision in and out; L is the
// sample length in inches, CTE in 10^-6 per °C.

#include "analysis/AnalysisError.h"

#include <string>

namespace dilato {

// dI / L / dT x 10^6; 0 when |dT| < 0.00001.
[[nodiscard]] float CteFromChange(float dT, float dI, float sampleLength);

// Expansion of the measuring fixture over dT (inches): 5.2 µin/°C, less 0.6 µin/°C for
// every inch the sample is shorter than 2 in.
[[nodiscard]] float SystemCorrection(float dT, float sampleLength);

// Relative accuracy of a CTE (0.025 = 2.5 %): the temperature error over dT, the indicator
// resolution over the length change (L x cte x dT µin) and the fixture's uncertainty over
// L x cte. 0 when |cte| < 0.00000001 or |dT| < 0.00001; always positive otherwise.
[[nodiscard]] float AccuracyEstimate(float dT, float cte, float sampleLength);

// "CTE:  20°C to  80°C = 12.3 µ/°C +/-2.5%" for two points whose indicator values already
// include the fixture correction. A failure is an error, "Error in CtePlotString: ...".
[[nodiscard]] Analysed<std::string> CtePlotString(float t1, float t2, float i1, float i2,
                                                  float sampleLength);

} // namespace dilato
