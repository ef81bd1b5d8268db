#pragma once
// The instrument's standing values, loaded from and saved to the system parameter file:
// `SysParam`, 21 loosely typed slots addressed 1 to 21, and `Scale`, the four single-precision
// calibration constants addressed 1 to 4 (stage slope, stage offset, thermistor slope,
// thermistor offset). One object owns them for the whole run; every other part reads and
// changes them through a reference.

#include "storage/ParamValue.h"

#include <array>
#include <stdexcept>

namespace dilato {

// Slot numbers of `SysParam`.
namespace slot {
inline constexpr int TesterModel = 1;
inline constexpr int SerialNumber = 2;
inline constexpr int CalibrationDate = 3;
inline constexpr int Units = 4;
inline constexpr int Password = 5;
inline constexpr int PdfDataWrite = 6;
inline constexpr int AccuracyOption = 7;
inline constexpr int OptimumTempOrdering = 8;
inline constexpr int NumberOfBatchTests = 9;
inline constexpr int AddRoundTripTests = 10;
inline constexpr int TestEndTempOption = 11;
inline constexpr int FirstBatchTemp = 12; // to 20: the nine batch set points
inline constexpr int LastBatchTemp = 20;
inline constexpr int BatchWorkRoom = 21;  // working room of the batch plan, never stored
} // namespace slot

class SystemParameters {
public:
    static constexpr int kSlots = 21;
    static constexpr int kScales = 4;

    // Slot n, 1 to 21; any other n throws std::out_of_range.
    [[nodiscard]] ParamValue& SysParam(int n) { return slots_.at(Index(n, kSlots)); }
    [[nodiscard]] const ParamValue& SysParam(int n) const { return slots_.at(Index(n, kSlots)); }
    // Constant n, 1 to 4; any other n throws std::out_of_range.
    [[nodiscard]] float& Scale(int n) { return scale_.at(Index(n, kScales)); }
    [[nodiscard]] float Scale(int n) const { return scale_.at(Index(n, kScales)); }

    void clearSlots() { slots_.fill(ParamValue()); }

private:
    static size_t Index(int n, int count) {
        if (n < 1 || n > count) throw std::out_of_range("Subscript out of range");
        return static_cast<size_t>(n - 1);
    }
    std::array<ParamValue, kSlots> slots_{};
    std::array<float, kScales> scale_{1.0f, 0.0f, 1.0f, 0.0f};
};

} // namespace dilato
