#pragma once
// The three serial links by their numbers: 1 the displacement sensor, 2 the Temp-Stage
// controller, 3 the thermocouple calibrator. `All` stands for every link at once (closing
// only).

namespace dilato {

enum class Link : int { All = 0, Displacement = 1, TempStage = 2, Calibrator = 3 };

} // namespace dilato
