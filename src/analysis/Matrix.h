#pragma once
// The two matrix operations beneath the least-squares fit: inverse and product of small dense
// double-precision matrices. Both report failure by a non-empty text and never throw; empty
// text means success. Storage is Eigen's (0-based); the fit's tables are small (at most 3 x 3).

#include <Eigen/Dense>
#include <string>

namespace dilato {

using Matrix = Eigen::MatrixXd;

inline constexpr const char* kNotAnArrayText = "Error: input matrix is not an array";
inline constexpr const char* kSingularMatrixText =
    "Error: Matrix determinant = 0 - no inverse exists!";
inline constexpr const char* kIncompatibleShapesText =
    "Error: incompatible number of rows & columns for matrix multiplication";

// Replaces m by its inverse. An empty matrix is not an array; a determinant of exactly 0
// leaves m unchanged and returns kSingularMatrixText.
[[nodiscard]] std::string GetMatrixInverse(Matrix& m);

// c = a * b, sized rows(a) x cols(b). When the inner dimensions differ c is left all zero
// and the incompatibility text comes back.
[[nodiscard]] std::string GetMatrixProduct(const Matrix& a, const Matrix& b, Matrix& c);

} // namespace dilato
